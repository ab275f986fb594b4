// Unit status codes, their messages, and demonstration mode.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>

#include "messages.h"
#include "protocol.h"
#include "session_fixture.h"

namespace zeltest {
namespace {

using ::testing::ElementsAre;

const char *const kDemo = "ZEL-8 not communicating -- Entering DEMO mode";

TEST(StatusTextTest, NamesEveryCodeTheUnitExplains) {
    const std::pair<int, const char *> cases[] = {{10, "Bad channel number"},
                                                  {12, "Bad formula"},
                                                  {13, "Bad formula"},
                                                  {14, "Table full"},
                                                  {15, "Bad probe number"},
                                                  {16, "Bad formula"},
                                                  {17, "Bad number in formula"},
                                                  {18, "Bad symbol"},
                                                  {19, "Formula too complex"},
                                                  {20, "Circular channel definition"},
                                                  {21, "Memory full"},
                                                  {22, "Bad formula"},
                                                  {23, "Bad set in GOR or LOR function"},
                                                  {1, "Unknown error:00000001"},
                                                  {9, "Unknown error:00000009"},
                                                  {11, "Unknown error:0000000B"},
                                                  {24, "Unknown error:00000018"},
                                                  {254, "Unknown error:000000FE"},
                                                  {255, kDemo},
                                                  {-1, kDemo}};
    char buffer[48];
    for (const auto &[status, text] : cases) {
        EXPECT_STREQ(zelcomm::statusText(status, buffer, sizeof buffer), text) << status;
    }
}

using StatusTest = SessionTest;

TEST_F(StatusTest, ErrorIsShownWhileTheErrorBoxFlagIsSet) {
    connectUnit();
    char formula[] = "T1";
    fake.replies.push_back(Reply::answer(14));
    EXPECT_EQ(ZelDefineChannel(1, formula), 14);
    ASSERT_EQ(hookedMessages().size(), 1u);
    EXPECT_EQ(hookedMessages()[0].text, "Table full");
    EXPECT_FALSE(hookedMessages()[0].hasCaption) << "unit errors have no caption of their own";
    EXPECT_EQ(hookedMessages()[0].style, 0x2030u);

    ZelMsgBox(0);
    fake.replies.push_back(Reply::answer(14));
    EXPECT_EQ(ZelDefineChannel(1, formula), 14);
    EXPECT_EQ(hookedMessages().size(), 1u) << "still returned, no longer shown";
    EXPECT_EQ(zelcomm::session.demo, 0) << "an error code is no reason for demo mode";
}

TEST_F(StatusTest, UnknownCodeIsShownInHexadecimal) {
    connectUnit();
    fake.replies.push_back(Reply::answer(11));
    EXPECT_EQ(ZelStartScan(), 11);
    EXPECT_THAT(messageTexts(), ElementsAre("Unknown error:0000000B"));
}

TEST_F(StatusTest, Status255EntersDemoModeAndReturnsMinusOne) {
    connectUnit();
    ZelMsgBox(0);
    fake.replies.push_back(Reply::answer(255, {0x39, 0x30}));
    int16_t fine = 0;
    EXPECT_EQ(ZelReadLvdtFine(1, &fine), -1);
    EXPECT_EQ(fine, 0x3039) << "always-copied outputs come from the unit's answer";
    EXPECT_THAT(messageTexts(), ElementsAre(kDemo)) << "shown even with the error-box flag clear";
    EXPECT_EQ(zelcomm::session.demo, 1);
    EXPECT_EQ(zelcomm::session.open, 1) << "demo mode keeps the device open";

    fake.forget();
    float value = 3.0f;
    EXPECT_EQ(ZelReadChannel(1, &value), 0);
    EXPECT_EQ(value, 0.0f);
    EXPECT_TRUE(fake.calls.empty()) << "demo mode makes no driver call";
    EXPECT_EQ(hookedMessages().size(), 1u);
}

TEST_F(StatusTest, FailedDriverCallShowsOneBoxAndAnswersFromDemoMode) {
    connectUnit();
    fake.replies.push_back(Reply::failedCall());
    char *text = nullptr;
    EXPECT_EQ(ZelReadFormula(1, &text), 0);
    EXPECT_STREQ(text, "T1");
    EXPECT_THAT(messageTexts(), ElementsAre(kDemo));
    EXPECT_EQ(zelcomm::session.lastCallSucceeded, 0);
    float value = 1.0f;
    EXPECT_EQ(ZelReadChannel(2, &value), 0);
    EXPECT_EQ(hookedMessages().size(), 1u) << "one box, not one per request";
}

TEST_F(StatusTest, RequestsBeforeAnyInitialisationNeverReachTheDriver) {
    fake.devices = {"\\\\.\\ZEL1"};
    EXPECT_EQ(ZelIsDemo(), 1);
    float value = 4.0f;
    EXPECT_EQ(ZelReadChannel(1, &value), 0);
    EXPECT_EQ(value, 0.0f);
    char formula[] = "T1";
    EXPECT_EQ(ZelDefineChannel(1, formula), 0);
    EXPECT_TRUE(fake.calls.empty());
    EXPECT_TRUE(hookedMessages().empty());
}

TEST_F(StatusTest, InitialisationLeavesDemoMode) {
    connectUnit();
    fake.replies.push_back(Reply::answer(255));
    ZelStartScan();
    ASSERT_EQ(zelcomm::session.demo, 1);
    EXPECT_EQ(ZelCommInit(0), 0);
    fake.forget();
    fake.replies.push_back(Reply::answer(0, {0, 0, 0x80, 0x3F}));
    float value = 0;
    EXPECT_EQ(ZelReadChannel(1, &value), 0);
    EXPECT_EQ(value, 1.0f);
    EXPECT_EQ(fake.requests().size(), 1u);
}

class DemoAnswerTest : public SessionTest {
  protected:
    // Fills the response data with a pattern, the way a last live answer would have left it.
    void dirtyResponse() {
        std::memset(zelcomm::session.response + zelproto::kDataOffset, 0xA5, 257);
    }
    const std::uint8_t *data() const { return zelcomm::session.response + zelproto::kDataOffset; }
};

TEST_F(DemoAnswerTest, FourByteReadsAnswerZero) {
    using Read = int32_t (*)(int32_t, float *);
    for (Read read : {ZelReadChannel, ZelReadLvdt, ZelReadAnalog, ZelReadTfsv, ZelReadAfsv,
                      ZelReadTzero, ZelReadAzero, ZelReadCzero, ZelReadCscale}) {
        dirtyResponse();
        float value = 9.0f;
        EXPECT_EQ(read(1, &value), 0);
        EXPECT_EQ(value, 0.0f);
        EXPECT_EQ(data()[4], 0xA5) << "only four bytes are written";
    }
}

TEST_F(DemoAnswerTest, SettingsAnswerZeroWithoutWritingTheResponse) {
    float value = 1.0f;
    char formula[] = "T1";
    dirtyResponse();
    EXPECT_EQ(ZelDefineChannel(1, formula), 0);
    EXPECT_EQ(ZelClearAllChannels(), 0);
    EXPECT_EQ(ZelClearChannel(1), 0);
    EXPECT_EQ(ZelStartScan(), 0);
    EXPECT_EQ(ZelStopScan(), 0);
    EXPECT_EQ(ZelResetMM(), 0);
    EXPECT_EQ(ZelSetScanTime(100), 0);
    EXPECT_EQ(ZelSetTfsv(1, &value), 0);
    EXPECT_EQ(ZelSetAfsv(1, &value), 0);
    EXPECT_EQ(ZelSetTzero(1, &value), 0);
    EXPECT_EQ(ZelSetAzero(1, &value), 0);
    EXPECT_EQ(ZelSetCzero(1, &value), 0);
    EXPECT_EQ(ZelSetCscale(1, &value), 0);
    EXPECT_EQ(ZelSetFpIn(1), 0);
    EXPECT_EQ(ZelSetFpOut(1), 0);
    EXPECT_EQ(ZelSet_muxTime(1), 0);
    EXPECT_EQ(ZelSetFpPrec(1), 0);
    EXPECT_EQ(ZelSetAdcAvg(4), 0);
    EXPECT_EQ(ZelSetRunAvg(1), 0);
    for (int i = 0; i < 257; ++i) {
        ASSERT_EQ(data()[i], 0xA5) << i;
    }
}

TEST_F(DemoAnswerTest, FpReadsAnswerTwoZeroBytes) {
    int16_t value = 7;
    dirtyResponse();
    EXPECT_EQ(ZelGetFpPrec(&value), 0);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(data()[1], 0);
    EXPECT_EQ(data()[2], 0xA5);
}

TEST_F(DemoAnswerTest, OtherRequestsClear256Bytes) {
    uint8_t coarse = 1, ri = 1;
    dirtyResponse();
    EXPECT_EQ(ZelReadLvdtGain(1, &coarse, &ri), 0);
    EXPECT_EQ(coarse, 0);
    EXPECT_EQ(ri, 0);
    EXPECT_EQ(data()[255], 0);
    EXPECT_EQ(data()[256], 0xA5);

    int16_t result = 5, done = 5, error = 5;
    EXPECT_EQ(ZelSaveCalibration(&result), 0);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ZelGetSaveStatus(&done, &error), 0);
    EXPECT_EQ(done, 0);
    EXPECT_EQ(error, 0);

    uint8_t *pointer = nullptr;
    dirtyResponse();
    EXPECT_EQ(ZelMemory(1, 1, &pointer), 0);
    EXPECT_EQ(pointer[0], 0);
    const uint8_t list[] = {1, 2};
    uint8_t copy[4] = {9, 9, 9, 9};
    EXPECT_EQ(ZelReadDirectCopy(2, list, copy), 0);
    EXPECT_THAT(copy, ElementsAre(0, 0, 0, 0));
}

TEST_F(DemoAnswerTest, DemoModeLeavesTheRequestHeaderAlone) {
    std::memset(zelcomm::session.request, 0x77, 3);
    ZelSetAdcAvg(4);
    EXPECT_EQ(zelcomm::session.request[0], 0x77);
    EXPECT_EQ(zelcomm::session.request[3], 4) << "the payload is written all the same";
}

using HookTest = SessionTest;

TEST_F(HookTest, WithoutHookMessagesGoToThePlatform) {
    ZelSetMessageHook(nullptr);
    connectUnit(2);
    fake.replies.push_back(Reply::answer(18));
    ZelStartScan();
    ASSERT_EQ(fake.shown.size(), 1u);
    EXPECT_EQ(fake.shown[0].text, "Bad symbol");
    EXPECT_FALSE(fake.shown[0].hasCaption);
    EXPECT_EQ(fake.shown[0].style, 0x2030u);
    EXPECT_TRUE(hookedMessages().empty());
}

}  // namespace
}  // namespace zeltest
