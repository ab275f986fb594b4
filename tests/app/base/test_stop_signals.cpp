// The stop signals reach the program in its event loop, never in the handler: raised in this
// process, each is told once, as what it was, only when the loop runs.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <csignal>
#include <vector>

#include "base/stop_signals.h"

namespace {

// The action the process takes for `signal` now.
void (*actionOf(int signal))(int) {
    struct sigaction action {};
    sigaction(signal, nullptr, &action);
    return action.sa_handler;
}

TEST(StopSignals, EachIsToldInTheEventLoopAsWhatItWas) {
    zelapp::StopSignals stops;
    ASSERT_TRUE(stops.isActive());
    std::vector<int> told;
    QObject::connect(&stops, &zelapp::StopSignals::stopRequested,
                     [&](int signal) { told.push_back(signal); });
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        told.clear();
        ASSERT_EQ(std::raise(signal), 0);
        EXPECT_TRUE(told.empty()) << "nothing runs inside the handler";
        ASSERT_TRUE(QTest::qWaitFor([&] { return !told.empty(); }, 5000))
            << zelapp::stopSignalName(signal).toStdString();
        QCoreApplication::processEvents();
        EXPECT_EQ(told, std::vector<int>{signal});
    }
    // Two at once are two.
    told.clear();
    std::raise(SIGTERM);
    std::raise(SIGHUP);
    ASSERT_TRUE(QTest::qWaitFor([&] { return told.size() == 2; }, 5000));
    EXPECT_EQ(told, (std::vector<int>{SIGTERM, SIGHUP}));
}

TEST(StopSignals, OneTakesThemAtATimeAndGivesTheDefaultsBack) {
    {
        zelapp::StopSignals first;
        EXPECT_TRUE(first.isActive());
        EXPECT_NE(actionOf(SIGTERM), SIG_DFL);
        zelapp::StopSignals second;
        EXPECT_FALSE(second.isActive());
    }
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        EXPECT_EQ(actionOf(signal), SIG_DFL) << zelapp::stopSignalName(signal).toStdString();
    }
    // Free again for the next one.
    zelapp::StopSignals again;
    EXPECT_TRUE(again.isActive());
}

}  // namespace
