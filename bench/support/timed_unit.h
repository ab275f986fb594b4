// A unit that forwards every call to another one and adds up the time spent there, so a
// benchmark can tell the library's share of a tick from the program's own.
#pragma once

#include <chrono>

#include "base/unit_api.h"

namespace zelbench {

class TimedUnit : public zelapp::UnitApi {
  public:
    explicit TimedUnit(zelapp::UnitApi &inner) : inner_(inner) {}

    std::chrono::nanoseconds spent{0};
    long calls = 0;

    int32_t ZelCommInit(int32_t unused) override {
        Clock c(*this);
        return inner_.ZelCommInit(unused);
    }
    void ZelMsgBox(int32_t flag) override {
        Clock c(*this);
        inner_.ZelMsgBox(flag);
    }
    int32_t EppInstallMsg(int32_t flag) override {
        Clock c(*this);
        return inner_.EppInstallMsg(flag);
    }
    int32_t EppDiagMsg(int32_t flag) override {
        Clock c(*this);
        return inner_.EppDiagMsg(flag);
    }
    int32_t ZelStartScan() override {
        Clock c(*this);
        return inner_.ZelStartScan();
    }
    int32_t ZelStopScan() override {
        Clock c(*this);
        return inner_.ZelStopScan();
    }
    int32_t ZelSetScanTime(int32_t time) override {
        Clock c(*this);
        return inner_.ZelSetScanTime(time);
    }
    int32_t ZelSetAdcAvg(int32_t count) override {
        Clock c(*this);
        return inner_.ZelSetAdcAvg(count);
    }
    int32_t ZelSetRunAvg(int32_t count) override {
        Clock c(*this);
        return inner_.ZelSetRunAvg(count);
    }
    int32_t ZelResetMM() override {
        Clock c(*this);
        return inner_.ZelResetMM();
    }
    int32_t ZelDefineChannel(int32_t channel, const char *formula) override {
        Clock c(*this);
        return inner_.ZelDefineChannel(channel, formula);
    }
    int32_t ZelClearChannel(int32_t channel) override {
        Clock c(*this);
        return inner_.ZelClearChannel(channel);
    }
    int32_t ZelClearAllChannels() override {
        Clock c(*this);
        return inner_.ZelClearAllChannels();
    }
    int32_t ZelReadChannel(int32_t channel, float *value) override {
        Clock c(*this);
        return inner_.ZelReadChannel(channel, value);
    }
    int32_t ZelSetCzero(int32_t channel, float *value) override {
        Clock c(*this);
        return inner_.ZelSetCzero(channel, value);
    }
    int32_t ZelReadCzero(int32_t channel, float *value) override {
        Clock c(*this);
        return inner_.ZelReadCzero(channel, value);
    }
    int32_t ZelSetCscale(int32_t channel, float *value) override {
        Clock c(*this);
        return inner_.ZelSetCscale(channel, value);
    }
    int32_t ZelReadCscale(int32_t channel, float *value) override {
        Clock c(*this);
        return inner_.ZelReadCscale(channel, value);
    }
    int32_t ZelReadLvdt(int32_t probe, float *value) override {
        Clock c(*this);
        return inner_.ZelReadLvdt(probe, value);
    }
    int32_t ZelSetTzero(int32_t probe, float *value) override {
        Clock c(*this);
        return inner_.ZelSetTzero(probe, value);
    }
    int32_t ZelReadTzero(int32_t probe, float *value) override {
        Clock c(*this);
        return inner_.ZelReadTzero(probe, value);
    }
    int32_t ZelSetTfsv(int32_t probe, float *value) override {
        Clock c(*this);
        return inner_.ZelSetTfsv(probe, value);
    }
    int32_t ZelReadTfsv(int32_t probe, float *value) override {
        Clock c(*this);
        return inner_.ZelReadTfsv(probe, value);
    }
    int32_t ZelReadAnalog(int32_t input, float *value) override {
        Clock c(*this);
        return inner_.ZelReadAnalog(input, value);
    }
    int32_t ZelSetAzero(int32_t input, float *value) override {
        Clock c(*this);
        return inner_.ZelSetAzero(input, value);
    }
    int32_t ZelReadAzero(int32_t input, float *value) override {
        Clock c(*this);
        return inner_.ZelReadAzero(input, value);
    }
    int32_t ZelSetAfsv(int32_t input, float *value) override {
        Clock c(*this);
        return inner_.ZelSetAfsv(input, value);
    }
    int32_t ZelReadAfsv(int32_t input, float *value) override {
        Clock c(*this);
        return inner_.ZelReadAfsv(input, value);
    }
    int32_t ZelSetLvdtGain(int32_t probe, int32_t coarse, int32_t ri) override {
        Clock c(*this);
        return inner_.ZelSetLvdtGain(probe, coarse, ri);
    }
    int32_t ZelReadLvdtGain(int32_t probe, uint8_t *coarse, uint8_t *ri) override {
        Clock c(*this);
        return inner_.ZelReadLvdtGain(probe, coarse, ri);
    }
    int32_t ZelSetLvdtFine(int32_t probe, int32_t fine) override {
        Clock c(*this);
        return inner_.ZelSetLvdtFine(probe, fine);
    }
    int32_t ZelReadLvdtFine(int32_t probe, int16_t *fine) override {
        Clock c(*this);
        return inner_.ZelReadLvdtFine(probe, fine);
    }
    int32_t ZelSetLvdtNull(int32_t probe, int32_t null) override {
        Clock c(*this);
        return inner_.ZelSetLvdtNull(probe, null);
    }
    int32_t ZelReadLvdtNull(int32_t probe, int16_t *null) override {
        Clock c(*this);
        return inner_.ZelReadLvdtNull(probe, null);
    }
    int32_t ZelSaveCalibration(int16_t *result) override {
        Clock c(*this);
        return inner_.ZelSaveCalibration(result);
    }
    int32_t ZelGetSaveStatus(int16_t *done, int16_t *error) override {
        Clock c(*this);
        return inner_.ZelGetSaveStatus(done, error);
    }

  private:
    struct Clock {
        explicit Clock(TimedUnit &u) : unit(u), start(std::chrono::steady_clock::now()) {}
        ~Clock() {
            unit.spent += std::chrono::steady_clock::now() - start;
            ++unit.calls;
        }
        TimedUnit &unit;
        std::chrono::steady_clock::time_point start;
    };
    zelapp::UnitApi &inner_;
};

}  // namespace zelbench
