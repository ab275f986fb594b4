// The windows as the headless parts see them, for tests: keeps the caption, records the values
// and rebuilds the displays were given, the marks and windows the commands showed and the
// dialogs they opened. The grid and bar marks are on unless a test turns them off.
#pragma once

#include <QString>
#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

#include "base/main_window_port.h"

namespace zeltest {

class RecordingWindows : public zelapp::MainWindowPort {
  public:
    // The main window.
    QString captionText;
    int updateMainDisplayCalls = 0;
    std::function<void()> onUpdateMainDisplay;  // optional, e.g. a real ScanCycle
    int rebuildDisplaysCalls = 0;
    std::function<void()> onRebuildDisplays;

    // The displays.
    bool grid = true;
    bool bars = true;
    std::vector<std::pair<int, QString>> gridValues;
    std::vector<std::pair<int, float>> barValues;
    std::vector<std::pair<int, zelapp::ValueNote>> notes;
    std::vector<QString> notices;   // each notice line told
    std::vector<QString> statuses;  // each status line confirmation
    int gridRebuilds = 0;
    int barRebuilds = 0;
    std::vector<std::pair<int, bool>> checkCalls;
    std::vector<bool> pausedCalls;  // what each tick said of updating

    // The commands' windows and dialogs.
    int marksChanges = 0;
    std::vector<std::pair<char, bool>> shown;  // 'g' grid, 'b' bars
    std::vector<std::pair<zelapp::CommandDialog, bool>> dialogs;
    std::vector<zelapp::CommandDialog> open;
    std::function<void(zelapp::CommandDialog)> onDialog;

    void setCaption(const QString &caption) override { captionText = caption; }
    QString caption() const override { return captionText; }
    void UpdateMainDisplay() override {
        ++updateMainDisplayCalls;
        if (onUpdateMainDisplay) {
            onUpdateMainDisplay();
        }
    }
    void RebuildDisplays() override {
        ++rebuildDisplaysCalls;
        if (onRebuildDisplays) {
            onRebuildDisplays();
        }
    }

    bool gridEnabled() const override { return grid; }
    bool barsEnabled() const override { return bars; }
    void SetGridValue(int position, const QString &text) override {
        gridValues.emplace_back(position, text);
    }
    void SetBarValue(int position, float value) override {
        barValues.emplace_back(position, value);
    }
    void SetValueNote(int position, const zelapp::ValueNote &note) override {
        notes.emplace_back(position, note);
    }
    void setUnitNotice(const QString &text) override { notices.push_back(text); }
    void showStatus(const QString &text) override { statuses.push_back(text); }
    void UpdateGridDisplay() override { ++gridRebuilds; }
    void UpdateBarDisplay() override { ++barRebuilds; }
    void setDisplaysPaused(bool paused) override { pausedCalls.push_back(paused); }
    void setViewChecked(int viewType, bool checked) override {
        checkCalls.emplace_back(viewType, checked);
    }
    void clear() {
        gridValues.clear();
        barValues.clear();
        notes.clear();
    }

    void marksChanged() override { ++marksChanges; }
    void showGrid(bool visible) override { shown.emplace_back('g', visible); }
    void showBars(bool visible) override { shown.emplace_back('b', visible); }
    zelapp::DialogResult showDialog(zelapp::CommandDialog dialog, bool modal) override {
        dialogs.emplace_back(dialog, modal);
        if (onDialog) {
            onDialog(dialog);
        }
        return modal ? zelapp::DialogResult::Cancelled : zelapp::DialogResult::Shown;
    }
    bool isDialogOpen(zelapp::CommandDialog dialog) const override {
        return std::find(open.begin(), open.end(), dialog) != open.end();
    }
};

}  // namespace zeltest
