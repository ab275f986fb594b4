// The part program dialog without its window: the boxes filled from the session's part program
// at every opening, the checks of OK, which then makes the program the session's and writes it
// into the part file beside the setup (SetupCommands::savePartProgram). While it is open the
// dialog follows the setup: the hints naming its channels are told again when the setup
// changes, and the boxes are filled again when the part program is replaced (a load, New); the
// questions before a replaced setup or a close ask about edits first. FormPartProgram shows it.
#pragma once

#include <QLocale>
#include <QMetaObject>
#include <QString>
#include <array>
#include <cstddef>
#include <map>
#include <optional>
#include <vector>

#include "setup/part_program.h"

namespace zelapp {

class Prompter;
class Setup;
class SetupCommands;
struct SetupChange;

// A text box is named by the key it edits; these are the keys with a text box, in the order of
// the dialog's tab chain (Start is a combo box after Characteristics, AskId a check box after
// Timeout, then the DFQ folder, the subgroup and the characteristics' table).
using ProgramBox = PartKey;
inline constexpr std::array<ProgramBox, 13> kProgramBoxes = {
    PartKey::Number,     PartKey::Description, PartKey::Characteristics, PartKey::PresentChannel,
    PartKey::PresentLow, PartKey::PresentHigh, PartKey::PresentTime,     PartKey::SettleBand,
    PartKey::SettleTime, PartKey::DynamicTime, PartKey::Timeout,         PartKey::DfqFolder,
    PartKey::Subgroup};

// A channel's keys for the exports and the statistics ("Nominal<n>", "OneSided<n>", "Rules<n>")
// as the dialog's table shows them: one row per channel of the setup.
struct ExportRow {
    int channel = 0;
    QString description;  // the channel's
    QString nominal;      // as typed; empty: the midpoint of the tolerance limits
    ToleranceSides sides = ToleranceSides::Both;
    QString rules;  // as typed ("1,2,3,4"); empty: rule 1 only
    bool operator==(const ExportRow &) const = default;
};

struct ProgramBoxInfo {
    ProgramBox box;
    const char *name;   // the text box's object name
    const char *label;  // its label's caption without the accelerator
};
const ProgramBoxInfo &programBoxInfo(ProgramBox box);

// The form as the tool sees it.
class PartProgramView {
  public:
    virtual ~PartProgramView() = default;
    // The fields or the hints changed; show them all again.
    virtual void refresh() = 0;
    // Puts the focus in the box with its text selected.
    virtual void focusBox(ProgramBox box) = 0;
    // Puts the focus in a channel's nominal.
    virtual void focusNominal(int channel) = 0;
    // Puts the focus in a channel's run rules.
    virtual void focusRules(int channel) = 0;
};

class PartProgramTool {
  public:
    PartProgramTool(ActivePartProgram &program, Setup &setup, SetupCommands &commands,
                    Prompter &prompter, QLocale locale);
    ~PartProgramTool();
    PartProgramTool(const PartProgramTool &) = delete;
    PartProgramTool &operator=(const PartProgramTool &) = delete;

    void setView(PartProgramView *view) { view_ = view; }

    // ---- Fields the form shows ----
    const QString &text(ProgramBox box) const { return boxes_[index(box)]; }
    bool autoStart() const { return autoStart_; }
    bool askId() const { return askId_; }
    // The present channel, its range and time are asked for only when parts start by themselves.
    bool presentEnabled() const { return autoStart_; }
    // What an empty box means, for the setup in use.
    QString characteristicsHint() const;
    QString settleBandHint() const;
    QString presentChannelHint() const;
    // One row per channel of the setup.
    std::vector<ExportRow> exportRows() const;
    // Whether a box, the start, the check box or an export key differs from the program the
    // dialog opened with.
    bool edited() const;

    // ---- The dialog's procedures ----
    // Every opening: the boxes from the session's part program.
    void Form_Load();
    bool isOpen() const { return open_; }
    // The program the boxes hold; a message naming the first box refused, the focus put there.
    std::optional<PartProgram> checkBoxes();

    // ---- Events ----
    void editBox(ProgramBox box, const QString &text) { boxes_[index(box)] = text; }
    void setAutoStart(bool on);
    void setAskId(bool on) { askId_ = on; }
    void editNominal(int channel, const QString &text) { nominals_[channel] = text; }
    void setSides(int channel, ToleranceSides sides) { sides_[channel] = sides; }
    void editRules(int channel, const QString &text) { rules_[channel] = text; }
    // Checks, then saves; true when the dialog closes.
    bool CommandOK_Click();
    // Cancel, Escape and the close box: edits are asked about (Yes saves, No drops them,
    // Cancel stays); true when the dialog closes.
    bool Form_QueryUnload();
    // The window is gone without its close question (the program closing after it asked).
    void closed() { open_ = false; }
    // Before New or Open replaces the setup, and before the program closes: the same question
    // when the open dialog holds edits; false when the operator cancelled.
    bool confirmLeave();

  private:
    static constexpr std::size_t index(ProgramBox box) { return static_cast<std::size_t>(box); }
    // Checks the boxes, then makes the program the session's and writes it.
    bool save();
    void fill();
    void refresh();
    void setupChanged(const SetupChange &change);
    bool refuse(ProgramBox box, const QString &message);
    QString numberText(double value) const;
    std::optional<double> number(ProgramBox box, bool required);
    std::optional<int> milliseconds(ProgramBox box);
    std::optional<int> channel(ProgramBox box, const QString &typed);
    // The typed nominals as the part file keeps them: C notation.
    bool checkNominals(PartProgram &p);
    bool checkRules(PartProgram &p);

    ActivePartProgram &program_;
    Setup &setup_;
    SetupCommands &commands_;
    Prompter &prompter_;
    QLocale locale_;
    PartProgramView *view_ = nullptr;
    QMetaObject::Connection programListening_;
    QMetaObject::Connection setupListening_;

    std::array<QString, kPartKeyCount> boxes_;  // by key; those without a text box stay empty
    bool autoStart_ = false;
    bool askId_ = false;
    bool open_ = false;
    // What the boxes held when filled: an edit is any difference from it.
    std::array<QString, kPartKeyCount> opening_;
    bool openingAuto_ = false;
    bool openingAskId_ = false;
    // By channel; channels the setup has no more keep theirs.
    std::map<int, QString> nominals_;
    std::map<int, ToleranceSides> sides_;
    std::map<int, QString> openingNominals_;
    std::map<int, ToleranceSides> openingSides_;
    std::map<int, QString> rules_;  // as typed
    std::map<int, QString> openingRules_;
};

}  // namespace zelapp
