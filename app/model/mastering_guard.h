// The check before a mastering result is written: a scaling that moves by more than a share of
// itself, or a zero that moves by more than the channel's tolerance band, is more likely a
// wrong master or a stuck probe than a drifted gauge, so the operator is asked first.
#pragma once

#include <QChar>
#include <QString>

namespace zelapp {

class SettingsStore;

struct MasteringGuardLimits {
    double scalingPercent = 10;  // of the old scaling
    double zeroBands = 1;        // tolerance bands (HiTol - LoTol)
};

struct MasteringChangeCheck {
    double oldScaling = 1;
    double newScaling = 1;
    double oldZero = 0;
    double newZero = 0;
    double hiTol = 0;
    double loTol = 0;
};

// The question to ask before writing, or an empty text when the change is within both limits.
// A change exactly at a limit is within it. Numbers are shown as the mastering window shows
// them (`decimals`, `separator`), without the leading blank; the percentage as a whole number.
QString masteringGuardQuestion(const MasteringChangeCheck &change,
                               const MasteringGuardLimits &limits, int decimals, QChar separator);

// The limits beyond which a mastering result asks before it is written: "ScalingLimitPercent"
// (default 10) and "ZeroLimitBands" (tolerance bands, default 1) in section "Mastering". A
// stored value that is not a number of at least 0 gives the default.
MasteringGuardLimits readMasteringGuard(const SettingsStore &store);

}  // namespace zelapp
