// A complete headless setup over a fake unit, with the start-up defaults built, for the tests
// of the model, the setup procedures, the setup file and the scan cycle.
#pragma once

#include <QLocale>
#include <functional>
#include <vector>

#include "base/app_state.h"
#include "dialogs/dialog_context.h"
#include "fake_unit.h"
#include "recording_windows.h"
#include "scripted_prompter.h"
#include "setup/channel_labels.h"
#include "setup/current_items.h"
#include "setup/setup.h"

namespace zeltest {

// The dialogs' current items, without the dialogs.
class CurrentItemHolder : public zelapp::CurrentItems {
  public:
    int GetCurrentChannel() const override { return channel_; }
    void SetCurrentChannel(int channel) override { channel_ = channel; }
    int GetCurrentLvdt() const override { return lvdt_; }
    void SetCurrentLvdt(int lvdt) override { lvdt_ = lvdt; }
    int GetCurrentAnalog() const override { return analog_; }
    void SetCurrentAnalog(int input) override { analog_ = input; }

  private:
    int channel_ = 1;
    int lvdt_ = 1;
    int analog_ = 1;
};

struct SetupFixture {
    FakeUnit unit;
    ScriptedPrompter prompter;
    zelapp::AppState state;
    zelapp::ChannelLabels labels;
    CurrentItemHolder currentItems;
    RecordingWindows mainWindow;
    zelapp::ModelContext context{unit, prompter, state};
    zelapp::Setup setup{context, state, labels, currentItems, mainWindow};
    // What a dialog's tool is built from, with "." as the separator of typed numbers.
    zelapp::DialogContext dialogs{setup, state, unit, prompter, QLocale::c()};

    // Every notice of a change of the setup, in order; onChange runs at each.
    std::vector<zelapp::SetupChange> changes;
    std::function<void(const zelapp::SetupChange &)> onChange;

    // Builds the default objects for the counts in `state` as start-up does, then forgets the
    // calls that made.
    explicit SetupFixture(int channels = 8, int lvdts = 8, int analogs = 1) {
        state.MaxChannel = channels;
        state.MaxLvdt = lvdts;
        state.MaxAnalog = analogs;
        setup.CreateDefaultObjects();
        unit.clearCalls();
        QObject::connect(&setup.notifier(), &zelapp::SetupNotifier::changed,
                         [this](const zelapp::SetupChange &change) {
                             changes.push_back(change);
                             if (onChange) {
                                 onChange(change);
                             }
                         });
    }
};

}  // namespace zeltest
