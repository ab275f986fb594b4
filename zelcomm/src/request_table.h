// The facts of every request, in one table read by both ends: the library takes its payload
// lengths and demonstration answers from it, the unit emulator the lengths it accepts and
// answers. What each request does stays with the code that handles it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "protocol.h"

namespace zelproto {

// A length that depends on the request's contents.
inline constexpr int kVaries = -1;

// What the library answers a request itself in demonstration mode: `length` data bytes, the
// text first and zeros after it. A length of 0 leaves the response area as the last request
// left it.
struct DemoAnswer {
    std::size_t length = 0;
    std::string_view text;
};

inline constexpr DemoAnswer kDemoNone{};
constexpr DemoAnswer demoZeros(std::size_t length) {
    return {length, {}};
}
// Requests without an answer of their own clear the first 256 data bytes.
inline constexpr DemoAnswer kDemoCleared = demoZeros(256);

struct RequestRow {
    std::uint8_t code;
    std::array<std::string_view, 2> calls;  // the library's exports that send it
    int payload;                            // bytes after the header, or kVaries
    int answer;                             // data bytes of a successful answer, or kVaries
    DemoAnswer demo;
};

// clang-format off
inline constexpr std::array kRequests = std::to_array<RequestRow>({
    // code                    calls                                payload   answer   demo
    {code::Memory,           {"ZelMemory"},                         5,       kVaries, kDemoCleared},
    {code::ReadDirect,       {"ZelReadDirect", "ZelReadDirectCopy"}, kVaries, kVaries, kDemoCleared},
    {code::DefineChannel,    {"ZelDefineChannel"},                  kVaries, 0,       kDemoNone},
    {code::ReadChannel,      {"ZelReadChannel"},                    1,       4,       demoZeros(4)},
    {code::ClearAllChannels, {"ZelClearAllChannels"},               1,       0,       kDemoNone},
    {code::ClearChannel,     {"ZelClearChannel"},                   1,       0,       kDemoNone},
    {code::StartScan,        {"ZelStartScan"},                      1,       0,       kDemoNone},
    {code::StopScan,         {"ZelStopScan"},                       1,       0,       kDemoNone},
    {code::ResetMM,          {"ZelResetMM"},                        1,       0,       kDemoNone},
    {code::SetScanTime,      {"ZelSetScanTime"},                    2,       0,       kDemoNone},
    {code::ReadLvdt,         {"ZelReadLvdt"},                       1,       4,       demoZeros(4)},
    {code::ReadAnalog,       {"ZelReadAnalog"},                     1,       4,       demoZeros(4)},
    {code::ReadFormula,      {"ZelReadFormula"},                    1,       kVaries, {3, "T1"}},
    {code::SetTfsv,          {"ZelSetTfsv"},                        5,       0,       kDemoNone},
    {code::ReadTfsv,         {"ZelReadTfsv"},                       1,       4,       demoZeros(4)},
    {code::SetAfsv,          {"ZelSetAfsv"},                        5,       0,       kDemoNone},
    {code::ReadAfsv,         {"ZelReadAfsv"},                       1,       4,       demoZeros(4)},
    {code::SetLvdtGain,      {"ZelSetLvdtGain"},                    3,       0,       kDemoCleared},
    {code::ReadLvdtGain,     {"ZelReadLvdtGain"},                   1,       2,       kDemoCleared},
    {code::SetLvdtFine,      {"ZelSetLvdtFine"},                    3,       0,       kDemoCleared},
    {code::ReadLvdtFine,     {"ZelReadLvdtFine"},                   1,       2,       kDemoCleared},
    {code::SetTzero,         {"ZelSetTzero"},                       5,       0,       kDemoNone},
    {code::ReadTzero,        {"ZelReadTzero"},                      1,       4,       demoZeros(4)},
    {code::SetLvdtNull,      {"ZelSetLvdtNull"},                    3,       0,       kDemoCleared},
    {code::ReadLvdtNull,     {"ZelReadLvdtNull"},                   1,       2,       kDemoCleared},
    {code::SetAzero,         {"ZelSetAzero"},                       5,       0,       kDemoNone},
    {code::ReadAzero,        {"ZelReadAzero"},                      1,       4,       demoZeros(4)},
    {code::SetCzero,         {"ZelSetCzero"},                       5,       0,       kDemoNone},
    {code::ReadCzero,        {"ZelReadCzero"},                      1,       4,       demoZeros(4)},
    {code::SetCscale,        {"ZelSetCscale"},                      5,       0,       kDemoNone},
    {code::ReadCscale,       {"ZelReadCscale"},                     1,       4,       demoZeros(4)},
    {code::SetFpIn,          {"ZelSetFpIn"},                        1,       0,       kDemoNone},
    {code::SetFpOut,         {"ZelSetFpOut"},                       1,       0,       kDemoNone},
    {code::SetMuxTime,       {"ZelSet_muxTime"},                    2,       0,       kDemoNone},
    {code::SetFpPrec,        {"ZelSetFpPrec"},                      1,       0,       kDemoNone},
    {code::GetFpIn,          {"ZelGetFpIn"},                        1,       1,       demoZeros(2)},
    {code::GetFpOut,         {"ZelGetFpOut"},                       1,       1,       demoZeros(2)},
    {code::GetFpPrec,        {"ZelGetFpPrec"},                      2,       1,       demoZeros(2)},
    {code::SetAdcAvg,        {"ZelSetAdcAvg"},                      2,       0,       kDemoNone},
    {code::SetRunAvg,        {"ZelSetRunAvg"},                      2,       0,       kDemoNone},
    {code::SaveCalibration,  {"ZelSaveCalibration"},                1,       1,       kDemoCleared},
    {code::GetSaveStatus,    {"ZelGetSaveStatus"},                  1,       2,       kDemoCleared},
});
// clang-format on

// The index of a request code's row; kRequests.size() for a code the unit does not know.
// Compile-time checks use the index: GCC's UBSan does not take pointer comparisons as constant.
constexpr std::size_t requestIndex(std::uint8_t code) {
    for (std::size_t i = 0; i < kRequests.size(); ++i) {
        if (kRequests[i].code == code) {
            return i;
        }
    }
    return kRequests.size();
}

constexpr bool knownRequest(std::uint8_t code) {
    return requestIndex(code) < kRequests.size();
}

// The row of a request code; nullptr for a code the unit does not know.
constexpr const RequestRow *findRequest(std::uint8_t code) {
    const std::size_t index = requestIndex(code);
    return index < kRequests.size() ? &kRequests[index] : nullptr;
}

// Two rows with one code would leave the second unreachable.
static_assert(
    [] {
        for (std::size_t i = 0; i < kRequests.size(); ++i) {
            if (requestIndex(kRequests[i].code) != i) {
                return false;
            }
        }
        return true;
    }(),
    "a request code appears twice in kRequests");

}  // namespace zelproto
