// The whole program started in-process on a fake unit, for the tests of its windows: each test
// starts with the main window shown and no message on record.
#pragma once

#include <gtest/gtest.h>

#include "app_fixture.h"
#include "core/session.h"
#include "setup/part_program.h"

namespace zeltest {

class StartedAppTest : public ::testing::Test {
  protected:
    AppFixture f;
    zelapp::FormMain *w = nullptr;

    void SetUp() override {
        ASSERT_EQ(f.start(), zelapp::StartupResult::Running);
        f.prompter.shown.clear();  // "zelapp.ini file not found" at the first start
        w = f.window();
    }

    // Channels 1 to `count`, each reading probe 1 as "Diameter <n>" within +-0.05 (warnings at
    // +-0.04), and a part program measuring them, for the caller to adjust and make active.
    zelapp::PartProgram diameterChannels(int count, int decimals) {
        zelapp::Setup &setup = f.app->setup();
        if (setup.channelCount() < count) {
            setup.CreateChannels(count);
        }
        zelapp::PartProgram program;
        for (int n = 1; n <= count; ++n) {
            zelapp::Channel &c = *setup.channel(n);
            c.setFormula(QStringLiteral("T1"));
            c.Description = QStringLiteral("Diameter %1").arg(n);
            c.Decimals = decimals;
            c.LoTol = -0.05f;
            c.LoAppr = -0.04f;
            c.HiAppr = 0.04f;
            c.HiTol = 0.05f;
            program.characteristics.push_back(n);
        }
        return program;
    }

    // Measures one part from the main window; false when it did not reach its result.
    bool measure() {
        w->measurePart();
        zelapp::PartCycle &cycle = f.app->session().partCycle();
        for (int i = 0; i < 100 && cycle.state() != zelapp::CycleState::Result; ++i) {
            cycle.poll();
        }
        return cycle.state() == zelapp::CycleState::Result;
    }
};

}  // namespace zeltest
