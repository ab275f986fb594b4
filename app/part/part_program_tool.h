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
// the dialog's tab chain (the list of characteristics and the Start combo box come after
// Description, AskId a check box after Timeout, then the DFQ folder, the subgroup, the table of
// export keys and the run rules of its channel).
using ProgramBox = PartKey;
inline constexpr std::array<ProgramBox, 12> kProgramBoxes = {
    PartKey::Number,      PartKey::Description, PartKey::PresentChannel, PartKey::PresentLow,
    PartKey::PresentHigh, PartKey::PresentTime, PartKey::SettleBand,     PartKey::SettleTime,
    PartKey::DynamicTime, PartKey::Timeout,     PartKey::DfqFolder,      PartKey::Subgroup};

// A channel of the setup as the list the characteristics are chosen from shows it.
struct CharacteristicRow {
    int channel = 0;
    QString description;
    QString formula;
    QString limits;  // "-0.0100 .. 0.0100": LoTol and HiTol at the channel's decimals
    bool chosen = false;
    bool operator==(const CharacteristicRow &) const = default;
};

// A channel's keys for the exports and the statistics ("Nominal<n>", "OneSided<n>", "Rules<n>",
// "Distribution<n>") as the dialog's table shows them: one row per channel of the setup.
struct ExportRow {
    int channel = 0;
    QString description;  // the channel's
    QString nominal;      // as typed; empty: the midpoint of the tolerance limits
    ToleranceSides sides = ToleranceSides::Both;
    QString rules;  // the run rules watched, as the file keeps them ("1,2,3,4")
    Distribution distribution = Distribution::Normal;
    bool operator==(const ExportRow &) const = default;
};

struct ProgramBoxInfo {
    ProgramBox box;
    const char *name;   // the text box's object name
    const char *label;  // its label's caption without the accelerator
    int maxLength = 0;  // the most characters the box takes; 0: no limit
};
const ProgramBoxInfo &programBoxInfo(ProgramBox box);

// What OK refused, and where: beside a text box, the list of characteristics, or a channel's
// nominal in the table of export keys.
struct ProgramRefusal {
    enum class Place { Box, Characteristics, Nominal };
    Place place = Place::Box;
    ProgramBox box = ProgramBox::Number;  // for Place::Box
    int channel = 0;                      // for Place::Nominal
    QString message;                      // names the box, as the one message does
    bool operator==(const ProgramRefusal &) const = default;
};

// The form as the tool sees it.
class PartProgramView {
  public:
    virtual ~PartProgramView() = default;
    // The fields or the hints changed; show them all again.
    virtual void refresh() = 0;
    // Shows each refusal beside its place, in the dialog's tab order, and puts the focus on the
    // first (a text box's text selected); none clears the refusals shown.
    virtual void showRefusals(const std::vector<ProgramRefusal> &refusals) = 0;
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
    // One row per channel of the setup, checked when judged.
    std::vector<CharacteristicRow> characteristicRows() const;
    // The run rules watched on a channel; rule 1 when none is chosen.
    std::vector<int> rulesOf(int channel) const;
    // What an empty box means, for the setup in use.
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
    // The program the boxes hold; else every refusal, in tab order, in one message and beside
    // its box, the focus on the first.
    std::optional<PartProgram> checkBoxes();
    const std::vector<ProgramRefusal> &refusals() const { return refusals_; }

    // ---- Events ----
    // A box with a most length keeps no more, as its window's box.
    void editBox(ProgramBox box, const QString &text);
    void setAutoStart(bool on);
    void setAskId(bool on) { askId_ = on; }
    void editNominal(int channel, const QString &text) { nominals_[channel] = text; }
    void setSides(int channel, ToleranceSides sides) { sides_[channel] = sides; }
    void setDistribution(int channel, Distribution distribution) {
        distributions_[channel] = distribution;
    }
    // Chosen characteristics are judged in the order they were chosen.
    void setCharacteristic(int channel, bool chosen);
    // Clearing a channel's last rule leaves rule 1, what no choice means.
    void setRule(int channel, int rule, bool on);
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
    void refuse(ProgramBox box, const QString &message);
    QString numberText(double value) const;
    std::optional<double> number(ProgramBox box, bool required);
    std::optional<int> milliseconds(ProgramBox box);
    std::optional<int> channel(ProgramBox box, const QString &typed);
    // The list chosen, or every channel with a formula.
    std::vector<int> chosenList(const std::optional<std::vector<int>> &chosen) const;
    void checkCharacteristics(PartProgram &p);
    void checkPresent(PartProgram &p);
    void checkTimes(PartProgram &p);
    // The typed nominals as the part file keeps them: C notation.
    void checkNominals(PartProgram &p);

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
    std::map<int, std::vector<int>> rules_;  // empty or absent: rule 1
    std::map<int, std::vector<int>> openingRules_;
    std::map<int, Distribution> distributions_;  // absent: normal
    std::map<int, Distribution> openingDistributions_;
    // None: every channel with a formula, as the program without a list of characteristics.
    std::optional<std::vector<int>> chosen_;
    std::optional<std::vector<int>> openingChosen_;
    std::vector<ProgramRefusal> refusals_;  // of the last OK
};

}  // namespace zelapp
