// Recording stand-ins for the windows' side of the core: the file dialogs, the displays the
// scan tick feeds, and a dialog's live-value field.
#pragma once

#include <QString>
#include <optional>
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

// A dialog's live-value field: names what it shows and records what the tick wrote.
class RecordingSink : public zelapp::LiveValueSink {
  public:
    RecordingSink(Source source, int number, bool sharesFormat = false)
        : number(number), source_(source), sharesFormat_(sharesFormat) {}

    int number;
    std::vector<QString> texts;
    std::vector<std::optional<float>> readings;

    Source liveSource() const override { return source_; }
    int liveNumber() const override { return number; }
    bool sharesChannelFormat() const override { return sharesFormat_; }
    void showLiveValue(const QString &text, std::optional<float> reading) override {
        texts.push_back(text);
        readings.push_back(reading);
    }

  private:
    Source source_;
    bool sharesFormat_;
};

}  // namespace zeltest
