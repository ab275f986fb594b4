// A unit that costs next to nothing: it keeps what is set and echoes it on reads, so the
// benchmarks of setup files measure the program's own work.
#pragma once

#include <array>

#include "base/unit_api.h"

namespace zelbench {

class EchoUnit : public zelapp::UnitApi {
  public:
    long calls = 0;

    int32_t ZelCommInit(int32_t) override { return count(); }
    void ZelMsgBox(int32_t) override { count(); }
    int32_t EppInstallMsg(int32_t) override { return count(); }
    int32_t EppDiagMsg(int32_t) override { return count(); }
    int32_t ZelStartScan() override { return count(); }
    int32_t ZelStopScan() override { return count(); }
    int32_t ZelSetScanTime(int32_t) override { return count(); }
    int32_t ZelSetAdcAvg(int32_t) override { return count(); }
    int32_t ZelSetRunAvg(int32_t) override { return count(); }
    int32_t ZelResetMM() override { return count(); }
    int32_t ZelDefineChannel(int32_t, const char *) override { return count(); }
    int32_t ZelClearChannel(int32_t) override { return count(); }
    int32_t ZelClearAllChannels() override { return count(); }
    int32_t ZelReadChannel(int32_t c, float *v) override { return get(value_, c, v); }
    int32_t ZelSetCzero(int32_t c, float *v) override { return put(czero_, c, v); }
    int32_t ZelReadCzero(int32_t c, float *v) override { return get(czero_, c, v); }
    int32_t ZelSetCscale(int32_t c, float *v) override { return put(cscale_, c, v); }
    int32_t ZelReadCscale(int32_t c, float *v) override { return get(cscale_, c, v); }
    int32_t ZelReadLvdt(int32_t p, float *v) override { return get(value_, p, v); }
    int32_t ZelSetTzero(int32_t p, float *v) override { return put(tzero_, p, v); }
    int32_t ZelReadTzero(int32_t p, float *v) override { return get(tzero_, p, v); }
    int32_t ZelSetTfsv(int32_t p, float *v) override { return put(tfsv_, p, v); }
    int32_t ZelReadTfsv(int32_t p, float *v) override { return get(tfsv_, p, v); }
    int32_t ZelReadAnalog(int32_t a, float *v) override { return get(value_, a, v); }
    int32_t ZelSetAzero(int32_t a, float *v) override { return put(azero_, a, v); }
    int32_t ZelReadAzero(int32_t a, float *v) override { return get(azero_, a, v); }
    int32_t ZelSetAfsv(int32_t a, float *v) override { return put(afsv_, a, v); }
    int32_t ZelReadAfsv(int32_t a, float *v) override { return get(afsv_, a, v); }
    int32_t ZelSetLvdtGain(int32_t, int32_t, int32_t) override { return count(); }
    int32_t ZelReadLvdtGain(int32_t, uint8_t *, uint8_t *) override { return count(); }
    int32_t ZelSetLvdtFine(int32_t, int32_t) override { return count(); }
    int32_t ZelReadLvdtFine(int32_t, int16_t *) override { return count(); }
    int32_t ZelSetLvdtNull(int32_t, int32_t) override { return count(); }
    int32_t ZelReadLvdtNull(int32_t, int16_t *) override { return count(); }
    int32_t ZelSaveCalibration(int16_t *) override { return count(); }
    int32_t ZelGetSaveStatus(int16_t *, int16_t *) override { return count(); }

  private:
    using Table = std::array<float, 256>;
    int32_t count() {
        ++calls;
        return 0;
    }
    int32_t get(const Table &t, int32_t n, float *v) {
        *v = t[static_cast<unsigned>(n) & 255u];
        return count();
    }
    int32_t put(Table &t, int32_t n, const float *v) {
        t[static_cast<unsigned>(n) & 255u] = *v;
        return count();
    }
    Table value_{}, czero_{}, cscale_{}, tzero_{}, tfsv_{}, azero_{}, afsv_{};
};

}  // namespace zelbench
