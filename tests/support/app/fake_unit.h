// A unit for the application's tests: keeps what was set so that reads echo it, answers reads
// of channels, probes and analog inputs from tables the test fills, and records every call as
// text ("ZelClearChannel(3)", "ZelSetCzero(3, 0)") so tests can check the exact sequence.
#pragma once

#include <concepts>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "unit/unit_api.h"

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
    // Statuses the unit answers particular calls with, by their recorded text
    // ({"ZelReadLvdt(9)", 15}); a refused set keeps what the unit had.
    std::map<std::string, int32_t> refusals;
    // The library's error boxes: switched by ZelMsgBox (on, as the library starts), and the
    // calls whose refusal the library showed in a box while they were on.
    bool errorBoxesOn = true;
    std::vector<std::string> errorBoxes;

    // A lost unit behaves as the library does without it: ZelCommInit returns 1 (and leaves
    // demonstration mode), every other request enters demonstration mode and is answered
    // with zeros and status 0. Requests are still recorded, so a test sees any that is made.
    bool reachable = true;
    int32_t demo = 0;     // what ZelIsDemo answers
    int demoQueries = 0;  // ZelIsDemo calls, which are not recorded in `calls`
    int32_t port = 1;     // what ZelGetPort answers (not recorded either, nor ZelDLL)
    // Amplifier settings by probe: the sets keep them and the reads echo them. A probe never
    // set reads coarse gain 128, Ri 60, fine gain 0 and null 0.
    struct Amplifier {
        uint8_t coarse = 128;
        uint8_t ri = 60;
        int16_t fine = 0;
        int16_t null = 0;
    };
    std::map<int, Amplifier> amplifiers;
    // What ZelSaveCalibration answers (nonzero: the store did not start), and the successive
    // answers (done, error) of ZelGetSaveStatus; once they are used up, done 1 and error 0.
    int16_t saveRefused = 0;
    std::vector<std::pair<int16_t, int16_t>> saveStatus;
    // Runs as each call is recorded (not for ZelDefineChannel), while the caller waits for it.
    std::function<void()> onCall;
    // The unit was switched off: it forgets its channels and its stored values.
    void restartEmpty();

    // Number of recorded calls whose text starts with `prefix` (e.g. "ZelReadChannel(").
    int count(const std::string &prefix) const;
    void clearCalls() { calls.clear(); }

    ZEL_UNIT_CALLS(ZEL_UNIT_CALL_OVERRIDE)

  private:
    std::string formulaRead_;  // the text ZelReadFormula points to
    using Call = zelapp::UnitCall;
    using Table = std::map<int, float>;

    // Where a call with a float value keeps it, and whether the call sets it or reads it.
    struct ValueAccess {
        Table *table;
        bool sets;
    };
    ValueAccess valueAccess(Call call);

    // Records the call and returns its text.
    std::string record(Call call, std::initializer_list<double> args);
    // The status of a recorded call: its scripted refusal, else `status`. A nonzero status is
    // shown in a box while the error boxes are on.
    int32_t answered(const std::string &call, int32_t status = 0);

    // Each call ends in the answer for its argument types, which records it first.
    int32_t answer(Call call, std::same_as<int32_t> auto... numbers);
    int32_t plainAnswer(Call call, std::initializer_list<double> numbers);
    int32_t answer(Call call, int32_t channel, const char *formula);
    int32_t answer(Call call, int32_t channel, char **text);
    // True when the request is answered as in demonstration mode.
    bool answersDemo();
    int32_t answer(Call call, int32_t number, float *value);
    int32_t answer(Call call, int32_t probe, uint8_t *coarse, uint8_t *ri);
    int32_t answer(Call call, int32_t probe, int16_t *word);
    int32_t answer(Call call, int16_t *result);
    int32_t answer(Call call, int16_t *done, int16_t *error);
};

}  // namespace zeltest
