// What the setup dialogs hold a typed number to, and the messages that refuse a box. Each
// dialog names the box by its label's caption without the accelerator.
#pragma once

#include <QLocale>
#include <QString>
#include <optional>

namespace zelapp {

// The decimals a channel shows, and the default decimals of probe and analog values.
inline constexpr int kMinDecimals = 0;
inline constexpr int kMaxDecimals = 5;
// The smallest full scale a probe or analog input takes: a probe's scale and its bar's range
// come from it.
inline constexpr double kMinFullScale = 0.001;

// The typed text as a Single; nothing when it is not a number or lies beyond a Single's range.
std::optional<float> typedSingle(const QString &typed, const QLocale &locale);

QString notANumberText(const QString &typed, const QString &label);
// low and high as the box shows numbers.
QString outOfRangeText(const QString &typed, const QString &label, const QString &low,
                       const QString &high);
QString belowText(const QString &typed, const QString &label, const QString &limit);

}  // namespace zelapp
