// Loading and saving a large setup: 255 channels with formulas, 64 probes, 20 groups. The unit
// is an echo that costs nothing, so the figures are the program's own work (the library calls a
// load makes are counted and reported). Target: each under 20 ms.
#include <QDir>
#include <QFile>
#include <QLocale>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "base/file_chooser.h"
#include "base/prompter.h"
#include "compare_rounds.h"
#include "echo_unit.h"
#include "gauging_formulas.h"
#include "recording_ports.h"
#include "recording_windows.h"
#include "scripted_prompter.h"
#include "setup/setup.h"
#include "setup/setup_commands.h"
#include "setup_fixture.h"
#include "temp_folder.h"

namespace {

template <typename F>
double millisecondsOf(F &&work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

}  // namespace

int main() {
    zelbench::EchoUnit unit;
    zeltest::ScriptedPrompter prompter;
    zelapp::AppState state;
    zelapp::ChannelLabels labels;
    zeltest::CurrentItemHolder items;
    zeltest::RecordingWindows window;
    zelapp::ModelContext context{unit, prompter, state};
    zelapp::Setup setup{context, state, labels, items, window};
    zeltest::FakeFileChooser chooser;
    zelapp::SetupCommands commands{setup, prompter, chooser, QLocale::c()};

    state.MaxChannel = 255;
    state.MaxLvdt = 64;
    state.MaxAnalog = 4;
    setup.CreateDefaultObjects();
    for (int i = 1; i <= 255; ++i) {
        auto *c = setup.channel(i);
        c->InUse = true;
        c->Description = QStringLiteral("Channel %1 of the shaft job").arg(i);
        c->setFormula(QString::fromStdString(zelbench::formulaFor(i)));
        c->setScaling(1.0f + i / 1000.0f);
        c->setZeroOffset(i / 100000.0f);
    }
    for (int g = 1; g <= 20; ++g) {
        auto group = std::make_unique<zelapp::group>();
        group->SetDefaults(g);
        for (int k = 0; k < 12; ++k) {
            group->AddChannel((g * 12 + k) % 255 + 1);
        }
        group->WindowGridHeight = 3000;
        setup.addGroup(std::move(group));
    }

    zeltest::TempFolder folder;
    const QString path =
        QDir(QString::fromStdString(folder.path())).filePath(QStringLiteral("big.zel"));
    state.SetupFileName = path;

    std::vector<double> saves, loads;
    long callsPerLoad = 0;
    for (int round = 0; round < 21; ++round) {
        saves.push_back(millisecondsOf([&] { commands.SaveFile_Click(); }));
        state.SetupFileName = path;
        const long before = unit.calls;
        loads.push_back(millisecondsOf([&] { commands.loadSetupFile(); }));
        callsPerLoad = unit.calls - before;
    }
    QFile file(path);
    const qint64 bytes = file.size();
    const bool ok =
        prompter.shown.empty() && setup.groupCount() == 20 && setup.channelCount() == 255;

    std::printf("bench_setup_file: 255 channels, 64 probes, 20 groups (%lld bytes)\n",
                static_cast<long long>(bytes));
    std::printf("  save: %.2f ms (median of 21), target < 20 ms\n", zelbench::median(saves));
    std::printf("  load: %.2f ms (median of 21), target < 20 ms; %ld library calls per load\n",
                zelbench::median(loads), callsPerLoad);
    if (!ok) {
        std::printf("  FAILED: the setup did not come back whole\n");
        return 1;
    }
    return 0;
}
