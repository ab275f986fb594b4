// A unit for the application's tests: keeps what was set so that reads echo it, answers reads
// of channels, probes and analog inputs from tables the test fills, and records every call as
// text ("ZelClearChannel(3)", "ZelSetCzero(3, 0)") so tests can check the exact sequence.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "base/unit_api.h"

namespace zeltest {

class FakeUnit : public zelapp::UnitApi {
  public:
    std::vector<std::string> calls;

    // Values the reads return (0 when absent).
    std::map<int, float> channelValue, lvdtValue, analogValue;
    std::map<int, float> czero, cscale, tzero, tfsv, azero, afsv;
    std::map<int, std::string> formulas;

    int32_t commInitResult = 0;
    int32_t readResult = 0;  // status of every read

    // Number of recorded calls whose text starts with `prefix` (e.g. "ZelReadChannel(").
    int count(const std::string &prefix) const;
    void clearCalls() { calls.clear(); }

    int32_t ZelCommInit(int32_t unused) override;
    void ZelMsgBox(int32_t flag) override;
    int32_t EppInstallMsg(int32_t flag) override;
    int32_t EppDiagMsg(int32_t flag) override;
    int32_t ZelStartScan() override;
    int32_t ZelStopScan() override;
    int32_t ZelSetScanTime(int32_t time) override;
    int32_t ZelSetAdcAvg(int32_t count) override;
    int32_t ZelSetRunAvg(int32_t count) override;
    int32_t ZelResetMM() override;
    int32_t ZelDefineChannel(int32_t channel, const char *formula) override;
    int32_t ZelClearChannel(int32_t channel) override;
    int32_t ZelClearAllChannels() override;
    int32_t ZelReadChannel(int32_t channel, float *value) override;
    int32_t ZelSetCzero(int32_t channel, float *value) override;
    int32_t ZelReadCzero(int32_t channel, float *value) override;
    int32_t ZelSetCscale(int32_t channel, float *value) override;
    int32_t ZelReadCscale(int32_t channel, float *value) override;
    int32_t ZelReadLvdt(int32_t probe, float *value) override;
    int32_t ZelSetTzero(int32_t probe, float *value) override;
    int32_t ZelReadTzero(int32_t probe, float *value) override;
    int32_t ZelSetTfsv(int32_t probe, float *value) override;
    int32_t ZelReadTfsv(int32_t probe, float *value) override;
    int32_t ZelReadAnalog(int32_t input, float *value) override;
    int32_t ZelSetAzero(int32_t input, float *value) override;
    int32_t ZelReadAzero(int32_t input, float *value) override;
    int32_t ZelSetAfsv(int32_t input, float *value) override;
    int32_t ZelReadAfsv(int32_t input, float *value) override;
    int32_t ZelSetLvdtGain(int32_t probe, int32_t coarse, int32_t ri) override;
    int32_t ZelReadLvdtGain(int32_t probe, uint8_t *coarse, uint8_t *ri) override;
    int32_t ZelSetLvdtFine(int32_t probe, int32_t fine) override;
    int32_t ZelReadLvdtFine(int32_t probe, int16_t *fine) override;
    int32_t ZelSetLvdtNull(int32_t probe, int32_t null) override;
    int32_t ZelReadLvdtNull(int32_t probe, int16_t *null) override;
    int32_t ZelSaveCalibration(int16_t *result) override;
    int32_t ZelGetSaveStatus(int16_t *done, int16_t *error) override;

  private:
    void record(const std::string &name, std::initializer_list<double> args);
    int32_t read(const std::string &name, int32_t number, const std::map<int, float> &table,
                 float *value);
    int32_t set(const std::string &name, int32_t number, std::map<int, float> &table,
                const float *value);
};

}  // namespace zeltest
