// What every dialog's tool is built from: the setup it edits, the settings and shared state,
// the unit, the prompter for its questions and the locale its numbers are typed in.
#pragma once

#include <QLocale>
#include <functional>

#include "base/app_state.h"
#include "base/prompter.h"
#include "unit/unit_api.h"

namespace zelapp {

class MasteredTimes;
class Setup;

struct DialogContext {
    Setup &setup;
    AppState &state;
    UnitApi &unit;
    Prompter &prompter;
    QLocale locale = QLocale();
    // When channels were last mastered; none in tests that do not look.
    MasteredTimes *masteredTimes = nullptr;
    // The calibration dialog or the mastering window opens: a master on the gauge is not a
    // part, so a part cycle under way ends. None in tests that do not look.
    std::function<void()> gaugeTaken = nullptr;
};

}  // namespace zelapp
