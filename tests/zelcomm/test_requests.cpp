// Request frames byte for byte, output copying rules and the limits of the one-byte length.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "protocol.h"
#include "session_fixture.h"

namespace zeltest {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes floatBytes(float value) {
    Bytes bytes(4);
    std::memcpy(bytes.data(), &value, 4);
    return bytes;
}

Bytes concat(Bytes head, const Bytes &tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

struct FrameCase {
    const char *name;
    std::function<int32_t()> call;
    Bytes frame;
};

class FrameTest : public SessionTest {};

TEST_F(FrameTest, EveryExportSendsItsFrame) {
    static float tfsv = 0.0125f;
    static float czero = 1.5f;
    static float value = -2.25f;
    static uint8_t *pointer = nullptr;
    static float out = 0;
    static int16_t word = 0;
    static uint8_t coarse = 0, ri = 0;
    static char t1[] = "T1";
    static char empty[] = "";
    static const uint8_t list[] = {7, 8, 9};
    static uint8_t copy[6];
    const FrameCase cases[] = {
        {"ZelMemory",
         [] { return ZelMemory(0x1234, 0x0010, &pointer); },
         {0x3A, 1, 5, 0, 0x10, 0x00, 0x34, 0x12}},
        {"ZelReadDirect", [] { return ZelReadDirect(3, list, &pointer); }, {0x3A, 2, 3, 7, 8, 9}},
        {"ZelReadDirectCopy", [] { return ZelReadDirectCopy(2, list, copy); }, {0x3A, 2, 2, 7, 8}},
        {"ZelDefineChannel", [] { return ZelDefineChannel(3, t1); }, {0x3A, 3, 4, 3, 'T', '1', 0}},
        {"ZelDefineChannel empty", [] { return ZelDefineChannel(3, empty); }, {0x3A, 6, 1, 3}},
        {"ZelDefineChannel null", [] { return ZelDefineChannel(4, nullptr); }, {0x3A, 6, 1, 4}},
        {"ZelReadChannel", [] { return ZelReadChannel(0x103, &out); }, {0x3A, 4, 1, 3}},
        {"ZelClearChannel", [] { return ZelClearChannel(9); }, {0x3A, 6, 1, 9}},
        {"ZelSetScanTime", [] { return ZelSetScanTime(0x12345); }, {0x3A, 10, 2, 0x45, 0x23}},
        {"ZelReadLvdt", [] { return ZelReadLvdt(2, &out); }, {0x3A, 11, 1, 2}},
        {"ZelReadAnalog", [] { return ZelReadAnalog(1, &out); }, {0x3A, 12, 1, 1}},
        {"ZelReadFormula",
         [] {
             char *text = nullptr;
             return ZelReadFormula(5, &text);
         },
         {0x3A, 13, 1, 5}},
        {"ZelSetTfsv", [] { return ZelSetTfsv(1, &tfsv); },
         concat({0x3A, 21, 5, 1}, floatBytes(0.0125f))},
        {"ZelReadTfsv", [] { return ZelReadTfsv(8, &out); }, {0x3A, 22, 1, 8}},
        {"ZelSetAfsv", [] { return ZelSetAfsv(1, &value); },
         concat({0x3A, 23, 5, 1}, floatBytes(-2.25f))},
        {"ZelReadAfsv", [] { return ZelReadAfsv(1, &out); }, {0x3A, 24, 1, 1}},
        {"ZelSetLvdtGain",
         [] { return ZelSetLvdtGain(4, 0x180, 0x13C); },
         {0x3A, 25, 3, 4, 0x80, 0x3C}},
        {"ZelReadLvdtGain", [] { return ZelReadLvdtGain(4, &coarse, &ri); }, {0x3A, 26, 1, 4}},
        {"ZelSetLvdtFine", [] { return ZelSetLvdtFine(1, 300); }, {0x3A, 27, 3, 1, 0x2C, 0x01}},
        {"ZelSetLvdtFine negative",
         [] { return ZelSetLvdtFine(1, -1); },
         {0x3A, 27, 3, 1, 0xFF, 0xFF}},
        {"ZelReadLvdtFine", [] { return ZelReadLvdtFine(6, &word); }, {0x3A, 28, 1, 6}},
        {"ZelSetTzero", [] { return ZelSetTzero(2, &value); },
         concat({0x3A, 32, 5, 2}, floatBytes(-2.25f))},
        {"ZelReadTzero", [] { return ZelReadTzero(2, &out); }, {0x3A, 33, 1, 2}},
        {"ZelSetLvdtNull", [] { return ZelSetLvdtNull(2, -2); }, {0x3A, 34, 3, 2, 0xFE, 0xFF}},
        {"ZelReadLvdtNull", [] { return ZelReadLvdtNull(2, &word); }, {0x3A, 35, 1, 2}},
        {"ZelSetAzero", [] { return ZelSetAzero(1, &value); },
         concat({0x3A, 42, 5, 1}, floatBytes(-2.25f))},
        {"ZelReadAzero", [] { return ZelReadAzero(1, &out); }, {0x3A, 43, 1, 1}},
        {"ZelSetCzero",
         [] { return ZelSetCzero(2, &czero); },
         {0x3A, 0x34, 5, 2, 0x00, 0x00, 0xC0, 0x3F}},
        {"ZelReadCzero", [] { return ZelReadCzero(2, &out); }, {0x3A, 53, 1, 2}},
        {"ZelSetCscale",
         [] { return ZelSetCscale(255, &czero); },
         {0x3A, 54, 5, 255, 0x00, 0x00, 0xC0, 0x3F}},
        {"ZelReadCscale", [] { return ZelReadCscale(7, &out); }, {0x3A, 55, 1, 7}},
        {"ZelSetFpIn", [] { return ZelSetFpIn(0x1FF); }, {0x3A, 80, 1, 0xFF}},
        {"ZelSetFpOut", [] { return ZelSetFpOut(3); }, {0x3A, 81, 1, 3}},
        {"ZelSet_muxTime", [] { return ZelSet_muxTime(500); }, {0x3A, 82, 2, 0xF4, 0x01}},
        {"ZelSetFpPrec", [] { return ZelSetFpPrec(6); }, {0x3A, 83, 1, 6}},
        {"ZelSetAdcAvg", [] { return ZelSetAdcAvg(4); }, {0x3A, 90, 2, 4, 0}},
        {"ZelSetRunAvg", [] { return ZelSetRunAvg(-1); }, {0x3A, 91, 2, 0xFF, 0xFF}},
        {"ZelSaveCalibration", [] { return ZelSaveCalibration(&word); }, {0x3A, 92, 1, 0}},
        {"ZelGetSaveStatus", [] { return ZelGetSaveStatus(&word, &word); }, {0x3A, 93, 1, 0}},
    };
    connectUnit();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        fake.forget();
        EXPECT_EQ(c.call(), 0);
        ASSERT_EQ(fake.calls.size(), 1u);
        EXPECT_EQ(fake.calls[0].code, zelproto::kNtRequest);
        EXPECT_EQ(fake.calls[0].outSize, zelproto::kAreaSize);
        EXPECT_EQ(fake.calls[0].input, c.frame);
    }
}

TEST_F(FrameTest, PayloadsNotSetCarryWhatThePreviousRequestLeft) {
    connectUnit();
    float czero = 1.5f;
    ZelSetCzero(2, &czero);
    ZelStartScan();
    EXPECT_EQ(fake.lastFrame(), (Bytes{0x3A, 7, 1, 2}));
    ZelStopScan();
    EXPECT_EQ(fake.lastFrame(), (Bytes{0x3A, 8, 1, 2}));
    ZelResetMM();
    EXPECT_EQ(fake.lastFrame(), (Bytes{0x3A, 9, 1, 2}));
    ZelClearAllChannels();
    EXPECT_EQ(fake.lastFrame(), (Bytes{0x3A, 5, 1, 2}));
    int16_t value = 0;
    ZelSetLvdtFine(1, 300);
    ZelGetFpPrec(&value);
    EXPECT_EQ(fake.lastFrame(), (Bytes{0x3A, 87, 2, 1, 0x2C}));
    ZelGetFpIn(&value);
    EXPECT_EQ(fake.lastFrame(), (Bytes{0x3A, 84, 1, 1}));
    ZelGetFpOut(&value);
    EXPECT_EQ(fake.lastFrame(), (Bytes{0x3A, 85, 1, 1}));
}

using OutputTest = SessionTest;

TEST_F(OutputTest, SingleReadsCopyOnlyOnSuccess) {
    connectUnit();
    fake.replies.push_back(Reply::answer(0, floatBytes(12.5f)));
    float value = 0;
    EXPECT_EQ(ZelReadChannel(1, &value), 0);
    EXPECT_EQ(value, 12.5f);
    fake.replies.push_back(Reply::answer(10, floatBytes(99.0f)));
    EXPECT_EQ(ZelReadChannel(300, &value), 10);
    EXPECT_EQ(value, 12.5f) << "the caller's variable keeps its old value";
    using Read = int32_t (*)(int32_t, float *);
    for (Read read : {ZelReadLvdt, ZelReadAnalog, ZelReadTfsv, ZelReadAfsv, ZelReadTzero,
                      ZelReadAzero, ZelReadCzero, ZelReadCscale}) {
        fake.replies.push_back(Reply::answer(15, floatBytes(7.0f)));
        value = 1.0f;
        EXPECT_EQ(read(1, &value), 15);
        EXPECT_EQ(value, 1.0f);
        fake.replies.push_back(Reply::answer(0, floatBytes(7.0f)));
        EXPECT_EQ(read(1, &value), 0);
        EXPECT_EQ(value, 7.0f);
    }
}

TEST_F(OutputTest, WordAndByteReadsAreAlwaysCopied) {
    connectUnit();
    ZelMsgBox(0);
    int16_t fine = 0;
    fake.replies.push_back(Reply::answer(10, {0xFE, 0xFF}));
    EXPECT_EQ(ZelReadLvdtFine(1, &fine), 10);
    EXPECT_EQ(fine, -2) << "overwritten despite the error status";
    int16_t null = 0;
    fake.replies.push_back(Reply::answer(0, {0x34, 0x12}));
    EXPECT_EQ(ZelReadLvdtNull(1, &null), 0);
    EXPECT_EQ(null, 0x1234);
    uint8_t coarse = 0, ri = 0;
    fake.replies.push_back(Reply::answer(15, {128, 60}));
    EXPECT_EQ(ZelReadLvdtGain(9, &coarse, &ri), 15);
    EXPECT_EQ(coarse, 128);
    EXPECT_EQ(ri, 60);
    int16_t fp = 0;
    fake.replies.push_back(Reply::answer(0, {0xFF, 0xFF}));
    EXPECT_EQ(ZelGetFpIn(&fp), 0);
    EXPECT_EQ(fp, 255) << "zero-extended, not sign-extended";
    fake.replies.push_back(Reply::answer(0, {0x80}));
    EXPECT_EQ(ZelGetFpOut(&fp), 0);
    EXPECT_EQ(fp, 128);
    fake.replies.push_back(Reply::answer(0, {0x05}));
    EXPECT_EQ(ZelGetFpPrec(&fp), 0);
    EXPECT_EQ(fp, 5);
    int16_t result = -1;
    fake.replies.push_back(Reply::answer(3, {0xC8}));
    EXPECT_EQ(ZelSaveCalibration(&result), 3);
    EXPECT_EQ(result, 200);
    int16_t done = -1, error = -1;
    fake.replies.push_back(Reply::answer(0, {1, 0xF0}));
    EXPECT_EQ(ZelGetSaveStatus(&done, &error), 0);
    EXPECT_EQ(done, 1);
    EXPECT_EQ(error, 240);
}

TEST_F(OutputTest, PointersIntoTheResponseArea) {
    connectUnit();
    ZelMsgBox(0);
    uint8_t *data = nullptr;
    fake.replies.push_back(Reply::answer(12, {0xAB, 0xCD}));
    EXPECT_EQ(ZelMemory(1, 2, &data), 12);
    ASSERT_EQ(data, zelcomm::session.response + 3) << "set whatever the status";
    EXPECT_EQ(data[0], 0xAB);
    data = nullptr;
    fake.replies.push_back(Reply::answer(30, {0x11}));
    const uint8_t list[] = {1};
    EXPECT_EQ(ZelReadDirect(1, list, &data), 30);
    ASSERT_EQ(data, zelcomm::session.response + 3);

    char *text = nullptr;
    fake.replies.push_back(Reply::answer(0, {'T', '1', '+', 'T', '2', 0}));
    EXPECT_EQ(ZelReadFormula(1, &text), 0);
    EXPECT_STREQ(text, "T1+T2");
    char *kept = nullptr;
    fake.replies.push_back(Reply::answer(10, {'X', 0}));
    EXPECT_EQ(ZelReadFormula(1, &kept), 10);
    EXPECT_EQ(kept, nullptr) << "set only on success";
}

TEST_F(OutputTest, FormulaTextFromAFullResponseAlwaysEnds) {
    connectUnit();
    fake.replies.push_back(Reply::answer(0, Bytes(zelproto::kMaxResponseData, 'A')));
    char *text = nullptr;
    ASSERT_EQ(ZelReadFormula(1, &text), 0);
    EXPECT_EQ(std::strlen(text), zelproto::kMaxResponseData);
}

TEST_F(OutputTest, DirectCopyWritesTwoBytesPerEntry) {
    connectUnit();
    Bytes answer(256);
    for (std::size_t i = 0; i < answer.size(); ++i) {
        answer[i] = static_cast<std::uint8_t>(i);
    }
    fake.replies.push_back(Reply::answer(0, answer));
    const uint8_t list[3] = {1, 2, 3};
    uint8_t destination[8];
    std::memset(destination, 0xEE, sizeof destination);
    EXPECT_EQ(ZelReadDirectCopy(3, list, destination), 0);
    EXPECT_THAT(destination, ::testing::ElementsAre(0, 1, 2, 3, 4, 5, 0xEE, 0xEE));
}

TEST_F(OutputTest, NullOutputsAreNeverWritten) {
    connectUnit();
    const uint8_t list[] = {1};
    EXPECT_EQ(ZelReadChannel(1, nullptr), 0);
    EXPECT_EQ(ZelReadLvdtGain(1, nullptr, nullptr), 0);
    EXPECT_EQ(ZelReadLvdtFine(1, nullptr), 0);
    EXPECT_EQ(ZelGetFpPrec(nullptr), 0);
    EXPECT_EQ(ZelSaveCalibration(nullptr), 0);
    EXPECT_EQ(ZelGetSaveStatus(nullptr, nullptr), 0);
    EXPECT_EQ(ZelMemory(1, 2, nullptr), 0);
    EXPECT_EQ(ZelReadDirect(1, list, nullptr), 0);
    EXPECT_EQ(ZelReadDirectCopy(1, list, nullptr), 0);
    EXPECT_EQ(ZelReadFormula(1, nullptr), 0);
    EXPECT_EQ(fake.requests().size(), 10u) << "the requests are still sent";
}

using LimitTest = SessionTest;

TEST_F(LimitTest, FormulaOfAtMost253CharactersFitsTheLengthByte) {
    connectUnit();
    std::string formula(253, '1');
    EXPECT_EQ(ZelDefineChannel(1, formula.data()), 0);
    const Bytes frame = fake.lastFrame();
    ASSERT_EQ(frame.size(), 258u);
    EXPECT_EQ(frame[2], 255);
    EXPECT_EQ(frame.back(), 0);
}

TEST_F(LimitTest, LongerFormulaIsRefusedWithoutADriverCall) {
    connectUnit();
    std::string formula(254, '1');
    EXPECT_EQ(ZelDefineChannel(1, formula.data()), ZEL_REFUSED_TOO_LONG);
    EXPECT_TRUE(fake.calls.empty());
    EXPECT_THAT(messageTexts(), ::testing::ElementsAre("Formula too long"));
    ZelMsgBox(0);
    std::string huge(100000, 'T');
    EXPECT_EQ(ZelDefineChannel(1, huge.data()), ZEL_REFUSED_TOO_LONG);
    EXPECT_EQ(hookedMessages().size(), 1u) << "no box with the error-box flag clear";
    EXPECT_EQ(zelcomm::session.demo, 0);
}

TEST_F(LimitTest, DirectListsAreBoundedByPayloadAndResponse) {
    connectUnit();
    ZelMsgBox(0);
    std::vector<uint8_t> list(300, 1);
    uint8_t *data = nullptr;
    EXPECT_EQ(ZelReadDirect(255, list.data(), &data), 0);
    EXPECT_EQ(fake.lastFrame().size(), 258u);
    EXPECT_EQ(ZelReadDirect(256, list.data(), &data), ZEL_REFUSED_TOO_LONG);
    EXPECT_EQ(ZelReadDirect(-1, list.data(), &data), ZEL_REFUSED_TOO_LONG);

    std::vector<uint8_t> destination(2 * 300, 0xEE);
    EXPECT_EQ(ZelReadDirectCopy(128, list.data(), destination.data()), 0);
    EXPECT_EQ(destination[255], 0);
    EXPECT_EQ(destination[256], 0xEE);
    EXPECT_EQ(ZelReadDirectCopy(129, list.data(), destination.data()), ZEL_REFUSED_TOO_LONG);
    EXPECT_EQ(ZelReadDirectCopy(-5, list.data(), destination.data()), ZEL_REFUSED_TOO_LONG);
    EXPECT_EQ(destination[256], 0xEE) << "a refused copy writes nothing";
    EXPECT_EQ(fake.requests().size(), 2u);
}

TEST_F(LimitTest, MissingInputsAreRefused) {
    connectUnit();
    EXPECT_EQ(ZelReadDirect(2, nullptr, nullptr), ZEL_REFUSED_NULL);
    EXPECT_EQ(ZelReadDirectCopy(2, nullptr, nullptr), ZEL_REFUSED_NULL);
    EXPECT_EQ(ZelSetTfsv(1, nullptr), ZEL_REFUSED_NULL);
    EXPECT_EQ(ZelSetCscale(1, nullptr), ZEL_REFUSED_NULL);
    EXPECT_TRUE(fake.calls.empty());
    EXPECT_EQ(hookedMessages().size(), 4u);
    EXPECT_EQ(ZelReadDirect(0, nullptr, nullptr), 0) << "an empty list needs no pointer";
    EXPECT_EQ(fake.lastFrame(), (Bytes{0x3A, 2, 0}));
}

TEST_F(LimitTest, RefusalsHoldInDemoModeToo) {
    ASSERT_EQ(zelcomm::session.demo, 1);
    std::vector<uint8_t> list(200, 1);
    std::vector<uint8_t> destination(400, 0xEE);
    EXPECT_EQ(ZelReadDirectCopy(200, list.data(), destination.data()), ZEL_REFUSED_TOO_LONG);
    EXPECT_EQ(destination[0], 0xEE);
}

}  // namespace
}  // namespace zeltest
