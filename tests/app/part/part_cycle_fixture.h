// A part cycle over a complete headless setup and the fake unit, through the program's link,
// with clocks the test moves: every step is a poll kPollMs later.
#pragma once

#include <QString>
#include <vector>

#include "manual_clock.h"
#include "part/part_cycle.h"
#include "setup/part_program.h"
#include "setup_fixture.h"
#include "unit/unit_connection.h"

namespace zeltest {

struct PartCycleFixture : SetupFixture {
    zelapp::UnitConnection link{unit};
    zelapp::ActivePartProgram program;
    ManualElapsedClock clock;
    ManualWallClock wall;
    zelapp::PartCycle cycle{link, setup, program, clock, wall};
    // Every notice, in order: "Settling", "Acquiring", "Result", "Ready", "ended".
    std::vector<QString> notices;
    std::vector<zelapp::PartResult> parts;
    bool allowed = true;
    bool busy = false;

    PartCycleFixture() {
        state.SetupFileName = QStringLiteral("/jobs/shaft.zel");
        cycle.programStarted();
        cycle.setUnitCallsAllowed([this] { return allowed; });
        cycle.setBusyCheck([this] { return busy; });
        QObject::connect(&cycle, &zelapp::PartCycle::stateChanged,
                         [this](zelapp::CycleState s) { notices.push_back(name(s)); });
        QObject::connect(&cycle, &zelapp::PartCycle::partEnded,
                         [this](const zelapp::PartResult &part) {
                             notices.push_back(QStringLiteral("ended"));
                             parts.push_back(part);
                         });
    }

    static QString name(zelapp::CycleState s) {
        switch (s) {
            case zelapp::CycleState::Ready:
                return QStringLiteral("Ready");
            case zelapp::CycleState::Settling:
                return QStringLiteral("Settling");
            case zelapp::CycleState::Acquiring:
                return QStringLiteral("Acquiring");
            case zelapp::CycleState::Result:
                break;
        }
        return QStringLiteral("Result");
    }

    // A channel with its formula, decimals and limits (low tolerance, low approach, high
    // approach, high tolerance), reading `value`.
    void channel(int n, const QString &formula, float value, int decimals = 4,
                 zelapp::ToleranceLimits limits = {-0.01f, -0.008f, 0.008f, 0.01f}) {
        zelapp::Channel &c = *setup.channel(n);
        c.setFormula(formula);
        c.Decimals = decimals;
        c.LoTol = limits.loTol;
        c.LoAppr = limits.loAppr;
        c.HiAppr = limits.hiAppr;
        c.HiTol = limits.hiTol;
        c.Description = QStringLiteral("Char ") + QString::number(n);
        c.Units = QStringLiteral("mm");
        unit.channelValue[n] = value;
    }
    void useProgram(const zelapp::PartProgram &p) { program.replace(p); }
    // Parts that start by themselves: channel 1 (T1, 0.001) measured, a part on the gauge while
    // channel 5 (T8, 0 now: none) reads inside [0.5, 1.5]. Not yet in use.
    zelapp::PartProgram autoStart() {
        channel(1, QStringLiteral("T1"), 0.001f);
        channel(5, QStringLiteral("T8"), 0);
        zelapp::PartProgram p;
        p.start = zelapp::PartStart::Auto;
        p.characteristics = {1};
        p.presentChannel = 5;
        p.presentLow = 0.5;
        p.presentHigh = 1.5;
        return p;
    }

    // One poll, `ms` after the last.
    void step(qint64 ms = zelapp::PartCycle::kPollMs) {
        clock.now += ms;
        cycle.poll();
    }
    // Polls until the state is `state`, at most `most` polls; whether it got there.
    bool stepUntil(zelapp::CycleState state, int most = 400) {
        for (int i = 0; i < most && cycle.state() != state; ++i) {
            step();
        }
        return cycle.state() == state;
    }
    const zelapp::PartResult &last() const { return *cycle.lastResult(); }
};

}  // namespace zeltest
