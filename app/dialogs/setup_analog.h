// The analog setup dialog without its window. Built like the probe dialog, with its own rules:
// while an input is edited it refuses to step or close ("Analog has been changed") instead of
// asking; its spin stops at the first and the last input, while the auto increment after
// programming goes on from the last to the first; and the check boxes are not remembered
// between openings. FormSetupAnalog shows these fields and passes the operator's edits in.
#pragma once

#include "dialogs/input_setup.h"

namespace zelapp {

class SetupAnalogTool : public InputSetupTool<analog> {
  public:
    explicit SetupAnalogTool(const DialogContext &context);

    static QString changedText() { return QStringLiteral("Analog has been changed"); }

    // ---- Fields the form shows ----
    const QString &TextCurrentAnalog() const { return currentText(); }
    const QString &TextCAnalogValue() const { return liveText(); }
    bool CheckShowCurrentValue() const { return showChecked(); }
    bool CheckAutoIncAnalog() const { return autoIncChecked(); }

    // ---- Current input and live value ----
    int GetCurrentAnalog() const { return current(); }
    void SetCurrentAnalog(int n) { setCurrent(n); }
    void analogsShrankTo(int n) { shrankTo(n); }
    int SetupAnalogLive() const { return liveGate(); }

    // ---- The dialog's procedures ----
    void DisplayAnalog() { display(); }
    bool ProgramAnalog() { return program(); }
    // Whether the input may be left: not while it is edited, which the operator is told.
    bool ConfirmAnalogChanges();
    // Before its setup is replaced or the program closes, an open dialog with edits offers
    // Program, Discard or Cancel, so that leaving is never impossible. Discard drops the
    // edits when the new setup arrives or the dialog closes.
    bool confirmLeave();
    bool confirmSetupReplace() { return confirmLeave(); }
    // An edit after Discard is kept again until it is programmed.
    void editBox(InputBox box, const QString &text) {
        discarded_ = false;
        InputSetupTool::editBox(box, text);
    }

    // ---- Events ----
    void Form_Load() { load(); }
    bool Form_QueryUnload();
    void SpinButtonAnalog_SpinDown();
    void SpinButtonAnalog_SpinUp();
    void CommandProgram_Click();
    void CheckShowCurrentValue_Click(bool checked) { setShowCurrentValue(checked); }
    // The auto-increment box has no handler of its own; programming reads its state.
    void setCheckAutoIncAnalog(bool checked) { setAutoInc(checked); }

  private:
    bool discarded_ = false;  // the operator chose Discard; the edits go at the next leave
};

}  // namespace zelapp
