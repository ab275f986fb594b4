// A refused formula explained by reading it with the unit's rules, one case per row of the
// unit's table of statuses; a status the text does not show explains nothing.
#include <gtest/gtest.h>

#include "model/formula_check.h"

using namespace Qt::StringLiterals;

TEST(FormulaCheck, EachRefusalOfTheUnitsTableIsPlacedAndNamed) {
    const zelapp::FormulaCounts counts{4, 8, 1};
    const struct {
        const char *formula;
        int status;
        const char *message;
    } cases[] = {
        {"C1+C0", 10, "Bad channel number at character 4 of 'C1+C0': the setup has no channel C0"},
        {"T1*)", 12, "Bad formula at character 4 of 'T1*)': ')' where an operand is due"},
        {"T1T2", 12, "Bad formula at character 3 of 'T1T2': 'T' after a complete expression"},
        {"2 T1", 12, "Bad formula at character 3 of '2 T1': 'T' after a complete expression"},
        {"T1+T2)", 13, "Bad formula at character 6 of 'T1+T2)': ')' without '('"},
        {"(T1", 13, "Bad formula at character 1 of '(T1': '(' is never closed"},
        {"T1+A2", 15,
         "Bad probe number at character 4 of 'T1+A2': the setup has no analog input A2"},
        {"ABS T1", 16,
         "Bad formula at character 1 of 'ABS T1': ABS needs its argument in parentheses"},
        {"ABS(T1,T2)", 16,
         "Bad formula at character 1 of 'ABS(T1,T2)': ABS takes one expression, not a list"},
        {"TIR(C1+1)", 16,
         "Bad formula at character 1 of 'TIR(C1+1)': TIR takes one channel, as TIR(C1)"},
        {"1.2.3", 17, "Bad number in formula at character 1 of '1.2.3': '1.2.3' is not a number"},
        {"T1*1E+", 17, "Bad number in formula at character 4 of 'T1*1E+': '1E+' is not a number"},
        {"T1+X2", 18, "Bad symbol at character 4 of 'T1+X2': 'X' is not T, A, C or a function"},
        {"C+1", 18, "Bad symbol at character 1 of 'C+1': 'C' needs a number"},
        {"T1+", 22,
         "Bad formula at character 4 of 'T1+': the formula ends where an operand is due"},
        {"GOR(T1,,T2)", 23,
         "Bad set in GOR or LOR function at character 8 of 'GOR(T1,,T2)': an empty item in the set "
         "of GOR"},
        {"LOR(T4:T1)", 23,
         "Bad set in GOR or LOR function at character 5 of 'LOR(T4:T1)': the range descends"},
        {"gor(t1, a1)", 23,
         "Bad set in GOR or LOR function at character 9 of 'gor(t1, a1)': the set mixes kinds of "
         "items"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.formula);
        EXPECT_EQ(zelapp::explainFormulaRefusal(QString::fromLatin1(c.formula), c.status, counts),
                  QString::fromUtf8(c.message));
    }
    // Good formulas, and statuses the text cannot show, explain nothing.
    for (const char *good :
         {"(T1 + T2) / 2", "-t01*1.5e-3+.5", "SQRT(ABS(C1))", "MAX(C2)", "GOR(T1:T4, T6)", "5."}) {
        EXPECT_EQ(zelapp::explainFormulaRefusal(QString::fromLatin1(good), 12, counts), QString())
            << good;
    }
    EXPECT_EQ(zelapp::explainFormulaRefusal(u"T1+T2)"_s, 12, counts), QString());
    EXPECT_EQ(zelapp::explainFormulaRefusal(u"T1"_s, 14, counts), QString());
    QString deep = u"T1"_s;
    for (int i = 0; i < 17; ++i) {
        deep = u"("_s + deep + u")"_s;
    }
    EXPECT_TRUE(zelapp::explainFormulaRefusal(deep, 19, counts)
                    .startsWith(u"Formula too complex at character 17 of"_s));
}
