// The mastering window without its window: the current channel kept across openings, filling
// the boxes from a channel, the steps of zeroing and of mastering with one or two masters, the
// new zero offset and scaling written to the channel (after a question when they move more than
// the guard's limits), the undo of the last press, when the channel was last mastered, and the
// live value the scan tick writes. FormMastering shows these fields and passes the operator's
// presses in.
#pragma once

#include <QLocale>
#include <QMetaObject>
#include <QString>
#include <functional>
#include <optional>

#include "base/live_value.h"
#include "dialogs/dialog_context.h"
#include "model/mastering_guard.h"
#include "setup/mastered_times.h"

namespace zelapp {

class Channel;
class Setup;
struct SetupChange;

enum class MasteringStep { AwaitMaster1 = 1, AwaitMaster2 = 2, ChannelDone = 4 };

// The form as the tool sees it.
class MasteringView {
  public:
    virtual ~MasteringView() = default;
    // The fields changed; show them all again.
    virtual void refresh() = 0;
    // Only the live value changed (every tick while a channel is shown).
    virtual void showLiveText(const QString &text) = 0;
};

class MasteringTool : public LiveValueSink {
  public:
    explicit MasteringTool(const DialogContext &context);
    ~MasteringTool() override;
    MasteringTool(const MasteringTool &) = delete;
    MasteringTool &operator=(const MasteringTool &) = delete;

    // Beyond these a result asks "Write it anyway?" before it is written.
    void setGuardLimits(const MasteringGuardLimits &limits) { guard_ = limits; }

    void setView(MasteringView *view) { view_ = view; }

    // ---- Fields the form shows ----
    // "Master" until the window has loaded, then "Master Channels" or "Zero Channels".
    const QString &caption() const { return caption_; }
    const QString &TextMasterChannel() const { return channelText_; }
    const QString &TextDescription() const { return description_; }
    const QString &TextMaster1Value() const { return master1_; }
    const QString &TextMaster2Value() const { return master2_; }
    const QString &TextChannelValue() const { return liveText_; }
    const QString &TxtM1() const { return m1_; }
    const QString &TxtM2() const { return m2_; }
    const QString &TxtSlope() const { return slope_; }
    const QString &TxtIntercept() const { return intercept_; }
    // The scaling and zero offset the channel had before the press that changed them; empty
    // until a press computed new ones.
    const QString &TxtSlopeBefore() const { return slopeBefore_; }
    const QString &TxtInterceptBefore() const { return interceptBefore_; }
    const QString &LblInstruction() const { return instruction_; }
    // "Last mastered: 2026-12-09 14:03" or "Never mastered"; empty without a channel.
    QString LblLastMastered() const;
    // "re-master" and/or "Master due" for the channel shown; empty when neither.
    QString LblMasteringNote() const;
    // Undo puts back what the last press replaced (the Before column), once.
    bool CommandUndoEnabled() const;
    bool instructionRed() const { return instructionRed_; }
    const QString &CommandMasterCaption() const { return masterCaption_; }
    // The button waits for a reading of the shown channel, and is off while the unit is lost.
    bool CommandMasterEnabled() const;
    // Why nothing can be mastered now; empty while the unit answers.
    QString unitLostText() const;

    // ---- State ----
    int currentChannel() const { return current_; }
    MasteringStep step() const { return step_; }
    // The channel whose live value the scan hands here (MasteringChannel); 0 none.
    int MasteringChannel() const { return liveChannel_; }
    // The last reading of that channel (MasteringReading).
    double MasteringReading() const { return reading_; }

    // ---- The window's procedures ----
    void InitMastering();
    void ShowMasterChannel();
    void PrepareMasterChannel();
    void MasterStep();
    void NextChannel();
    void PreviousChannel();

    // ---- Events ----
    void Form_Load();
    void Form_Unload();
    void CommandMaster_Click() { MasterStep(); }
    void CommandUndo_Click();
    void SpinButtonChannel_SpinUp();
    void SpinButtonChannel_SpinDown();
    // Clears MAX/MIN on the unit; refused while a part cycle runs, which clears them itself.
    void CommandResetMM_Click();
    bool CommandResetMMEnabled() const { return !cycleRunning_; }
    // A part cycle started or ended.
    void setCycleRunning(bool running);
    // The main window asked for the open window in MasteringMode: when that is not the mode it
    // shows, it starts over on its channel in the new mode, leaving any half-done sequence.
    void modeAsked();
    // The setup shrank to n channels while the window was on a later one: it follows, so the
    // tick never reads a channel that is gone.
    void channelsShrankTo(int n);
    // The unit stopped answering, or answers again.
    void setUnitLost(bool lost);
    // A replaced setup, or the channel shown programmed elsewhere: the window shows the channel
    // afresh and starts it over, so a press never computes with values other than those shown.
    void setupChanged(const SetupChange &change);
    bool isOpen() const { return open_; }

    // LiveValueSink
    Source liveSource() const override { return Source::Channel; }
    int liveNumber() const override { return liveChannel_; }
    void showLiveValue(const QString &text, std::optional<float> reading) override;

  private:
    Channel *channel() const;
    QString shown(double value) const;
    void refresh();
    void fail();
    void finish(const QString &instruction);
    // Whether the new values may be written: within the guard's limits, or the operator said
    // Yes. On No the channel starts over and nothing is written.
    bool confirmWrite(double oldScaling, double newScaling, double oldZero, double newZero);
    // Shows the channel afresh and prepares it, with `why` before the instruction.
    void startOver(const QString &why);

    Setup &setup_;
    AppState &state_;
    UnitApi &unit_;
    Prompter &prompter_;
    MasteredTimes *times_;
    QLocale locale_;
    MasteringView *view_ = nullptr;
    MasteringGuardLimits guard_;
    QMetaObject::Connection timesListening_;

    // What the last press replaced, while its channel is on show and until it is undone.
    struct Replaced {
        int channel = 0;
        float zero = 0;
        float scaling = 1;
        bool scalingWritten = false;
        MasteredTimes::ChannelRecord times;
    };
    std::optional<Replaced> undo_;
    // Counts the preparations of a channel, so a question answered after the channel was
    // started over (by a change elsewhere) writes nothing.
    int preparations_ = 0;

    int current_ = 0;  // 0 only before the first opening
    bool open_ = false;
    bool unitLost_ = false;
    bool cycleRunning_ = false;
    std::function<void()> gaugeTaken_;
    QString modeWord_ = QStringLiteral("Master");
    MasteringStep step_ = MasteringStep::AwaitMaster1;
    double reading1_ = 0;
    int liveChannel_ = 0;
    double reading_ = 0;
    // A press takes the last reading; after the channel was prepared, only one the tick took
    // of this channel counts.
    bool readingArrived_ = false;
    bool formulaDefined_ = false;
    int decimals_ = 0;

    QString caption_ = QStringLiteral("Master");
    QString channelText_;
    QString description_;
    QString master1_;
    QString master2_;
    QString liveText_;
    QString m1_;
    QString m2_;
    QString slope_;
    QString intercept_;
    QString slopeBefore_;
    QString interceptBefore_;
    QString instruction_;
    bool instructionRed_ = false;
    QString masterCaption_ = QStringLiteral("Master");
};

}  // namespace zelapp
