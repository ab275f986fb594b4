#include "dialogs/main_commands.h"

#include "dialogs/mastering.h"
#include "dialogs/setup_analog.h"
#include "dialogs/setup_chan.h"
#include "dialogs/setup_lvdt.h"
#include "setup/setup.h"

namespace zelapp {

MainCommands::MainCommands(AppState &state, Setup &setup, UnitApi &unit, Prompter &prompter,
                           Help &help, SetupChanTool &setupChan, SetupLvdtTool &setupLvdt,
                           SetupAnalogTool &setupAnalog, MasteringTool &mastering,
                           MainWindowPort &windows)
    : state_(state),
      setup_(setup),
      unit_(unit),
      prompter_(prompter),
      help_(help),
      setupChan_(setupChan),
      setupLvdt_(setupLvdt),
      setupAnalog_(setupAnalog),
      mastering_(mastering),
      windows_(windows) {}

void MainCommands::setViewMark(int viewType, bool checked) {
    if (checked) {
        marks_.view = viewType;
    } else if (marks_.view == viewType) {
        marks_.view = 0;
    }
    windows_.marksChanged();
}

void MainCommands::EnableGrid_Click() {
    const bool on = !marks_.grid;
    marks_.grid = on;
    windows_.marksChanged();
    if (on) {
        windows_.UpdateMainDisplay();
    }
    windows_.showGrid(on);
}

void MainCommands::EnableBarGraphs_Click() {
    const bool on = !marks_.bars;
    marks_.bars = on;
    windows_.marksChanged();
    if (on) {
        windows_.UpdateMainDisplay();
    }
    windows_.showBars(on);
}

void MainCommands::setView(int viewType) {
    state_.ViewType = viewType;
    windows_.UpdateMainDisplay();
}

void MainCommands::ViewGroups_Click() {
    if (!CheckForAnyGroups()) {
        prompter_.message(QStringLiteral("No groups exist"));
        return;
    }
    // The selection dialog sets CurrentGroup on OK; on Cancel the view still changes.
    windows_.showDialog(CommandDialog::SelectGroup, true);
    setView(VIEWTYPEGROUPS);
}

void MainCommands::ViewChannels_Click() {
    setView(VIEWTYPECHANNELS);
}

void MainCommands::ViewLVDTs_Click() {
    // The hold keeps the tick off the displays until UpdateMainDisplay has rebuilt them for
    // the probes; UpdateMainDisplay releases it.
    state_.takeScanHold();
    setView(VIEWTYPELVDTS);
}

void MainCommands::ViewAnalogs_Click() {
    setView(VIEWTYPEANALOGS);
}

void MainCommands::UpdateToggle_Click() {
    marks_.update = !marks_.update;
    windows_.marksChanged();
    state_.UpdateEnabled = marks_.update;
}

void MainCommands::ZeroChannel_Click() {
    showMastering(true);
}

void MainCommands::MasterChannel_Click() {
    showMastering(false);
}

void MainCommands::showMastering(bool zero) {
    state_.MasteringMode = zero;
    if (windows_.isDialogOpen(CommandDialog::Mastering)) {
        // Open modeless from Master: it stays so, comes forward and starts over in the mode
        // asked for.
        mastering_.modeAsked();
        windows_.showDialog(CommandDialog::Mastering, false);
        return;
    }
    // Zeroing is modal: the operator finishes it before anything else.
    windows_.showDialog(CommandDialog::Mastering, zero);
}

void MainCommands::SetupGeneral_Click() {
    windows_.showDialog(CommandDialog::SetupSystem, false);
}

void MainCommands::SetupLVDTs_Click() {
    windows_.showDialog(CommandDialog::SetupLvdt, false);
    windows_.UpdateMainDisplay();
}

void MainCommands::SetupChannels_Click() {
    windows_.showDialog(CommandDialog::SetupChan, false);
    windows_.UpdateMainDisplay();
}

void MainCommands::SetupGroups_Click() {
    windows_.showDialog(CommandDialog::SetupGroup, false);
    windows_.UpdateMainDisplay();
}

void MainCommands::AboutMoxSRV_Click() {
    windows_.showDialog(CommandDialog::About, true);
}

void MainCommands::mnuHelpContents_Click() {
    showHelpTopic(0);
}

void MainCommands::showHelpTopic(long topic) {
    help_.ShowHelpTopic(topic, windows_.caption());
}

void MainCommands::CommandResetMM_Click() {
    if (marks_.resetMM) {
        unit_.ZelResetMM();
    }
}

void MainCommands::setCycleRunning(bool running) {
    if (marks_.resetMM != !running) {
        marks_.resetMM = !running;
        windows_.marksChanged();
    }
}

void MainCommands::GotoSetupFromView(int index) {
    // A position the view does not have opens nothing.
    switch (state_.ViewType) {
        case VIEWTYPEGROUPS: {
            const group *g = setup_.groupAt(state_.CurrentGroup);
            const int channel = g != nullptr ? g->GetChannel(index) : 0;
            if (channel < 1 || channel > setup_.channelCount()) {
                return;
            }
            pickChannel(channel);
            return;
        }
        case VIEWTYPECHANNELS:
            if (index < 1 || index > setup_.channelCount()) {
                return;
            }
            pickChannel(index);
            return;
        case VIEWTYPELVDTS:
            if (index < 1 || index > setup_.lvdtCount()) {
                return;
            }
            pickLvdt(index);
            return;
        case VIEWTYPEANALOGS:
            if (index < 1 || index > setup_.analogCount()) {
                return;
            }
            pickAnalog(index);
            return;
        default:
            return;
    }
}

void MainCommands::pickChannel(int channel) {
    if (windows_.isDialogOpen(CommandDialog::SetupChan)) {
        // Open from the Setup menu: it may hold edits of its own channel, which the operator
        // keeps with Cancel. Otherwise it comes forward on the picked channel.
        if (!setupChan_.ConfirmChannelChanges()) {
            return;
        }
        setupChan_.SetCurrentChannel(channel);
        windows_.showDialog(CommandDialog::SetupChan, false);
    } else {
        setupChan_.SetCurrentChannel(channel);
        windows_.showDialog(CommandDialog::SetupChan, true);
    }
    windows_.UpdateMainDisplay();
}

void MainCommands::pickLvdt(int lvdt) {
    const bool open = windows_.isDialogOpen(CommandDialog::SetupLvdt);
    // Open from the Setup menu, it asks about its own probe's edits first, as in pickChannel.
    if (open && !setupLvdt_.ConfirmLvdtChanges()) {
        return;
    }
    setupLvdt_.SetCurrentLvdt(lvdt);
    windows_.showDialog(CommandDialog::SetupLvdt, !open);
    windows_.UpdateMainDisplay();
}

void MainCommands::pickAnalog(int input) {
    const bool open = windows_.isDialogOpen(CommandDialog::SetupAnalog);
    // An edited input stays until it is programmed: the dialog says so and keeps it.
    if (open && !setupAnalog_.ConfirmAnalogChanges()) {
        return;
    }
    setupAnalog_.SetCurrentAnalog(input);
    windows_.showDialog(CommandDialog::SetupAnalog, !open);
    windows_.UpdateMainDisplay();
}

bool MainCommands::CheckForAnyGroups() const {
    for (int i = 1; i <= setup_.groupCount(); ++i) {
        if (setup_.groupAt(i)->Count > 0) {
            return true;
        }
    }
    return false;
}

void MainCommands::ClearGroups() {
    const int count = setup_.groupCount();
    for (int i = 0; i < count; ++i) {
        setup_.removeGroup(1);
    }
}

}  // namespace zelapp
