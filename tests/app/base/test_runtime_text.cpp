#include "base/runtime_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace zelapp::rt {
namespace {

const QChar kPoint = QLatin1Char('.');
const QChar kComma = QLatin1Char(',');

TEST(ValueFormat, FormatTextCarriesTheDecimalsTwice) {
    EXPECT_EQ(valueFormatText(5), u"\\ #0.00000;-#0.00000"_s);
    EXPECT_EQ(valueFormatText(0), u"\\ #0.;-#0."_s);
    EXPECT_EQ(valueFormatText(-3), u"\\ #0.;-#0."_s);
}

TEST(ValueFormat, BlankBeforeZeroAndPositiveMinusBeforeNegative) {
    EXPECT_EQ(formatValue(0.0123, 5, kPoint), u" 0.01230"_s);
    EXPECT_EQ(formatValue(-1.5, 5, kPoint), u"-1.50000"_s);
    EXPECT_EQ(formatValue(0.0, 5, kPoint), u" 0.00000"_s);
    EXPECT_EQ(formatValue(-0.0, 5, kPoint), u" 0.00000"_s);
    EXPECT_EQ(formatValue(0.012f, 5, kPoint), u" 0.01200"_s);
}

TEST(ValueFormat, NegativeValueRoundingToZeroKeepsItsSign) {
    EXPECT_EQ(formatValue(-0.000001, 5, kPoint), u"-0.00000"_s);
    EXPECT_EQ(formatValue(-0.4f, 0, kPoint), u"-0."_s);
}

TEST(ValueFormat, NoDecimalsEndsWithTheSeparator) {
    EXPECT_EQ(formatValue(3.0, 0, kPoint), u" 3."_s);
    EXPECT_EQ(formatValue(3.0, 0, kComma), u" 3,"_s);
    EXPECT_EQ(formatValue(0.5, 0, kPoint), u" 1."_s);
    EXPECT_EQ(formatValue(-0.5, 0, kPoint), u"-1."_s);
    EXPECT_EQ(formatValue(0.49, 0, kPoint), u" 0."_s);
}

TEST(ValueFormat, RoundsHalfAwayFromZeroOnTheShortestText) {
    EXPECT_EQ(formatValue(2.675f, 2, kPoint), u" 2.68"_s);
    EXPECT_EQ(formatValue(-2.675f, 2, kPoint), u"-2.68"_s);
    EXPECT_EQ(formatValue(2.675, 2, kPoint), u" 2.68"_s);
    EXPECT_EQ(formatValue(0.125, 2, kPoint), u" 0.13"_s);
    EXPECT_EQ(formatValue(0.124999, 2, kPoint), u" 0.12"_s);
}

TEST(ValueFormat, CarryRunsIntoTheIntegerDigits) {
    EXPECT_EQ(formatValue(9.9995, 3, kPoint), u" 10.000"_s);
    EXPECT_EQ(formatValue(-99.96, 1, kPoint), u"-100.0"_s);
    EXPECT_EQ(formatValue(0.00096, 3, kPoint), u" 0.001"_s);
    EXPECT_EQ(formatValue(0.0004, 3, kPoint), u" 0.000"_s);
}

TEST(ValueFormat, LargeAndTinyValuesShowEveryIntegerDigit) {
    EXPECT_EQ(formatValue(12345678.0f, 2, kPoint), u" 12345678.00"_s);
    EXPECT_EQ(formatValue(1e20, 1, kPoint), u" 100000000000000000000.0"_s);
    EXPECT_EQ(formatValue(std::numeric_limits<double>::max(), 0, kPoint).size(), 311);
    EXPECT_EQ(formatValue(1e-300, 5, kPoint), u" 0.00000"_s);
    EXPECT_EQ(formatValue(std::numeric_limits<float>::denorm_min(), 2, kPoint), u" 0.00"_s);
}

TEST(ValueFormat, SeparatorAndDecimalBounds) {
    EXPECT_EQ(formatValue(1.25, 2, kComma), u" 1,25"_s);
    EXPECT_EQ(formatValue(1.5, -1, kPoint), u" 2."_s);
    EXPECT_EQ(formatValue(1.0, 99, kPoint), u" 1."_s + QString(30, QLatin1Char('0')));
}

TEST(ValueFormat, NonFiniteValuesGiveAReadableText) {
    EXPECT_EQ(formatValue(std::numeric_limits<float>::quiet_NaN(), 5, kPoint), u" NaN"_s);
    EXPECT_EQ(formatValue(std::numeric_limits<double>::infinity(), 5, kPoint), u" Inf"_s);
    EXPECT_EQ(formatValue(-std::numeric_limits<float>::infinity(), 5, kPoint), u"-Inf"_s);
}

// The decimal a Single stands for, and the value as the format shows it, as doubles.
TEST(DecimalValue, ShortestTextAndShownValueAsTheNearestDouble) {
    EXPECT_EQ(shortestDecimal(0.01f), 0.01);
    EXPECT_NE(static_cast<double>(0.01f), 0.01);  // why the helper exists
    EXPECT_EQ(shortestDecimal(-0.009f), -0.009);
    EXPECT_EQ(shortestDecimal(1e-5f), 1e-5);
    EXPECT_EQ(shortestDecimal(3.4028235e38f), 3.4028235e38);
    EXPECT_EQ(shortestDecimal(0.0f), 0.0);

    const struct {
        float value;
        int decimals;
        double shown;
    } cases[] = {
        {0.01f, 5, 0.01},     {0.009996f, 5, 0.01}, {0.009994f, 5, 0.00999}, {2.675f, 2, 2.68},
        {-2.675f, 2, -2.68},  {0.5f, 0, 1.0},       {-0.5f, 0, -1.0},        {0.49f, 0, 0.0},
        {-0.000004f, 5, 0.0}, {99.96f, 1, 100.0},   {0.125f, -3, 0.0},       {1e-20f, 40, 1e-20},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(roundedDecimal(c.value, c.decimals), c.shown) << c.value << " at " << c.decimals;
        // The same number the displays write.
        EXPECT_EQ(roundedDecimal(c.value, c.decimals),
                  leadingNumber(formatValue(c.value, c.decimals, kPoint)))
            << c.value;
    }
    EXPECT_FALSE(std::signbit(roundedDecimal(-0.000004f, 5)));  // "0.00000" in the results
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(roundedDecimal(-inf, 3), -std::numeric_limits<double>::infinity());
    EXPECT_TRUE(std::isnan(roundedDecimal(std::nanf(""), 3)));
    EXPECT_TRUE(std::isnan(shortestDecimal(std::nanf(""))));
}

TEST(SignedNumber, BlankOrMinus) {
    EXPECT_EQ(signedNumber(3), u" 3"_s);
    EXPECT_EQ(signedNumber(0), u" 0"_s);
    EXPECT_EQ(signedNumber(-3), u"-3"_s);
    EXPECT_EQ(signedNumber(-32768), u"-32768"_s);
}

TEST(ListOutput, Integers) {
    EXPECT_EQ(listOutput(8), u" 8 "_s);
    EXPECT_EQ(listOutput(-3), u"-3 "_s);
    EXPECT_EQ(listOutput(0), u" 0 "_s);
    EXPECT_EQ(listOutput(100), u" 100 "_s);
}

TEST(ListOutput, SinglesShortestWithoutLeadingZero) {
    EXPECT_EQ(listOutput(.05f), u" .05 "_s);
    EXPECT_EQ(listOutput(0.05f), u" .05 "_s);
    EXPECT_EQ(listOutput(-0.5f), u"-.5 "_s);
    EXPECT_EQ(listOutput(0.0f), u" 0 "_s);
    EXPECT_EQ(listOutput(-0.0f), u" 0 "_s);
    EXPECT_EQ(listOutput(100.0f), u" 100 "_s);
    EXPECT_EQ(listOutput(1.5f), u" 1.5 "_s);
    EXPECT_EQ(listOutput(0.1f), u" .1 "_s);
    EXPECT_EQ(listOutput(1.5f, kComma), u" 1,5 "_s);
}

TEST(ListOutput, SevenSignificantDigitsThenExponentForm) {
    EXPECT_EQ(listOutput(1234567.0f), u" 1234567 "_s);
    EXPECT_EQ(listOutput(12345678.0f), u" 1.234568E+07 "_s);
    EXPECT_EQ(listOutput(15000000.0f), u" 1.5E+07 "_s);
    EXPECT_EQ(listOutput(9999999.0f), u" 9999999 "_s);
    EXPECT_EQ(listOutput(1.23456789f), u" 1.234568 "_s);
    EXPECT_EQ(listOutput(1E-05f), u" 1E-05 "_s);
    EXPECT_EQ(listOutput(-1E-05f), u"-1E-05 "_s);
    EXPECT_EQ(listOutput(0.0001f), u" .0001 "_s);
    EXPECT_EQ(listOutput(2.5E-05f, kComma), u" 2,5E-05 "_s);
    EXPECT_EQ(listOutput(1E+30f), u" 1E+30 "_s);
}

TEST(DefaultText, LeadingZeroAndNoBlanks) {
    EXPECT_EQ(defaultText(0.05f), u"0.05"_s);
    EXPECT_EQ(defaultText(-0.05f), u"-0.05"_s);
    EXPECT_EQ(defaultText(0.05f, kComma), u"0,05"_s);
    EXPECT_EQ(defaultText(0.0f), u"0"_s);
    EXPECT_EQ(defaultText(12.0f), u"12"_s);
    EXPECT_EQ(defaultText(1E-05f), u"1E-05"_s);
    EXPECT_EQ(defaultText(12345678.0f), u"1.234568E+07"_s);
}

TEST(DefaultText, DoublesKeepFifteenDigits) {
    EXPECT_EQ(defaultText(0.1), u"0.1"_s);
    EXPECT_EQ(defaultText(1.0 / 3.0), u"0.333333333333333"_s);
    EXPECT_EQ(defaultText(123456789012345.0), u"123456789012345"_s);
    EXPECT_EQ(defaultText(1E15), u"1E+15"_s);
    EXPECT_EQ(defaultText(-2.5E-300), u"-2.5E-300"_s);
    EXPECT_EQ(defaultText(std::numeric_limits<double>::quiet_NaN()), u"NaN"_s);
}

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(roundHalfEven(2.5), 2.0);
    EXPECT_EQ(roundHalfEven(3.5), 4.0);
    EXPECT_EQ(roundHalfEven(-2.5), -2.0);
    EXPECT_EQ(roundHalfEven(-3.5), -4.0);
    EXPECT_EQ(roundHalfEven(2.4999), 2.0);
    EXPECT_EQ(roundHalfEven(2.5001), 3.0);
    EXPECT_TRUE(std::isnan(roundHalfEven(std::nan(""))));
}

TEST(Rounding, Integer16RefusesWhatDoesNotFit) {
    EXPECT_EQ(toInteger16(32767.4), 32767);
    EXPECT_EQ(toInteger16(32767.5), std::nullopt);
    EXPECT_EQ(toInteger16(-32768.5), -32768);
    EXPECT_EQ(toInteger16(-32769.0), std::nullopt);
    EXPECT_EQ(toInteger16(98.5), 98);
    EXPECT_EQ(toInteger16(99.5), 100);
    EXPECT_EQ(toInteger16(std::nan("")), std::nullopt);
    EXPECT_EQ(toInteger16(std::numeric_limits<double>::infinity()), std::nullopt);
    EXPECT_EQ(toInteger16(-std::numeric_limits<double>::infinity()), std::nullopt);
}

TEST(LeadingNumber, StopsAtTheFirstCharacterThatCannotContinue) {
    EXPECT_EQ(leadingNumber(u" 12abc"_s), 12.0);
    EXPECT_EQ(leadingNumber(u"\t 7.25 8"_s), 7.25);
    EXPECT_EQ(leadingNumber(u"-.5e1x"_s), -5.0);
    EXPECT_EQ(leadingNumber(u"1e"_s), 1.0);
    EXPECT_EQ(leadingNumber(u"1e+"_s), 1.0);
    EXPECT_EQ(leadingNumber(u"2.5E-1"_s), 0.25);
    EXPECT_EQ(leadingNumber(u"3D2"_s), 300.0);
    EXPECT_EQ(leadingNumber(u"1.2.3"_s), 1.2);
    EXPECT_EQ(leadingNumber(u"1,5"_s), 1.0);
    EXPECT_EQ(leadingNumber(u" .05 "_s), 0.05);
}

TEST(LeadingNumber, NoDigitsGiveZero) {
    EXPECT_EQ(leadingNumber(u"abc"_s), 0.0);
    EXPECT_EQ(leadingNumber(u"+"_s), 0.0);
    EXPECT_EQ(leadingNumber(u"-"_s), 0.0);
    EXPECT_EQ(leadingNumber(u"."_s), 0.0);
    EXPECT_EQ(leadingNumber(u"e5"_s), 0.0);
    EXPECT_EQ(leadingNumber(QString()), 0.0);
    EXPECT_EQ(leadingNumber(u"- 5"_s), 0.0);
}

TEST(LeadingNumber, HugeExponentsOverflowToInfinityAndTinyOnesToZero) {
    EXPECT_EQ(leadingNumber(u"1e400"_s), std::numeric_limits<double>::infinity());
    EXPECT_EQ(leadingNumber(u"-1e99999999999999999999"_s),
              -std::numeric_limits<double>::infinity());
    EXPECT_EQ(leadingNumber(u"1e-400"_s), 0.0);
    EXPECT_EQ(leadingNumber(u"0.0000001e-320"_s), 0.0);
    EXPECT_EQ(leadingNumber(u"1000e-402"_s), 0.0);
    EXPECT_EQ(leadingNumber(u"0.001e311"_s), 1e308);
    EXPECT_EQ(leadingNumber(u"0e999999"_s), 0.0);
}

TEST(LocaleReal, GermanLocaleReadsCommaAndPointTexts) {
    const QLocale german(QLocale::German, QLocale::Germany);
    EXPECT_EQ(localeReal(u"1,5"_s, german), 1.5);
    EXPECT_EQ(localeReal(u" ,05 "_s, german), 0.05);
    EXPECT_EQ(localeReal(u"-,05"_s, german), -0.05);
    EXPECT_EQ(localeReal(u"1,5E+07"_s, german), 1.5e7);
    EXPECT_EQ(localeReal(u" 1.5 "_s, german), 1.5);
    // A "." text is never taken as a thousands separator.
    EXPECT_EQ(localeReal(u"1.500"_s, german), 1.5);
    EXPECT_EQ(localeReal(u"1.234.567"_s, german), std::nullopt);
}

TEST(LocaleReal, ListOutputFormsReadBack) {
    const QLocale c = QLocale::c();
    EXPECT_EQ(localeReal(u" .05 "_s, c), 0.05);
    EXPECT_EQ(localeReal(u"-.05 "_s, c), -0.05);
    EXPECT_EQ(localeReal(u" 1E-05 "_s, c), 1e-05);
    EXPECT_EQ(localeReal(u" 1.234568E+07 "_s, c), 1.234568e7);
    EXPECT_EQ(localeReal(u"\t8\t"_s, c), 8.0);
}

TEST(LocaleReal, WholeLineMustBeANumber) {
    const QLocale c = QLocale::c();
    EXPECT_EQ(localeReal(u"1,5"_s, c), std::nullopt);
    EXPECT_EQ(localeReal(u"12abc"_s, c), std::nullopt);
    EXPECT_EQ(localeReal(u"1 2"_s, c), std::nullopt);
    EXPECT_EQ(localeReal(QString(), c), std::nullopt);
    EXPECT_EQ(localeReal(u"   "_s, c), std::nullopt);
    EXPECT_EQ(localeReal(u"nan"_s, c), std::nullopt);
    EXPECT_EQ(localeReal(u"inf"_s, c), std::nullopt);
    EXPECT_EQ(localeReal(u"1e999"_s, c), std::nullopt);
}

TEST(BooleanValue, WordsInAnyCaseOrNumbers) {
    const QLocale c = QLocale::c();
    EXPECT_EQ(booleanValue(u"True"_s, c), true);
    EXPECT_EQ(booleanValue(u"FALSE"_s, c), false);
    EXPECT_EQ(booleanValue(u"tRuE"_s, c), true);
    EXPECT_EQ(booleanValue(u"0"_s, c), false);
    EXPECT_EQ(booleanValue(u"-1"_s, c), true);
    EXPECT_EQ(booleanValue(u"0,5"_s, QLocale(QLocale::German)), true);
    EXPECT_EQ(booleanValue(u"Yes"_s, c), std::nullopt);
    EXPECT_EQ(booleanValue(QString(), c), std::nullopt);
}

TEST(SystemDecimalSeparator, FollowsTheSystemLocale) {
    EXPECT_EQ(QString(systemDecimalSeparator()), QLocale::system().decimalPoint());
}

}  // namespace
}  // namespace zelapp::rt
