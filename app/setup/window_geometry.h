// Where a display window sits, in twips (1/1440 inch); a Height of 0 means never placed.
#pragma once

#include <array>

namespace zelapp {

struct WindowGeometry {
    int Top = 0;
    int Left = 0;
    int Height = 0;
    int Width = 0;
    bool operator==(const WindowGeometry &) const = default;
};

// The nine window records of a setup, in file order.
enum class SetupWindow {
    ChannelGrid,
    ChannelBar,
    ChannelDial,
    LvdtGrid,
    LvdtBar,
    LvdtDial,
    AnalogGrid,
    AnalogBar,
    AnalogDial,
};
constexpr int kSetupWindowCount = 9;

using SetupWindows = std::array<WindowGeometry, kSetupWindowCount>;

inline WindowGeometry &windowRecord(SetupWindows &windows, SetupWindow which) {
    return windows[static_cast<int>(which)];
}

}  // namespace zelapp
