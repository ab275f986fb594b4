// Where F1 leads: each dialog, and the bars' link pop-up, has its own section of the manual,
// which the help shows at the anchor "topic-<number>".
#pragma once

#include <array>

#include "base/main_window_port.h"

namespace zelapp {

struct DialogHelpTopic {
    CommandDialog dialog;
    long topic;
};

inline constexpr std::array<DialogHelpTopic, 9> kDialogHelpTopics{{
    {CommandDialog::SetupChan, 98481},
    {CommandDialog::SetupGroup, 98482},
    {CommandDialog::SelectGroup, 98483},
    {CommandDialog::SetupLvdt, 98484},
    {CommandDialog::SetupAnalog, 98485},
    {CommandDialog::SetupSystem, 98486},
    {CommandDialog::Mastering, 98487},
    {CommandDialog::About, 98488},
    {CommandDialog::Calibrate, 98496},
}};

inline constexpr long kLinkPopupHelpTopic = 98489;
// The part program window's section, "Measuring parts".
inline constexpr long kPartProgramHelpTopic = 98510;
// The history window's section.
inline constexpr long kPartHistoryHelpTopic = 98511;
// The statistics window's section.
inline constexpr long kStatisticsHelpTopic = 98512;

// A dialog's topic; 0, the contents, for one without a section.
constexpr long helpTopic(CommandDialog dialog) {
    for (const DialogHelpTopic &entry : kDialogHelpTopics) {
        if (entry.dialog == dialog) {
            return entry.topic;
        }
    }
    return 0;
}

}  // namespace zelapp
