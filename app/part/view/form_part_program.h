// The part program window (Parts > Part Program...): a thin form over PartProgramTool, which
// holds its boxes and logic. Modeless: it follows the setup while it is open. Object names are
// the tool's box names.
#pragma once

#include <memory>

#include "part/part_program_tool.h"
#include "view/hosted_dialog.h"

class QLineEdit;
class QWidget;

namespace Ui {
class FormPartProgram;
}

namespace zelapp {

class Session;

class FormPartProgram : public HostedDialog, public PartProgramView {
    Q_OBJECT
  public:
    FormPartProgram(PartProgramTool &tool, QWidget *parent = nullptr);
    ~FormPartProgram() override;

    void openDialog() override;

    // PartProgramView
    void refresh() override;
    void focusBox(ProgramBox box) override;

  protected:
    // Escape, Cancel and the close box: edits are asked about.
    bool queryUnload() override { return tool_.Form_QueryUnload(); }

  private:
    QLineEdit *box(ProgramBox box) const;
    void CommandOK_Click();

    std::unique_ptr<Ui::FormPartProgram> ui_;
    PartProgramTool &tool_;
};

// Opens the part program window over `parent` (made on the first call, kept as its child), or
// brings it forward when it is open already. The main window's Parts > Part Program... action.
void showPartProgramDialog(Session &session, QWidget *parent);

}  // namespace zelapp
