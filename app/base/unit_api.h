// The exports of zelcomm as the application calls them. ZelcommBinding forwards to the real
// library; tests substitute a fake unit that records every call.
#pragma once

#include <cstdint>

namespace zelapp {

class UnitApi {
  public:
    virtual ~UnitApi() = default;

    // Start-up and diagnostics
    virtual int32_t ZelCommInit(int32_t unused) = 0;
    virtual void ZelMsgBox(int32_t flag) = 0;
    virtual int32_t EppInstallMsg(int32_t flag) = 0;
    virtual int32_t EppDiagMsg(int32_t flag) = 0;

    // Scanning
    virtual int32_t ZelStartScan() = 0;
    virtual int32_t ZelStopScan() = 0;
    virtual int32_t ZelSetScanTime(int32_t time) = 0;
    virtual int32_t ZelSetAdcAvg(int32_t count) = 0;
    virtual int32_t ZelSetRunAvg(int32_t count) = 0;
    virtual int32_t ZelResetMM() = 0;

    // Channels
    virtual int32_t ZelDefineChannel(int32_t channel, const char *formula) = 0;
    virtual int32_t ZelClearChannel(int32_t channel) = 0;
    virtual int32_t ZelClearAllChannels() = 0;
    virtual int32_t ZelReadChannel(int32_t channel, float *value) = 0;
    virtual int32_t ZelSetCzero(int32_t channel, float *value) = 0;
    virtual int32_t ZelReadCzero(int32_t channel, float *value) = 0;
    virtual int32_t ZelSetCscale(int32_t channel, float *value) = 0;
    virtual int32_t ZelReadCscale(int32_t channel, float *value) = 0;

    // Probe (LVDT) inputs
    virtual int32_t ZelReadLvdt(int32_t probe, float *value) = 0;
    virtual int32_t ZelSetTzero(int32_t probe, float *value) = 0;
    virtual int32_t ZelReadTzero(int32_t probe, float *value) = 0;
    virtual int32_t ZelSetTfsv(int32_t probe, float *value) = 0;
    virtual int32_t ZelReadTfsv(int32_t probe, float *value) = 0;

    // Analog inputs
    virtual int32_t ZelReadAnalog(int32_t input, float *value) = 0;
    virtual int32_t ZelSetAzero(int32_t input, float *value) = 0;
    virtual int32_t ZelReadAzero(int32_t input, float *value) = 0;
    virtual int32_t ZelSetAfsv(int32_t input, float *value) = 0;
    virtual int32_t ZelReadAfsv(int32_t input, float *value) = 0;

    // Probe amplifier calibration
    virtual int32_t ZelSetLvdtGain(int32_t probe, int32_t coarse, int32_t ri) = 0;
    virtual int32_t ZelReadLvdtGain(int32_t probe, uint8_t *coarse, uint8_t *ri) = 0;
    virtual int32_t ZelSetLvdtFine(int32_t probe, int32_t fine) = 0;
    virtual int32_t ZelReadLvdtFine(int32_t probe, int16_t *fine) = 0;
    virtual int32_t ZelSetLvdtNull(int32_t probe, int32_t null) = 0;
    virtual int32_t ZelReadLvdtNull(int32_t probe, int16_t *null) = 0;
    virtual int32_t ZelSaveCalibration(int16_t *result) = 0;
    virtual int32_t ZelGetSaveStatus(int16_t *done, int16_t *error) = 0;
};

}  // namespace zelapp
