// The channel setup dialog without its window: the boxes' texts, the current channel kept
// across openings, filling the boxes from a channel (DisplayChannel) and writing them back
// (ProgramChannel), the question before leaving an edited channel, stepping, and the live value
// the scan tick writes. FormSetupChan shows these fields and passes the operator's edits in.
#pragma once

#include <QLocale>
#include <QString>
#include <array>
#include <optional>

#include "base/live_value.h"
#include "dialogs/dialog_context.h"

namespace zelapp {

class Channel;
class Setup;
struct SetupChange;

// The boxes that edit a channel property, in the order of the dialog's tab chain.
enum class ChanBox {
    Formula,
    Description,
    Decimals,
    Master1,
    Master2,
    HiTol,
    HiApp,
    LoApp,
    LoTol,
    BarTop,
    BarBot,
    Scaling,
    Zero,
};
inline constexpr int kChanBoxCount = 13;

struct ChanBoxInfo {
    const char *name;   // the text box's object name
    const char *label;  // its label's caption, with the accelerator
};
const ChanBoxInfo &chanBoxInfo(ChanBox box);

// The form as the tool sees it.
class SetupChanView {
  public:
    virtual ~SetupChanView() = default;
    // The fields changed; show them all again.
    virtual void refresh() = 0;
    // Only the live value changed (every tick while it is shown).
    virtual void showLiveText(const QString &text) = 0;
    virtual void focusBox(ChanBox box) = 0;
};

class SetupChanTool : public LiveValueSink {
  public:
    explicit SetupChanTool(const DialogContext &context);

    // The dialog's status line: a short confirmation ("Channel 3 programmed") that stays until
    // the next edit, instead of a box; it names the channel, so a step does not end it.
    const QString &statusText() const { return status_; }

    void setView(SetupChanView *view) { view_ = view; }

    // ---- Fields the form shows ----
    const QString &text(ChanBox box) const { return boxes_[index(box)]; }
    const QString &TextCurrentChannel() const { return currentText_; }
    const QString &TextChannelValue() const { return liveText_; }
    // False while there is no channel to edit (a setup without channels).
    bool boxesEnabled() const { return boxesEnabled_; }
    bool master2Enabled() const { return master2Enabled_; }
    bool CheckUse2Masters() const { return master2Enabled_; }
    bool CheckShowCurrentValue() const { return showChecked_; }
    bool CheckAutoIncChannel() const { return autoIncChecked_; }
    bool modified() const { return modified_; }

    // ---- Current channel and live value ----
    int GetCurrentChannel() const { return current_; }
    // Current channel = n, then DisplayChannel; asks nothing.
    void SetCurrentChannel(int n);
    // The setup shrank to n channels while the dialog was on a later one: the dialog follows,
    // so the tick never reads a channel that is gone.
    void channelsShrankTo(int n);
    // The channel whose live value the dialog shows (SetupChanChannel); 0 none. It is always
    // the channel shown: a reading never appears under another channel's number.
    int SetupChanChannel() const { return showChecked_ ? current_ : 0; }
    bool isOpen() const { return open_; }

    // ---- The dialog's procedures ----
    void DisplayChannel();
    // Writes the boxes into the channel. False, with a message and the focus in the box, when
    // an edited number box does not hold a number: then nothing is written.
    bool ProgramChannel();
    // Whether to go on and leave the channel; asks when it was edited.
    bool ConfirmChannelChanges();
    // Before its setup is replaced: an open dialog asks about its edits; No drops them only
    // when the new setup arrives.
    bool confirmSetupReplace() { return !open_ || ConfirmChannelChanges(); }
    // The setup changed: a replaced setup is shown at the current channel (the last one when
    // there are fewer); a change of the channel shown from elsewhere shows it unless the
    // operator is editing it.
    void setupChanged(const SetupChange &change);
    void NextChannel();
    void PreviousChannel();

    // ---- Events ----
    // Every opening: the window's load (current channel, DisplayChannel) and activation (the
    // remembered states of the two check boxes).
    void Form_Load();
    void Form_Activate();
    // The close box, Escape and Done: false keeps the dialog open.
    bool Form_QueryUnload();
    // The operator changed a box's text (the boxes' change handlers).
    void editBox(ChanBox box, const QString &text);
    void CommandNext_Click();
    void CommandPrev_Click();
    void SpinButtonChannel_SpinUp() { CommandNext_Click(); }
    void SpinButtonChannel_SpinDown() { CommandPrev_Click(); }
    void CommandProgram_Click();
    void CheckShowCurrentValue_Click(bool checked);
    void CheckAutoIncChannel_Click(bool checked);
    void CheckUse2Masters_Click(bool checked);
    void SpinButtonDecimals_SpinUp();
    void SpinButtonDecimals_SpinDown();
    // Clears MAX/MIN on the unit; refused while a part cycle runs, which clears them itself.
    void CommandResetMM_Click();
    bool CommandResetMMEnabled() const { return !cycleRunning_; }
    // A part cycle started or ended.
    void setCycleRunning(bool running);

    // LiveValueSink
    Source liveSource() const override { return Source::Channel; }
    int liveNumber() const override { return SetupChanChannel(); }
    void showLiveValue(const QString &text, std::optional<float> reading) override;

  private:
    static constexpr std::size_t index(ChanBox box) { return static_cast<std::size_t>(box); }
    Channel *channel() const;
    void setLiveText(const QString &text);
    void refresh();
    // The Decimals box as an Integer; nothing when it holds no number that fits 16 bits.
    std::optional<int> typedDecimals() const;
    // The number in an edited box, or a message naming the box.
    std::optional<float> single(ChanBox box);

    bool limitsInOrder(const Channel &c,
                       const std::array<std::optional<float>, kChanBoxCount> &numbers);

    QString status_;
    Setup &setup_;
    AppState &state_;
    UnitApi &unit_;
    Prompter &prompter_;
    QLocale locale_;
    SetupChanView *view_ = nullptr;

    int current_ = 0;  // 0 only before the first opening
    bool modified_ = false;
    bool cycleRunning_ = false;
    // Boxes the operator edited since the channel was shown or programmed: only those are
    // converted; the others keep the channel's exact values.
    std::array<bool, kChanBoxCount> touched_{};
    std::array<QString, kChanBoxCount> boxes_;
    QString currentText_;
    QString liveText_;
    bool boxesEnabled_ = false;
    bool master2Enabled_ = false;
    bool showChecked_ = false;     // the box, unchecked whenever the dialog is closed
    bool autoIncChecked_ = false;  // likewise
    int showMemory_ = 0;           // remembered while the program runs
    int autoIncMemory_ = 0;
    bool open_ = false;
    bool programming_ = false;  // its own change of the setup is not news to it
};

}  // namespace zelapp
