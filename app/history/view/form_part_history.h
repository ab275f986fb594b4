// Parts > History: the parts of a period, newest first, with new parts on top as they are
// recorded; filters by period, the beginning of the part number (the numbers recorded offered,
// newest first) and verdict; a part's details on a double click or Enter; the shown parts
// exported to CSV in the profile chosen beside the button. The rows are the headless
// PartHistoryModel's; the window only reads its boxes into a filter and shows what the model and
// the export say.
#pragma once

#include <QWidget>
#include <memory>

#include "history/csv_profile.h"
#include "history/part_history_model.h"
#include "view/window_context.h"

namespace Ui {
class FormPartHistory;
}

namespace zelapp {

class FormPartHistory : public QWidget {
    Q_OBJECT
  public:
    explicit FormPartHistory(const WindowContext &context, QWidget *parent = nullptr);
    ~FormPartHistory() override;

    // Shows the window, raised.
    void showWindow();
    PartHistoryModel &model() { return *model_; }
    // Reads the filter boxes and shows the parts they select.
    void applyFilter();
    // Asks for a file and writes to it, as CSV, every part of the filter, not only the rows
    // read so far.
    void exportCsv();
    // Writes the export to `path`; whether it was written.
    bool exportTo(const QString &path);
    // How long an export runs before its progress is shown (0: at once, for tests).
    void setProgressDelay(int ms) { progressDelayMs_ = ms; }
    // The details of a row, in a dialog of their own.
    void showDetails(int row);

  protected:
    void keyPressEvent(QKeyEvent *event) override;

  private:
    // The CSV profile chosen beside the export, kept for the user at each change.
    CsvProfileKind csvProfileKind() const;
    // The part numbers recorded into the drop-down, the text typed kept.
    void showNumbers();
    void showStatus(const QString &text);
    void showCount();

    std::unique_ptr<Ui::FormPartHistory> ui_;
    const WindowContext context_;
    std::unique_ptr<PartHistoryModel> model_;
    int progressDelayMs_ = 500;
    bool exporting_ = false;
};

}  // namespace zelapp
