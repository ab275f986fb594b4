// Recording stand-ins for the windows' side of the core: the file dialogs and a dialog's
// live-value field.
#pragma once

#include <QString>
#include <optional>
#include <utility>
#include <vector>

#include "base/file_chooser.h"
#include "base/live_value.h"

namespace zeltest {

class FakeFileChooser : public zelapp::FileChooser {
  public:
    QString answer;  // empty: the operator cancels
    std::vector<zelapp::FileDialogRequest> openRequests, saveRequests;
    std::vector<QString> folderRequests;  // the initial folder of each

    QString chooseOpenFile(const zelapp::FileDialogRequest &request) override {
        openRequests.push_back(request);
        return answer;
    }
    QString chooseSaveFile(const zelapp::FileDialogRequest &request) override {
        saveRequests.push_back(request);
        return answer;
    }
    QString chooseFolder(const QString &initialFolder) override {
        folderRequests.push_back(initialFolder);
        return answer;
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
