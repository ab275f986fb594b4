// The whole program started in-process on a fake unit, for the tests of its windows: each test
// starts with the main window shown and no message on record.
#pragma once

#include <gtest/gtest.h>

#include "app_fixture.h"

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
};

}  // namespace zeltest
