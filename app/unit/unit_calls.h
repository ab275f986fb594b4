// The unit's calls as the application uses them, listed once. Every class that stands for the
// unit (the abstract UnitApi, the run-time binding, the fakes of the tests and benchmarks) is
// generated from this list, so a call added, removed or retyped here reaches all of them.
//
// Each entry is X(result type, name, parameter list, argument list). The names and types are
// those of zelcomm.h; the binding checks each signature against the header at compile time.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// clang-format off
#define ZEL_UNIT_CALLS(X)                                                                   \
    /* Start-up and diagnostics */                                                          \
    X(int32_t, ZelCommInit, (int32_t unused), (unused))                                     \
    X(void, ZelMsgBox, (int32_t flag), (flag))                                              \
    X(int32_t, EppInstallMsg, (int32_t flag), (flag))                                       \
    X(int32_t, EppDiagMsg, (int32_t flag), (flag))                                          \
    X(int32_t, ZelIsDemo, (), ())                                                           \
    X(int32_t, ZelGetPort, (), ())                                                          \
    X(int32_t, ZelDLL, (), ())                                                              \
    /* Scanning */                                                                          \
    X(int32_t, ZelStartScan, (), ())                                                        \
    X(int32_t, ZelStopScan, (), ())                                                         \
    X(int32_t, ZelSetScanTime, (int32_t time), (time))                                      \
    X(int32_t, ZelSetAdcAvg, (int32_t count), (count))                                      \
    X(int32_t, ZelSetRunAvg, (int32_t count), (count))                                      \
    X(int32_t, ZelResetMM, (), ())                                                          \
    /* Channels */                                                                          \
    X(int32_t, ZelDefineChannel, (int32_t channel, const char *formula), (channel, formula)) \
    X(int32_t, ZelClearChannel, (int32_t channel), (channel))                               \
    X(int32_t, ZelClearAllChannels, (), ())                                                 \
    X(int32_t, ZelReadChannel, (int32_t channel, float *value), (channel, value))           \
    X(int32_t, ZelReadFormula, (int32_t channel, char **text), (channel, text))             \
    X(int32_t, ZelSetCzero, (int32_t channel, float *value), (channel, value))              \
    X(int32_t, ZelReadCzero, (int32_t channel, float *value), (channel, value))             \
    X(int32_t, ZelSetCscale, (int32_t channel, float *value), (channel, value))             \
    X(int32_t, ZelReadCscale, (int32_t channel, float *value), (channel, value))            \
    /* Probe (LVDT) inputs */                                                               \
    X(int32_t, ZelReadLvdt, (int32_t probe, float *value), (probe, value))                  \
    X(int32_t, ZelSetTzero, (int32_t probe, float *value), (probe, value))                  \
    X(int32_t, ZelReadTzero, (int32_t probe, float *value), (probe, value))                 \
    X(int32_t, ZelSetTfsv, (int32_t probe, float *value), (probe, value))                   \
    X(int32_t, ZelReadTfsv, (int32_t probe, float *value), (probe, value))                  \
    /* Analog inputs */                                                                     \
    X(int32_t, ZelReadAnalog, (int32_t input, float *value), (input, value))                \
    X(int32_t, ZelSetAzero, (int32_t input, float *value), (input, value))                  \
    X(int32_t, ZelReadAzero, (int32_t input, float *value), (input, value))                 \
    X(int32_t, ZelSetAfsv, (int32_t input, float *value), (input, value))                   \
    X(int32_t, ZelReadAfsv, (int32_t input, float *value), (input, value))                  \
    /* Probe amplifier calibration */                                                       \
    X(int32_t, ZelSetLvdtGain, (int32_t probe, int32_t coarse, int32_t ri), (probe, coarse, ri)) \
    X(int32_t, ZelReadLvdtGain, (int32_t probe, uint8_t *coarse, uint8_t *ri), (probe, coarse, ri)) \
    X(int32_t, ZelSetLvdtFine, (int32_t probe, int32_t fine), (probe, fine))                \
    X(int32_t, ZelReadLvdtFine, (int32_t probe, int16_t *fine), (probe, fine))              \
    X(int32_t, ZelSetLvdtNull, (int32_t probe, int32_t null), (probe, null))                \
    X(int32_t, ZelReadLvdtNull, (int32_t probe, int16_t *null), (probe, null))              \
    X(int32_t, ZelSaveCalibration, (int16_t *result), (result))                             \
    X(int32_t, ZelGetSaveStatus, (int16_t *done, int16_t *error), (done, error))
// clang-format on

// Expanders for the list.
#define ZEL_UNIT_CALL_PURE(result, name, params, args) virtual result name params = 0;
#define ZEL_UNIT_CALL_OVERRIDE(result, name, params, args) result name params override;
#define ZEL_UNIT_CALL_ENUMERATOR(result, name, params, args) name,
#define ZEL_UNIT_CALL_NAME(result, name, params, args) #name,

// Turns an argument list "(a, b)" into ", a, b" and "()" into nothing, so that a call's
// arguments can follow a leading argument of the caller's own: f(first ZEL_UNIT_CALL_TAIL args).
#define ZEL_UNIT_CALL_TAIL(...) __VA_OPT__(, ) __VA_ARGS__

namespace zelapp {

// One enumerator per call, named as the call.
enum class UnitCall : std::size_t { ZEL_UNIT_CALLS(ZEL_UNIT_CALL_ENUMERATOR) };

inline constexpr std::array kUnitCallNames = {ZEL_UNIT_CALLS(ZEL_UNIT_CALL_NAME)};
inline constexpr std::size_t kUnitCallCount = kUnitCallNames.size();

constexpr const char *unitCallName(UnitCall call) {
    return kUnitCallNames[static_cast<std::size_t>(call)];
}

}  // namespace zelapp
