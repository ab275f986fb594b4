// What the headless core asks of the main window: its caption and rebuilding the displays.
// FormMain implements it; tests record the calls.
#pragma once

#include <QString>

namespace zelapp {

class MainWindowPort {
  public:
    virtual ~MainWindowPort() = default;
    virtual void setCaption(const QString &caption) = 0;
    virtual QString caption() const = 0;
    // Rebuilds the view and the open display windows (the scan cycle's UpdateMainDisplay).
    virtual void UpdateMainDisplay() = 0;
    // The same without releasing a scan hold (the scan cycle's RebuildDisplays).
    virtual void RebuildDisplays() = 0;
};

}  // namespace zelapp
