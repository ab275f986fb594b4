// A complete headless setup over a fake unit, with the start-up defaults built, for the tests
// of the model, the setup procedures, the setup file and the scan cycle.
#pragma once

#include "base/app_state.h"
#include "fake_unit.h"
#include "recording_main_window.h"
#include "scripted_prompter.h"
#include "setup/channel_labels.h"
#include "setup/current_items.h"
#include "setup/setup.h"

namespace zeltest {

struct SetupFixture {
    FakeUnit unit;
    ScriptedPrompter prompter;
    zelapp::AppState state;
    zelapp::ChannelLabels labels;
    zelapp::CurrentItemHolder currentItems;
    RecordingMainWindow mainWindow;
    zelapp::ModelContext context{unit, prompter, state};
    zelapp::Setup setup{context, state, labels, currentItems, mainWindow};

    // Builds the default objects for the counts in `state` as start-up does, then forgets the
    // calls that made.
    explicit SetupFixture(int channels = 8, int lvdts = 8, int analogs = 1) {
        state.MaxChannel = channels;
        state.MaxLvdt = lvdts;
        state.MaxAnalog = analogs;
        setup.CreateDefaultObjects();
        unit.clearCalls();
    }
};

}  // namespace zeltest
