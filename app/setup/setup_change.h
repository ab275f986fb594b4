// What changed in the setup, and the one notice of it: every change of the setup is announced
// here, so that the scan, the displays and every dialog follow it, instead of one window
// refreshing another by hand.
#pragma once

#include <QObject>

namespace zelapp {

struct SetupChange {
    enum class Kind {
        Replaced,        // New or Open put a whole other setup in place
        Counts,          // channels, probes or analog inputs were added or removed
        Channel,         // a channel's formula, description, decimals, masters, limits, bar range
        ChannelScaling,  // a channel's zero offset or scaling (mastering)
        Lvdt,            // a probe's description, full scale or zero offset
        Analog,          // an analog input's description, full scale or zero offset
        Amplifier,       // a probe's amplifier settings (calibration, profile load)
        Groups,          // the groups or their channels
    };
    Kind kind = Kind::Replaced;
    // The channel, probe or input; 0 for all of them (a profile load sets every probe).
    int item = 0;

    bool operator==(const SetupChange &) const = default;
    // Whether the change may concern channel, probe or input n of its kind.
    bool concerns(Kind which, int n) const { return kind == which && (item == 0 || item == n); }
};

class SetupNotifier : public QObject {
    Q_OBJECT
  signals:
    // After the change is made; listeners run in the order they connected.
    void changed(const zelapp::SetupChange &change);
};

}  // namespace zelapp
