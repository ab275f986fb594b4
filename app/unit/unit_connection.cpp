#include "unit/unit_connection.h"

#include <algorithm>
#include <cstring>

namespace zelapp {

std::optional<float> UnitCopy::value(Value which, int32_t number) const {
    const auto &held = values[which];
    const auto it = held.find(number);
    return it == held.end() ? std::nullopt : std::optional<float>(it->second);
}

namespace {
// A formula the unit answered, read no further than its answer can reach: a reply without its
// zero byte must not run past the library's response area.
constexpr std::size_t kLongestAnswer = 257;
std::string answeredFormula(const char *text) {
    return std::string(text, strnlen(text, kLongestAnswer));
}
}  // namespace

bool UnitConnection::answered() {
    if (library_.ZelIsDemo() == 0) {
        return true;
    }
    markLost();
    return false;
}

void UnitConnection::markLost() {
    if (lost_) {
        return;
    }
    lost_ = true;
    if (onLost_) {
        onLost_();
    }
}

// ---- Restoring -----------------------------------------------------------------------------

std::optional<bool> UnitConnection::setupKept() {
    if (copy_.formulas.empty()) {
        return std::nullopt;
    }
    const auto &[channel, formula] = *copy_.formulas.begin();
    char *text = nullptr;
    const int32_t status = library_.ZelReadFormula(channel, &text);
    if (library_.ZelIsDemo() != 0) {
        return std::nullopt;
    }
    return status == 0 && text != nullptr && formula == answeredFormula(text);
}

bool UnitConnection::restore(int channels, int lvdts, int analogs, RefusedItems *refused) {
    // The program's copy goes back whole: the unit's refusals are told once by the caller,
    // not in a box of the library's per request.
    library_.ZelMsgBox(0);
    // Every call is followed by the same question; the first "no" ends the restore.
    bool ok = true;
    const auto send = [this, &ok, refused](RefusedItems::Item item, int32_t n, auto &&call) {
        if (!ok) {
            return;
        }
        const int32_t status = call();
        ok = library_.ZelIsDemo() == 0;
        if (ok && status != 0 && refused != nullptr) {
            refused->add(item, n, status);
        }
    };
    const auto sendSetting = [this, &ok](auto &&call) {
        if (ok) {
            call();
            ok = library_.ZelIsDemo() == 0;
        }
    };
    const auto sendValue = [this, &send](RefusedItems::Item item, Read write, UnitCopy::Value which,
                                         int32_t n) {
        if (const std::optional<float> held = copy_.value(which, n)) {
            float value = *held;
            send(item, n, [&] { return (library_.*write)(n, &value); });
        }
    };
    sendSetting([this] { library_.ZelStartScan(); });
    if (copy_.scanTime) {
        sendSetting([this] { library_.ZelSetScanTime(*copy_.scanTime); });
    }
    if (copy_.adcAverage) {
        sendSetting([this] { library_.ZelSetAdcAvg(*copy_.adcAverage); });
    }
    if (copy_.runAverage) {
        sendSetting([this] { library_.ZelSetRunAvg(*copy_.runAverage); });
    }
    using Item = RefusedItems::Item;
    for (int32_t ch = 1; ch <= std::max<int32_t>(channels, copy_.highestChannel); ++ch) {
        const auto formula = copy_.formulas.find(ch);
        if (formula != copy_.formulas.end()) {
            send(Item::Channel, ch,
                 [&] { return library_.ZelDefineChannel(ch, formula->second.c_str()); });
        } else {
            send(Item::Channel, ch, [&] { return library_.ZelClearChannel(ch); });
        }
        sendValue(Item::Channel, &UnitApi::ZelSetCscale, UnitCopy::Cscale, ch);
        sendValue(Item::Channel, &UnitApi::ZelSetCzero, UnitCopy::Czero, ch);
    }
    for (int32_t probe = 1; probe <= lvdts; ++probe) {
        sendValue(Item::Probe, &UnitApi::ZelSetTfsv, UnitCopy::Tfsv, probe);
        sendValue(Item::Probe, &UnitApi::ZelSetTzero, UnitCopy::Tzero, probe);
    }
    for (int32_t input = 1; input <= analogs; ++input) {
        sendValue(Item::Analog, &UnitApi::ZelSetAfsv, UnitCopy::Afsv, input);
        sendValue(Item::Analog, &UnitApi::ZelSetAzero, UnitCopy::Azero, input);
    }
    library_.ZelMsgBox(boxesOff_ > 0 ? 0 : 1);
    if (ok) {
        lost_ = false;
    }
    return ok;
}

// ---- Helpers of the calls ------------------------------------------------------------------

int32_t UnitConnection::reading(Read read, int32_t number, float *value) {
    return whenLive([&] { return (library_.*read)(number, value); })
        .value_or(kUnitNotCommunicating);
}

int32_t UnitConnection::readHeld(Read read, UnitCopy::Value which, int32_t number, float *value) {
    if (const auto status = whenLive([&] { return (library_.*read)(number, value); })) {
        if (*status == 0 && value != nullptr) {
            copy_.values[which][number] = *value;
        }
        return *status;
    }
    const std::optional<float> held = copy_.value(which, number);
    if (value != nullptr) {
        *value = held.value_or(0.0f);
    }
    return held ? 0 : kUnitNotCommunicating;
}

// A status the unit refused a write with: it kept what it had, and so does the copy.
std::optional<int32_t> UnitConnection::refused(std::optional<int32_t> status) {
    return status && *status != 0 ? status : std::nullopt;
}

int32_t UnitConnection::writeHeld(Read write, UnitCopy::Value which, int32_t number, float *value) {
    if (value == nullptr) {
        return reading(write, number, value);
    }
    if (const auto status = refused(whenLive([&] { return (library_.*write)(number, value); }))) {
        return *status;
    }
    copy_.values[which][number] = *value;
    return 0;
}

int32_t UnitConnection::writeSetting(int32_t (UnitApi::*write)(int32_t),
                                     std::optional<int32_t> &held, int32_t value) {
    if (const auto status = refused(whenLive([&] { return (library_.*write)(value); }))) {
        return *status;
    }
    held = value;
    return 0;
}

int32_t UnitConnection::action(int32_t (UnitApi::*call)()) {
    return whenLive([&] { return (library_.*call)(); }).value_or(kUnitNotCommunicating);
}

// ---- Start-up and diagnostics: always the library's own ------------------------------------

int32_t UnitConnection::ZelCommInit(int32_t unused) {
    return library_.ZelCommInit(unused);
}

// Stretches with the boxes off nest (a batch, a tick's reads): the boxes are on again only
// when the outermost ends. While the unit is lost an attempt to reach it may be running in the
// library on another thread, so the switch waits for the restore.
void UnitConnection::ZelMsgBox(int32_t flag) {
    if (flag == 0) {
        if (boxesOff_++ == 0 && !lost_) {
            library_.ZelMsgBox(0);
        }
        return;
    }
    if (boxesOff_ > 0 && --boxesOff_ > 0) {
        return;
    }
    if (!lost_) {
        library_.ZelMsgBox(flag);
    }
}

int32_t UnitConnection::EppInstallMsg(int32_t flag) {
    return library_.EppInstallMsg(flag);
}

int32_t UnitConnection::EppDiagMsg(int32_t flag) {
    return library_.EppDiagMsg(flag);
}

int32_t UnitConnection::ZelIsDemo() {
    return lost_ ? 1 : library_.ZelIsDemo();
}

// The library's own facts: they do not reach the unit. While the unit is lost a reconnection
// attempt may be scanning the ports on another thread, so the port is not asked for then: there
// is none.
int32_t UnitConnection::ZelGetPort() {
    return lost_ ? 0 : library_.ZelGetPort();
}

int32_t UnitConnection::ZelDLL() {
    return library_.ZelDLL();
}

// ---- Scanning ------------------------------------------------------------------------------

// Scanning is always started again when the unit is back.
int32_t UnitConnection::ZelStartScan() {
    return lost_ ? 0 : action(&UnitApi::ZelStartScan);
}

int32_t UnitConnection::ZelStopScan() {
    return action(&UnitApi::ZelStopScan);
}

int32_t UnitConnection::ZelSetScanTime(int32_t time) {
    return writeSetting(&UnitApi::ZelSetScanTime, copy_.scanTime, time);
}

int32_t UnitConnection::ZelSetAdcAvg(int32_t count) {
    return writeSetting(&UnitApi::ZelSetAdcAvg, copy_.adcAverage, count);
}

int32_t UnitConnection::ZelSetRunAvg(int32_t count) {
    return writeSetting(&UnitApi::ZelSetRunAvg, copy_.runAverage, count);
}

int32_t UnitConnection::ZelResetMM() {
    return action(&UnitApi::ZelResetMM);
}

// ---- Channels ------------------------------------------------------------------------------

int32_t UnitConnection::ZelDefineChannel(int32_t channel, const char *formula) {
    if (const auto status =
            refused(whenLive([&] { return library_.ZelDefineChannel(channel, formula); }))) {
        return *status;
    }
    setFormula(channel, formula);
    return 0;
}

// An empty formula clears the channel, as the library does.
void UnitConnection::setFormula(int32_t channel, const char *formula) {
    copy_.highestChannel = std::max(copy_.highestChannel, channel);
    if (formula == nullptr || *formula == '\0') {
        copy_.formulas.erase(channel);
    } else {
        copy_.formulas[channel] = formula;
    }
}

int32_t UnitConnection::ZelClearChannel(int32_t channel) {
    if (const auto status = refused(whenLive([&] { return library_.ZelClearChannel(channel); }))) {
        return *status;
    }
    setFormula(channel, nullptr);
    return 0;
}

int32_t UnitConnection::ZelClearAllChannels() {
    if (const auto status = refused(whenLive([&] { return library_.ZelClearAllChannels(); }))) {
        return *status;
    }
    copy_.formulas.clear();
    return 0;
}

int32_t UnitConnection::ZelReadChannel(int32_t channel, float *value) {
    return reading(&UnitApi::ZelReadChannel, channel, value);
}

int32_t UnitConnection::ZelReadFormula(int32_t channel, char **text) {
    if (const auto status = whenLive([&] { return library_.ZelReadFormula(channel, text); })) {
        if (*status == 0 && text != nullptr && *text != nullptr) {
            setFormula(channel, answeredFormula(*text).c_str());
        }
        return *status;
    }
    const auto it = copy_.formulas.find(channel);
    formulaText_ = it == copy_.formulas.end() ? std::string() : it->second;
    if (text != nullptr) {
        *text = formulaText_.data();
    }
    return 0;
}

int32_t UnitConnection::ZelSetCzero(int32_t channel, float *value) {
    return writeHeld(&UnitApi::ZelSetCzero, UnitCopy::Czero, channel, value);
}

int32_t UnitConnection::ZelReadCzero(int32_t channel, float *value) {
    return readHeld(&UnitApi::ZelReadCzero, UnitCopy::Czero, channel, value);
}

int32_t UnitConnection::ZelSetCscale(int32_t channel, float *value) {
    return writeHeld(&UnitApi::ZelSetCscale, UnitCopy::Cscale, channel, value);
}

int32_t UnitConnection::ZelReadCscale(int32_t channel, float *value) {
    return readHeld(&UnitApi::ZelReadCscale, UnitCopy::Cscale, channel, value);
}

// ---- Probe and analog inputs ---------------------------------------------------------------

int32_t UnitConnection::ZelReadLvdt(int32_t probe, float *value) {
    return reading(&UnitApi::ZelReadLvdt, probe, value);
}

int32_t UnitConnection::ZelSetTzero(int32_t probe, float *value) {
    return writeHeld(&UnitApi::ZelSetTzero, UnitCopy::Tzero, probe, value);
}

int32_t UnitConnection::ZelReadTzero(int32_t probe, float *value) {
    return readHeld(&UnitApi::ZelReadTzero, UnitCopy::Tzero, probe, value);
}

int32_t UnitConnection::ZelSetTfsv(int32_t probe, float *value) {
    return writeHeld(&UnitApi::ZelSetTfsv, UnitCopy::Tfsv, probe, value);
}

int32_t UnitConnection::ZelReadTfsv(int32_t probe, float *value) {
    return readHeld(&UnitApi::ZelReadTfsv, UnitCopy::Tfsv, probe, value);
}

int32_t UnitConnection::ZelReadAnalog(int32_t input, float *value) {
    return reading(&UnitApi::ZelReadAnalog, input, value);
}

int32_t UnitConnection::ZelSetAzero(int32_t input, float *value) {
    return writeHeld(&UnitApi::ZelSetAzero, UnitCopy::Azero, input, value);
}

int32_t UnitConnection::ZelReadAzero(int32_t input, float *value) {
    return readHeld(&UnitApi::ZelReadAzero, UnitCopy::Azero, input, value);
}

int32_t UnitConnection::ZelSetAfsv(int32_t input, float *value) {
    return writeHeld(&UnitApi::ZelSetAfsv, UnitCopy::Afsv, input, value);
}

int32_t UnitConnection::ZelReadAfsv(int32_t input, float *value) {
    return readHeld(&UnitApi::ZelReadAfsv, UnitCopy::Afsv, input, value);
}

// ---- Probe amplifiers: adjusted only on a unit that answers --------------------------------

int32_t UnitConnection::ZelSetLvdtGain(int32_t probe, int32_t coarse, int32_t ri) {
    const int32_t status = whenLive([&] {
                               return library_.ZelSetLvdtGain(probe, coarse, ri);
                           }).value_or(kUnitNotCommunicating);
    if (status == 0) {
        amplifier(probe).gain = {static_cast<uint8_t>(coarse), static_cast<uint8_t>(ri)};
    }
    return status;
}

int32_t UnitConnection::ZelReadLvdtGain(int32_t probe, uint8_t *coarse, uint8_t *ri) {
    if (const auto status = whenLive([&] { return library_.ZelReadLvdtGain(probe, coarse, ri); })) {
        if (*status == 0 && coarse != nullptr && ri != nullptr) {
            amplifier(probe).gain = {*coarse, *ri};
        }
        return *status;
    }
    const auto &held = amplifier(probe).gain;
    if (!held) {
        return kUnitNotCommunicating;
    }
    if (coarse != nullptr && ri != nullptr) {
        *coarse = (*held)[0];
        *ri = (*held)[1];
    }
    return 0;
}

// The fine gain and the null offset of a probe's amplifier go the same way.
int32_t UnitConnection::setWord(int32_t (UnitApi::*set)(int32_t, int32_t),
                                std::optional<int16_t> &held, int32_t probe, int32_t word) {
    const int32_t status =
        whenLive([&] { return (library_.*set)(probe, word); }).value_or(kUnitNotCommunicating);
    if (status == 0) {
        held = static_cast<int16_t>(word);
    }
    return status;
}

int32_t UnitConnection::readWord(int32_t (UnitApi::*read)(int32_t, int16_t *),
                                 std::optional<int16_t> &held, int32_t probe, int16_t *word) {
    if (const auto status = whenLive([&] { return (library_.*read)(probe, word); })) {
        if (*status == 0 && word != nullptr) {
            held = *word;
        }
        return *status;
    }
    if (!held) {
        return kUnitNotCommunicating;
    }
    if (word != nullptr) {
        *word = *held;
    }
    return 0;
}

int32_t UnitConnection::ZelSetLvdtFine(int32_t probe, int32_t fine) {
    return setWord(&UnitApi::ZelSetLvdtFine, amplifier(probe).fine, probe, fine);
}

int32_t UnitConnection::ZelReadLvdtFine(int32_t probe, int16_t *fine) {
    return readWord(&UnitApi::ZelReadLvdtFine, amplifier(probe).fine, probe, fine);
}

int32_t UnitConnection::ZelSetLvdtNull(int32_t probe, int32_t null) {
    return setWord(&UnitApi::ZelSetLvdtNull, amplifier(probe).null, probe, null);
}

int32_t UnitConnection::ZelReadLvdtNull(int32_t probe, int16_t *null) {
    return readWord(&UnitApi::ZelReadLvdtNull, amplifier(probe).null, probe, null);
}

int32_t UnitConnection::ZelSaveCalibration(int16_t *result) {
    return whenLive([&] { return library_.ZelSaveCalibration(result); })
        .value_or(kUnitNotCommunicating);
}

int32_t UnitConnection::ZelGetSaveStatus(int16_t *done, int16_t *error) {
    return whenLive([&] { return library_.ZelGetSaveStatus(done, error); })
        .value_or(kUnitNotCommunicating);
}

}  // namespace zelapp
