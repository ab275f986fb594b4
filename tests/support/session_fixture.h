// Each test starts from a freshly loaded library session on a fake platform, with every
// message the library shows recorded.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_platform.h"
#include "session.h"
#include "zelcomm.h"

namespace zeltest {

// Messages received through the library's message hook, in order.
std::vector<ShownMessage> &hookedMessages();
void ZELAPI recordMessage(const char *text, const char *caption, std::uint32_t style);

class SessionTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Unit on `port` of an NT-family system, found by ZelCommInit; recordings cleared.
    void connectUnit(int port = 1);
    std::vector<std::string> messageTexts() const;

    FakePlatform fake;
};

}  // namespace zeltest
