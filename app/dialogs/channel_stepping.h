// Stepping through the channels in the dialogs that edit or master one channel at a time:
// from the last channel on to the first, from the first back to the last.
#pragma once

namespace zelapp {

// NextChannel: current + 1, or 1 when current is already the last. 0 with no channels.
constexpr int nextChannel(int current, int count) {
    if (count < 1) {
        return 0;
    }
    return current >= count || current < 1 ? 1 : current + 1;
}

// PreviousChannel: current - 1, or the last when current is below 2. 0 with no channels.
constexpr int previousChannel(int current, int count) {
    if (count < 1) {
        return 0;
    }
    return current < 2 || current > count ? count : current - 1;
}

}  // namespace zelapp
