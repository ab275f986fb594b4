// A dialog's live-value field as the scan tick sees it: which channel or input the field
// shows, and where the text goes. Each dialog that shows a live value registers its own sink
// with the scan cycle; the tick feeds every sink that names an item, whether or not the main
// displays are held.
#pragma once

#include <QString>
#include <optional>

namespace zelapp {

// Where a value would be shown while the unit is not communicating: never a number.
inline QString noUnitText() {
    return QStringLiteral("NO UNIT");
}

class LiveValueSink {
  public:
    enum class Source { Channel, Lvdt, Analog };

    virtual ~LiveValueSink() = default;
    virtual Source liveSource() const = 0;
    // The channel or input to read; 0 while the field wants no value. A number the setup does
    // not have is passed over rather than read.
    virtual int liveNumber() const = 0;
    // Channel texts normally get their own format; a sink that shares the main displays'
    // cached format takes its turn in their run of decimals.
    virtual bool sharesChannelFormat() const { return false; }
    // The formatted value and the reading behind it; no reading for a channel without a
    // formula or an item whose read the unit refuses, whose text is empty, nor while the unit
    // is lost, when the text is "NO UNIT".
    virtual void showLiveValue(const QString &text, std::optional<float> reading) = 0;
};

}  // namespace zelapp
