#include "fake_unit.h"

#include <cstdio>
#include <stdexcept>
#include <tuple>

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

std::string FakeUnit::record(Call call, std::initializer_list<double> args) {
    std::string text = std::string(zelapp::unitCallName(call)) + "(";
    bool first = true;
    for (double a : args) {
        text += (first ? "" : ", ") + number(a);
        first = false;
    }
    text += ")";
    calls.push_back(text);
    if (onCall) {
        onCall();
    }
    return text;
}

int32_t FakeUnit::answered(const std::string &call, int32_t status) {
    const auto refusal = refusals.find(call);
    if (refusal != refusals.end()) {
        status = refusal->second;
    }
    if (status != 0 && errorBoxesOn) {
        errorBoxes.push_back(call);
    }
    return status;
}

void FakeUnit::restartEmpty() {
    formulas.clear();
    for (Table *table : {&czero, &cscale, &tzero, &tfsv, &azero, &afsv}) {
        table->clear();
    }
}

bool FakeUnit::answersDemo() {
    if (!reachable) {
        demo = 1;
    }
    return demo != 0;
}

FakeUnit::ValueAccess FakeUnit::valueAccess(Call call) {
    switch (call) {
        case Call::ZelReadChannel:
            return {&channelValue, false};
        case Call::ZelReadLvdt:
            return {&lvdtValue, false};
        case Call::ZelReadAnalog:
            return {&analogValue, false};
        case Call::ZelSetCzero:
        case Call::ZelReadCzero:
            return {&czero, call == Call::ZelSetCzero};
        case Call::ZelSetCscale:
        case Call::ZelReadCscale:
            return {&cscale, call == Call::ZelSetCscale};
        case Call::ZelSetTzero:
        case Call::ZelReadTzero:
            return {&tzero, call == Call::ZelSetTzero};
        case Call::ZelSetTfsv:
        case Call::ZelReadTfsv:
            return {&tfsv, call == Call::ZelSetTfsv};
        case Call::ZelSetAzero:
        case Call::ZelReadAzero:
            return {&azero, call == Call::ZelSetAzero};
        case Call::ZelSetAfsv:
        case Call::ZelReadAfsv:
            return {&afsv, call == Call::ZelSetAfsv};
        default:
            throw std::logic_error(std::string("FakeUnit keeps no value for ") +
                                   zelapp::unitCallName(call));
    }
}

int32_t FakeUnit::answer(Call call, std::same_as<int32_t> auto... numbers) {
    return plainAnswer(call, {static_cast<double>(numbers)...});
}

int32_t FakeUnit::plainAnswer(Call call, std::initializer_list<double> numbers) {
    if (call == Call::ZelIsDemo) {
        ++demoQueries;
        return demo;
    }
    if (call == Call::ZelGetPort) {
        return port;
    }
    if (call == Call::ZelDLL) {
        return 769;
    }
    const std::string text = record(call, numbers);
    if (call == Call::ZelCommInit) {
        demo = 0;
        return reachable ? commInitResult : 1;
    }
    if (call == Call::ZelMsgBox) {
        errorBoxesOn = *numbers.begin() != 0;
    }
    const bool flagSetter =
        call == Call::ZelMsgBox || call == Call::EppInstallMsg || call == Call::EppDiagMsg;
    if (!flagSetter && answersDemo()) {
        return 0;
    }
    if (const int32_t status = flagSetter ? 0 : answered(text); status != 0) {
        return status;
    }
    switch (call) {
        case Call::ZelClearChannel:
            formulas.erase(static_cast<int>(*numbers.begin()));
            break;
        case Call::ZelClearAllChannels:
            formulas.clear();
            break;
        case Call::ZelSetLvdtGain: {
            const auto *arg = numbers.begin();
            Amplifier &amplifier = amplifiers[static_cast<int>(arg[0])];
            amplifier.coarse = static_cast<uint8_t>(arg[1]);
            amplifier.ri = static_cast<uint8_t>(arg[2]);
            break;
        }
        case Call::ZelSetLvdtFine:
            amplifiers[static_cast<int>(*numbers.begin())].fine =
                static_cast<int16_t>(numbers.begin()[1]);
            break;
        case Call::ZelSetLvdtNull:
            amplifiers[static_cast<int>(*numbers.begin())].null =
                static_cast<int16_t>(numbers.begin()[1]);
            break;
        default:
            break;
    }
    return 0;
}

int32_t FakeUnit::answer(Call call, int32_t channel, const char *formula) {
    const std::string text =
        std::string(zelapp::unitCallName(call)) + "(" + number(channel) + ", " + formula + ")";
    calls.push_back(text);
    if (answersDemo()) {
        return 0;
    }
    if (const int32_t status = answered(text); status != 0) {
        return status;
    }
    formulas[channel] = formula;
    return 0;
}

int32_t FakeUnit::answer(Call call, int32_t channel, char **text) {
    const std::string recorded = record(call, {static_cast<double>(channel)});
    const auto it = formulas.find(channel);
    formulaRead_ = answersDemo() || it == formulas.end() ? std::string() : it->second;
    *text = formulaRead_.data();
    return demo != 0 ? 0 : answered(recorded);
}

int32_t FakeUnit::answer(Call call, int32_t number, float *value) {
    const ValueAccess access = valueAccess(call);
    if (access.sets) {
        const std::string text =
            record(call, {static_cast<double>(number), static_cast<double>(*value)});
        if (answersDemo()) {
            return 0;
        }
        if (const int32_t status = answered(text); status != 0) {
            return status;
        }
        (*access.table)[number] = *value;
        return 0;
    }
    const std::string text = record(call, {static_cast<double>(number)});
    if (answersDemo()) {
        *value = 0;
        return 0;
    }
    if (const int32_t status = answered(text, readResult); status != 0) {
        return status;
    }
    auto it = access.table->find(number);
    *value = it == access.table->end() ? 0.0f : it->second;
    return 0;
}

int32_t FakeUnit::answer(Call call, int32_t probe, uint8_t *coarse, uint8_t *ri) {
    const std::string text = record(call, {static_cast<double>(probe)});
    const Amplifier amplifier = answersDemo() ? Amplifier{0, 0, 0, 0} : amplifiers[probe];
    *coarse = amplifier.coarse;
    *ri = amplifier.ri;
    return demo != 0 ? 0 : answered(text);
}

int32_t FakeUnit::answer(Call call, int32_t probe, int16_t *word) {
    const std::string text = record(call, {static_cast<double>(probe)});
    const Amplifier amplifier = answersDemo() ? Amplifier{0, 0, 0, 0} : amplifiers[probe];
    *word = call == Call::ZelReadLvdtFine ? amplifier.fine : amplifier.null;
    return demo != 0 ? 0 : answered(text);
}

int32_t FakeUnit::answer(Call call, int16_t *result) {
    record(call, {});
    *result = answersDemo() ? 0 : saveRefused;
    return 0;
}

int32_t FakeUnit::answer(Call call, int16_t *done, int16_t *error) {
    record(call, {});
    *done = 1;
    *error = 0;
    if (answersDemo()) {
        *done = 0;
    } else if (!saveStatus.empty()) {
        std::tie(*done, *error) = saveStatus.front();
        saveStatus.erase(saveStatus.begin());
    }
    return 0;
}

#define ZEL_FAKE_CALL(result, name, params, args)                               \
    result FakeUnit::name params {                                              \
        return static_cast<result>(answer(Call::name ZEL_UNIT_CALL_TAIL args)); \
    }
ZEL_UNIT_CALLS(ZEL_FAKE_CALL)
#undef ZEL_FAKE_CALL

}  // namespace zeltest
