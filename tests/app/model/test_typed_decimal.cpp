// The numbers of the results' dialogs in the user's locale: "." and the locale's decimal
// separator both taken, group separators never (a "1.500" reads as in a file), the text kept
// with "." for the files, and a refusal naming the separators taken.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "model/box_checks.h"

using namespace Qt::StringLiterals;

namespace {

struct DecimalCase {
    const char *name;
    const char *locale;
    QString typed;
    std::optional<double> value;  // none: refused
    QString text;                 // as files keep it
};

class TypedDecimals : public ::testing::TestWithParam<DecimalCase> {};

TEST_P(TypedDecimals, TakeThePointOrTheLocalesSeparatorAndNoGrouping) {
    const DecimalCase &c = GetParam();
    const std::optional<zelapp::TypedDecimal> typed =
        zelapp::typedDecimal(c.typed, QLocale(QString::fromLatin1(c.locale)));
    ASSERT_EQ(typed.has_value(), c.value.has_value()) << c.typed.toStdString();
    if (typed) {
        EXPECT_DOUBLE_EQ(typed->value, *c.value);
        EXPECT_EQ(typed->text, c.text);
    }
}

const DecimalCase kDecimalCases[] = {
    {"CPoint", "C", u" 1.5 "_s, 1.5, u"1.5"_s},
    {"CExponent", "C", u"-1e-3"_s, -0.001, u"-1e-3"_s},
    {"CCommaRefused", "C", u"1,5"_s, std::nullopt, {}},
    {"CGroupRefused", "C", u"1,500.5"_s, std::nullopt, {}},
    {"GermanComma", "de_DE", u"-0,25"_s, -0.25, u"-0.25"_s},
    {"GermanPoint", "de_DE", u"0.25"_s, 0.25, u"0.25"_s},
    {"GermanPointIsNoGroup", "de_DE", u"1.500"_s, 1.5, u"1.500"_s},
    {"GermanBothRefused", "de_DE", u"1.500,5"_s, std::nullopt, {}},
    {"GermanExponent", "de_DE", u"2,5E2"_s, 250, u"2.5E2"_s},
    {"FrenchComma", "fr_FR", u"12,5"_s, 12.5, u"12.5"_s},
    {"FrenchGroupRefused", "fr_FR", u"1\u202f234,5"_s, std::nullopt, {}},
    {"FrenchSpaceRefused", "fr_FR", u"1 234"_s, std::nullopt, {}},
    {"WordsRefused", "fr_FR", u"abc"_s, std::nullopt, {}},
    {"EmptyRefused", "de_DE", u"  "_s, std::nullopt, {}},
    {"InfinityRefused", "C", u"1e999"_s, std::nullopt, {}},
};

INSTANTIATE_TEST_SUITE_P(BoxChecks, TypedDecimals, ::testing::ValuesIn(kDecimalCases),
                         [](const ::testing::TestParamInfo<DecimalCase> &info) {
                             return std::string(info.param.name);
                         });

TEST(TypedDecimals, ARefusalNamesTheSeparatorsTaken) {
    EXPECT_EQ(zelapp::notADecimalText(u"x"_s, u"Settle band"_s, QLocale::c()),
              u"The value \"x\" in Settle band is not a number. Use \".\" as the decimal "
              "separator."_s);
    EXPECT_EQ(zelapp::notADecimalText(u"1.2,3"_s, u"Present low"_s, QLocale(u"fr_FR"_s)),
              u"The value \"1.2,3\" in Present low is not a number. Use \".\" or \",\" as the "
              "decimal separator."_s);
}

}  // namespace
