// Number texts and conversions of the language runtime the program's files and displays are
// built on: the value format of the live displays, the signed-number text, the list-output form
// of the settings and setup files, the default text of reals, and the lenient and locale-aware
// conversions back. Everything the files hold and the operator sees goes through here.
#pragma once

#include <QChar>
#include <QLocale>
#include <QString>
#include <optional>

namespace zelapp::rt {

// ---- Output ----

// The format text for d decimals: "\ #0." + d zeros + ";-#0." + d zeros.
QString valueFormatText(int decimals);

// A value in that format: at least one integer digit, exactly d decimals rounded half away
// from zero, a blank before zero and positive values and "-" before negative ones (also when
// they round to zero), `separator` as decimal separator; d = 0 ends with the separator.
// Decimals outside 0..30 are taken as the nearest bound. Each overload rounds the shortest
// decimal text of its value, so 2.675f gives 2.68 at two decimals. -0 counts as zero; NaN and
// infinities give " NaN", " Inf" and "-Inf".
QString formatValue(float value, int decimals, QChar separator);
QString formatValue(double value, int decimals, QChar separator);

// A measured value as every results output shows it (the result window, the Part topic, the
// history window and its CSV, zelparts, the DFQ file): the digits formatValue gives, without
// the blank before them, without the separator at 0 decimals, and without a sign when the value
// rounds to zero ("0.0000", never "-0.0000"). The tolerance rule judges this text
// (roundedDecimal), so a value's text and its verdict never disagree. NaN and infinities give
// "NaN", "Inf" and "-Inf".
QString resultText(float value, int decimals, QChar separator);
QString resultText(double value, int decimals, QChar separator);

// The double nearest the shortest decimal text of a Single (0.01f gives 0.01, not
// 0.009999999776482582): what a Single limit or value means wherever it is stored, sent or
// compared as a decimal. NaN and infinities stay as they are.
double shortestDecimal(float value);
// The number resultText shows at d decimals, as the nearest double: -0.000004 at 5 decimals
// gives 0, 0.009996 gives 0.01. NaN and infinities stay as they are.
double roundedDecimal(float value, int decimals);

// The signed-number text of an Integer: a blank before a non-negative number, "-" otherwise.
QString signedNumber(int value);

// List-output form (settings and setup files): blank or "-", the shortest text of the value,
// one trailing blank. Singles have at most 7 significant digits, no leading zero (".05") and
// exponent form outside 1E-4..1E7 ("1E-05", "1.5E+07"). `separator` is the decimal separator.
QString listOutput(int value);
QString listOutput(float value, QChar separator = QLatin1Char('.'));

// Default text of a real, as a text box shows it: up to 7 (Single) or 15 (Double) significant
// digits, a leading zero before the separator ("0.05"), no blanks, exponent form as above
// (Doubles from 1E15).
QString defaultText(float value, QChar separator = QLatin1Char('.'));
QString defaultText(double value, QChar separator = QLatin1Char('.'));

// ---- Input ----

// Nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
double roundHalfEven(double value);

// The value rounded as above when it fits 16 bits; nothing otherwise (also for NaN).
std::optional<int> toInteger16(double value);

// The lenient prefix conversion: leading blanks and tabs skipped, an optional sign, digits with
// "." as decimal point and an optional exponent (E or D, either case, with its own sign); stops
// at the first character that cannot continue the number. No digits give 0. Never fails: a
// value beyond the range of a Double gives an infinity, which callers check.
double leadingNumber(const QString &text);

// A whole line as a real in the given locale, blanks around allowed. Text written with "." as
// separator is also accepted, so setup files move between locales; group separators are not.
// Nothing when the line is not a finite number (texts of NaN and infinities included).
std::optional<double> localeReal(const QString &text, const QLocale &locale);

// "True"/"False" in any case, or a number (0 false, anything else true).
std::optional<bool> booleanValue(const QString &text, const QLocale &locale);

// The decimal separator of the user's locale.
QChar systemDecimalSeparator();

}  // namespace zelapp::rt
