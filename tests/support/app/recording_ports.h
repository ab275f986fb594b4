// Recording stand-ins for the windows' side of the core: the file dialogs, the displays the
// scan tick feeds, and the dialogs' live-value fields.
#pragma once

#include <QString>
#include <utility>
#include <vector>

#include "base/file_chooser.h"
#include "core/scan_cycle.h"

namespace zeltest {

class FakeFileChooser : public zelapp::FileChooser {
  public:
    QString answer;  // empty: the operator cancels
    std::vector<zelapp::FileDialogRequest> openRequests, saveRequests;

    QString chooseOpenFile(const zelapp::FileDialogRequest &request) override {
        openRequests.push_back(request);
        return answer;
    }
    QString chooseSaveFile(const zelapp::FileDialogRequest &request) override {
        saveRequests.push_back(request);
        return answer;
    }
};

class RecordingDisplays : public zelapp::ScanDisplays {
  public:
    bool grid = true;
    bool bars = true;
    std::vector<std::pair<int, QString>> gridValues;
    std::vector<std::pair<int, float>> barValues;
    int gridRebuilds = 0;
    int barRebuilds = 0;
    std::vector<std::pair<int, bool>> checkCalls;

    bool gridEnabled() const override { return grid; }
    bool barsEnabled() const override { return bars; }
    void SetGridValue(int position, const QString &text) override {
        gridValues.emplace_back(position, text);
    }
    void SetBarValue(int position, float value) override {
        barValues.emplace_back(position, value);
    }
    void UpdateGridDisplay() override { ++gridRebuilds; }
    void UpdateBarDisplay() override { ++barRebuilds; }
    void setViewChecked(int viewType, bool checked) override {
        checkCalls.emplace_back(viewType, checked);
    }
    void clear() {
        gridValues.clear();
        barValues.clear();
    }
};

class RecordingLiveFields : public zelapp::LiveValueFields {
  public:
    QString currentLvdt = QStringLiteral("1");
    QString currentAnalog = QStringLiteral("1");
    std::vector<QString> mastering, setupChan, lvdt, analog;

    void setMasteringValue(const QString &text) override { mastering.push_back(text); }
    void setSetupChanValue(const QString &text) override { setupChan.push_back(text); }
    QString currentLvdtText() const override { return currentLvdt; }
    void setLvdtValue(const QString &text) override { lvdt.push_back(text); }
    QString currentAnalogText() const override { return currentAnalog; }
    void setAnalogValue(const QString &text) override { analog.push_back(text); }
};

}  // namespace zeltest
