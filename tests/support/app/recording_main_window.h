// A main window for headless tests: keeps its caption and counts the display rebuilds.
#pragma once

#include <functional>

#include "base/main_window_port.h"

namespace zeltest {

class RecordingMainWindow : public zelapp::MainWindowPort {
  public:
    QString captionText;
    int updateMainDisplayCalls = 0;
    std::function<void()> onUpdateMainDisplay;  // optional, e.g. a real ScanCycle

    void setCaption(const QString &caption) override { captionText = caption; }
    QString caption() const override { return captionText; }
    void UpdateMainDisplay() override {
        ++updateMainDisplayCalls;
        if (onUpdateMainDisplay) {
            onUpdateMainDisplay();
        }
    }
    int rebuildDisplaysCalls = 0;
    std::function<void()> onRebuildDisplays;
    void RebuildDisplays() override {
        ++rebuildDisplaysCalls;
        if (onRebuildDisplays) {
            onRebuildDisplays();
        }
    }
};

}  // namespace zeltest
