// The part program window (Parts > Part Program...): a thin form over PartProgramTool, which
// holds its boxes and logic. Modeless: it follows the setup while it is open. Object names are
// the tool's box names.
#pragma once

#include <memory>

#include "part/part_program_tool.h"
#include "part/program_lists.h"
#include "view/hosted_dialog.h"

class QLabel;
class QLineEdit;
class QTableWidgetItem;
class QWidget;

namespace Ui {
class FormPartProgram;
}

namespace zelapp {

struct WindowContext;

class FileChooser;

class FormPartProgram : public HostedDialog, public PartProgramView {
    Q_OBJECT
  public:
    // Browse... asks `chooser` for the DFQ folder.
    FormPartProgram(PartProgramTool &tool, FileChooser &chooser, QWidget *parent = nullptr);
    ~FormPartProgram() override;

    void openDialog() override;

    // PartProgramView
    void refresh() override;
    void showRefusals(const std::vector<ProgramRefusal> &refusals) override;

  protected:
    // Escape, Cancel and the close box: edits are asked about.
    bool queryUnload() override { return tool_.Form_QueryUnload(); }
    // Space in the list of characteristics checks or clears its row, whichever column is
    // current.
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    QLineEdit *box(ProgramBox box) const;
    void addRefusalLabels();
    void CommandOK_Click();
    void browseDfqFolder();
    void fillExportTable();
    void exportEdited(QTableWidgetItem *item);

    std::unique_ptr<Ui::FormPartProgram> ui_;
    PartProgramTool &tool_;
    CharacteristicsModel *characteristics_ = nullptr;
    RunRulesModel *rules_ = nullptr;
    FileChooser &chooser_;
    bool filling_ = false;  // the table is filled from the tool, not edited
};

// Opens the part program window over `parent` (made on the first call, kept as its child), or
// brings it forward when it is open already. The main window's Parts > Part Program... action.
void showPartProgramDialog(const WindowContext &context, QWidget *parent);

}  // namespace zelapp
