// The probe setup dialog without its window: one probe at a time, stepped with a spin that
// wraps at both ends, a Yes/No/Cancel question before leaving an edited probe or closing, an
// auto increment after programming, and the two check boxes remembered between openings.
// FormSetupLvdt shows these fields and passes the operator's edits in.
#pragma once

#include "dialogs/input_setup.h"

namespace zelapp {

class SetupLvdtTool : public InputSetupTool<Lvdt> {
  public:
    explicit SetupLvdtTool(const DialogContext &context);

    // ---- Fields the form shows ----
    const QString &TextCurrentLvdt() const { return currentText(); }
    const QString &TextCLvdtValue() const { return liveText(); }
    bool CheckShowCurrentValue() const { return showChecked(); }
    bool CheckAutoIncLvdt() const { return autoIncChecked(); }

    // ---- Current probe and live value ----
    int GetCurrentLvdt() const { return current(); }
    void SetCurrentLvdt(int n) { setCurrent(n); }
    void lvdtsShrankTo(int n) { shrankTo(n); }
    int SetupLvdtLive() const { return liveGate(); }

    // ---- The dialog's procedures ----
    void DisplayLvdt() { display(); }
    bool ProgramLvdt() { return program(); }
    // Whether to go on and leave the probe; asks when it was edited.
    bool ConfirmLvdtChanges();
    // Before its setup is replaced: an open dialog asks about its edits; No drops them only
    // when the new setup arrives.
    bool confirmSetupReplace() { return !isOpen() || ConfirmLvdtChanges(); }
    void NextLvdt();
    void PreviousLvdt();

    // ---- Events ----
    void Form_Load() { load(); }
    void Form_Activate();
    // The close box, Escape and Done: false keeps the dialog open.
    bool Form_QueryUnload();
    void SpinButtonLvdt_SpinDown();
    void SpinButtonLvdt_SpinUp();
    void CommandProgram_Click();
    void CheckShowCurrentValue_Click(bool checked);
    void CheckAutoIncLvdt_Click(bool checked);

  private:
    int showMemory_ = 0;  // remembered while the program runs
    int autoIncMemory_ = 0;
};

}  // namespace zelapp
