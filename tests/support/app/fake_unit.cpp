#include "fake_unit.h"

#include <cstdio>

namespace zeltest {

namespace {
std::string number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}
}  // namespace

int FakeUnit::count(const std::string &prefix) const {
    int n = 0;
    for (const auto &c : calls) {
        n += c.rfind(prefix, 0) == 0 ? 1 : 0;
    }
    return n;
}

void FakeUnit::record(const std::string &name, std::initializer_list<double> args) {
    std::string text = name + "(";
    bool first = true;
    for (double a : args) {
        text += (first ? "" : ", ") + number(a);
        first = false;
    }
    calls.push_back(text + ")");
}

int32_t FakeUnit::read(const std::string &name, int32_t number, const std::map<int, float> &table,
                       float *value) {
    record(name, {static_cast<double>(number)});
    if (readResult != 0) {
        return readResult;
    }
    auto it = table.find(number);
    *value = it == table.end() ? 0.0f : it->second;
    return 0;
}

int32_t FakeUnit::set(const std::string &name, int32_t number, std::map<int, float> &table,
                      const float *value) {
    record(name, {static_cast<double>(number), static_cast<double>(*value)});
    table[number] = *value;
    return 0;
}

int32_t FakeUnit::ZelCommInit(int32_t unused) {
    record("ZelCommInit", {static_cast<double>(unused)});
    return commInitResult;
}
void FakeUnit::ZelMsgBox(int32_t flag) {
    record("ZelMsgBox", {static_cast<double>(flag)});
}
int32_t FakeUnit::EppInstallMsg(int32_t flag) {
    record("EppInstallMsg", {static_cast<double>(flag)});
    return 0;
}
int32_t FakeUnit::EppDiagMsg(int32_t flag) {
    record("EppDiagMsg", {static_cast<double>(flag)});
    return 0;
}
int32_t FakeUnit::ZelStartScan() {
    record("ZelStartScan", {});
    return 0;
}
int32_t FakeUnit::ZelStopScan() {
    record("ZelStopScan", {});
    return 0;
}
int32_t FakeUnit::ZelSetScanTime(int32_t time) {
    record("ZelSetScanTime", {static_cast<double>(time)});
    return 0;
}
int32_t FakeUnit::ZelSetAdcAvg(int32_t count) {
    record("ZelSetAdcAvg", {static_cast<double>(count)});
    return 0;
}
int32_t FakeUnit::ZelSetRunAvg(int32_t count) {
    record("ZelSetRunAvg", {static_cast<double>(count)});
    return 0;
}
int32_t FakeUnit::ZelResetMM() {
    record("ZelResetMM", {});
    return 0;
}
int32_t FakeUnit::ZelDefineChannel(int32_t channel, const char *formula) {
    calls.push_back("ZelDefineChannel(" + number(channel) + ", " + formula + ")");
    formulas[channel] = formula;
    return 0;
}
int32_t FakeUnit::ZelClearChannel(int32_t channel) {
    record("ZelClearChannel", {static_cast<double>(channel)});
    formulas.erase(channel);
    return 0;
}
int32_t FakeUnit::ZelClearAllChannels() {
    record("ZelClearAllChannels", {});
    formulas.clear();
    return 0;
}
int32_t FakeUnit::ZelReadChannel(int32_t channel, float *value) {
    return read("ZelReadChannel", channel, channelValue, value);
}
int32_t FakeUnit::ZelSetCzero(int32_t channel, float *value) {
    return set("ZelSetCzero", channel, czero, value);
}
int32_t FakeUnit::ZelReadCzero(int32_t channel, float *value) {
    return read("ZelReadCzero", channel, czero, value);
}
int32_t FakeUnit::ZelSetCscale(int32_t channel, float *value) {
    return set("ZelSetCscale", channel, cscale, value);
}
int32_t FakeUnit::ZelReadCscale(int32_t channel, float *value) {
    return read("ZelReadCscale", channel, cscale, value);
}
int32_t FakeUnit::ZelReadLvdt(int32_t probe, float *value) {
    return read("ZelReadLvdt", probe, lvdtValue, value);
}
int32_t FakeUnit::ZelSetTzero(int32_t probe, float *value) {
    return set("ZelSetTzero", probe, tzero, value);
}
int32_t FakeUnit::ZelReadTzero(int32_t probe, float *value) {
    return read("ZelReadTzero", probe, tzero, value);
}
int32_t FakeUnit::ZelSetTfsv(int32_t probe, float *value) {
    return set("ZelSetTfsv", probe, tfsv, value);
}
int32_t FakeUnit::ZelReadTfsv(int32_t probe, float *value) {
    return read("ZelReadTfsv", probe, tfsv, value);
}
int32_t FakeUnit::ZelReadAnalog(int32_t input, float *value) {
    return read("ZelReadAnalog", input, analogValue, value);
}
int32_t FakeUnit::ZelSetAzero(int32_t input, float *value) {
    return set("ZelSetAzero", input, azero, value);
}
int32_t FakeUnit::ZelReadAzero(int32_t input, float *value) {
    return read("ZelReadAzero", input, azero, value);
}
int32_t FakeUnit::ZelSetAfsv(int32_t input, float *value) {
    return set("ZelSetAfsv", input, afsv, value);
}
int32_t FakeUnit::ZelReadAfsv(int32_t input, float *value) {
    return read("ZelReadAfsv", input, afsv, value);
}
int32_t FakeUnit::ZelSetLvdtGain(int32_t probe, int32_t coarse, int32_t ri) {
    record("ZelSetLvdtGain", {double(probe), double(coarse), double(ri)});
    return 0;
}
int32_t FakeUnit::ZelReadLvdtGain(int32_t probe, uint8_t *coarse, uint8_t *ri) {
    record("ZelReadLvdtGain", {double(probe)});
    *coarse = 128;
    *ri = 60;
    return 0;
}
int32_t FakeUnit::ZelSetLvdtFine(int32_t probe, int32_t fine) {
    record("ZelSetLvdtFine", {double(probe), double(fine)});
    return 0;
}
int32_t FakeUnit::ZelReadLvdtFine(int32_t probe, int16_t *fine) {
    record("ZelReadLvdtFine", {double(probe)});
    *fine = 0;
    return 0;
}
int32_t FakeUnit::ZelSetLvdtNull(int32_t probe, int32_t null) {
    record("ZelSetLvdtNull", {double(probe), double(null)});
    return 0;
}
int32_t FakeUnit::ZelReadLvdtNull(int32_t probe, int16_t *null) {
    record("ZelReadLvdtNull", {double(probe)});
    *null = 0;
    return 0;
}
int32_t FakeUnit::ZelSaveCalibration(int16_t *result) {
    record("ZelSaveCalibration", {});
    *result = 0;
    return 0;
}
int32_t FakeUnit::ZelGetSaveStatus(int16_t *done, int16_t *error) {
    record("ZelGetSaveStatus", {});
    *done = 1;
    *error = 0;
    return 0;
}

}  // namespace zeltest
