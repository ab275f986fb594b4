// The amplifier calibration dialog without its window: one probe's coarse gain, Ri, fine gain
// and null as four bars that send every move to the unit at once, the resulting gain, the
// probe's full scale and zero offset, storing the settings in the unit (OK and after a profile
// load), putting back the opening settings (Cancel and the close box), and saving and loading
// amplifier profiles of all probes. FormCalibrate shows these fields and passes the
// operator's moves in.
#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

#include "base/help_topics.h"
#include "base/live_value.h"
#include "dialogs/amp_profile.h"
#include "dialogs/dialog_context.h"

namespace zelapp {

class FileChooser;
class Help;
class Lvdt;
class MainWindowPort;
class Prompter;
class ScanTimer;
class Setup;
class WaitClock;

// The form as the tool sees it.
class CalibrateView {
  public:
    virtual ~CalibrateView() = default;
    // The fields changed; show them all again without passing any of them back as moves.
    virtual void refresh() = 0;
    // The store step: how long the unit has been storing, as storeProgressText says it.
    virtual void storeStarted() = 0;
    virtual void storeProgress(const QString &text) = 0;
    virtual void storeEnded() = 0;
    // A refused box takes the focus back.
    virtual void focusBox(bool fullScale) = 0;
};

// Also the probe's live reading while the dialog is open, so that the operator sees what each
// move does.
class CalibrateTool : public LiveValueSink {
  public:
    enum Bar : std::size_t { GainCoarse, Ri, GainFine, Null, BarCount };
    // The store step polls the save status this often, waiting this long before each poll.
    static constexpr int kStorePolls = 50;
    static constexpr int kStorePollMs = 200;
    static constexpr long kHelpContext = helpTopic(CommandDialog::Calibrate);
    // Dialog widths with and without the details, in twips.
    static constexpr int kWidthDetails = 6200;
    static constexpr int kWidthNoDetails = 4080;

    // What the calibration needs beyond every dialog's context.
    struct Services {
        Help &help;
        MainWindowPort &mainWindow;  // its caption titles the help's messages
        FileChooser &chooser;
        ScanTimer &timer;
        WaitClock &clock;
    };
    CalibrateTool(const DialogContext &context, const Services &services);

    void setView(CalibrateView *view) { view_ = view; }

    // "Storing... (n s)": the seconds the store has waited so far.
    static QString storeProgressText(int seconds);

    // The bars' ends: the top is the first value, and moving up increases it.
    static int barTop(Bar bar);
    static int barBottom(Bar bar);
    // The ranges of cboGainSelect, "Lo" to "Cust", and the Ri of each fixed one.
    static const QStringList &gainRanges();
    static std::optional<int> rangeRi(int index);
    // gain = (1 + (coarse + k) / (Ri + k)) * (fine + 4000) / 4000 with k = 50 / 39.0625, in
    // single precision.
    static float amplifierGain(int coarse, int ri, int fine);

    // ---- Fields the form shows ----
    int probe() const { return probe_; }
    const QString &lblProbe() const { return probeText_; }
    // "Reading: " and the probe's value as the scan last read it; empty before a reading.
    QString lblLiveValue() const;
    // Where each bar stands: the setting, or the bar's end for a setting beyond it.
    int barValue(Bar bar) const;
    // The setting itself, which the details show even when the bar cannot.
    int setting(Bar bar) const { return settings_[bar]; }
    bool riBarVisible() const { return riBarVisible_; }
    int gainSelectIndex() const { return rangeIndex_; }
    bool detailsShown() const { return detailsShown_; }
    QString cmdAdvancedCaption() const;
    int dialogWidthTwips() const { return detailsShown_ ? kWidthDetails : kWidthNoDetails; }
    const QString &lblCurrentGain() const { return gainText_; }
    QString lblCurrentFine() const { return settingText(GainFine); }
    QString lblCurrentRf() const { return settingText(GainCoarse); }
    QString lblCurrentRi() const { return settingText(Ri); }
    QString lblCurrentNull() const { return settingText(Null); }
    const QString &txtFullScale() const { return fullScaleText_; }
    const QString &txtOffset() const { return offsetText_; }
    // What the dialog says of the unit: why the amplifier cannot be adjusted now, or that its
    // settings were read again when the unit came back; empty otherwise.
    QString unitLostText() const;
    // The bars, OK, Save and Load act on the unit: off while it is lost and while storing.
    bool barsEnabled() const;
    bool OKButtonEnabled() const { return barsEnabled(); }
    // A full scale or offset is typed only while OK can store it.
    bool boxesEnabled() const { return OKButtonEnabled(); }
    bool cmdSaveEnabled() const { return barsEnabled(); }
    bool cmdLoadEnabled() const { return barsEnabled(); }
    bool CancelButtonEnabled() const { return !storing_; }
    // The file of the last profile load or save; kept across openings.
    const QString &profilePath() const { return profilePath_; }

    // ---- The dialog's procedures ----
    // ShowCalibrateAt without the window: reads the probe's settings afresh. False, and
    // nothing read, for a probe the setup does not have.
    bool open(int probe);
    // Between open() and the dialog's closing.
    bool isOpen() const { return shown_; }
    // Makes the unit store its working settings; false after a message.
    bool storeInUnit();

    // ---- Events ----
    void cboGainSelect_Click(int index);
    void vscrGainCoarse_Change(int value);
    void vscrRi_Change(int value);
    void vscrGainFine_Change(int value);
    void vscrNull_Change(int value);
    void txtFullScale_Change(const QString &text);
    void txtOffset_Change(const QString &text);
    // Leaving a box commits an edit to the probe; false keeps the focus in the box. While the
    // boxes are off an edit waits.
    bool txtFullScale_LostFocus();
    bool txtOffset_LostFocus();
    // True when the dialog closes.
    bool OKButton_Click();
    bool CancelButton_Click();
    // The close box and Escape: what Cancel does.
    bool Form_QueryUnload() { return CancelButton_Click(); }
    void cmdHelp_Click();
    void cmdAdvanced_Click();
    void cmdSave_Click();
    void cmdLoad_Click();
    // The unit stopped answering, or answers again: then the amplifier settings are read again
    // as at the opening, since a unit that was restarted has its stored ones.
    void setUnitLost(bool lost);

    // LiveValueSink: the probe of the open dialog.
    Source liveSource() const override { return Source::Lvdt; }
    int liveNumber() const override { return shown_ ? probe_ : 0; }
    void showLiveValue(const QString &text, std::optional<float> reading) override;

  private:
    // Turns the scan tick off for one exchange with the unit, or for a run of them.
    class Paused {
      public:
        explicit Paused(CalibrateTool &tool);
        ~Paused();
        Paused(const Paused &) = delete;
        Paused &operator=(const Paused &) = delete;

      private:
        CalibrateTool &tool_;
    };

    Lvdt *lvdt() const;
    bool readSettings(int probe, AmpSettings *settings);
    void readOpening();
    void selectRangeFor(int ri);
    // Sends one setting when it differs from what the unit holds.
    void sendGain(int coarse, int ri);
    void sendWord(Bar bar, int value);
    void moveGain(Bar moved, int value);
    void showRange(int index);
    // A setting as the details show it; empty while it is not known.
    QString settingText(Bar bar) const;
    void refresh();
    bool commitEdits();
    bool commitBox(bool fullScale);
    void restoreOpening();
    bool applyProfile(const AmpProfileRead &profile);
    void refuse(bool fullScale, const QString &message);

    DialogContext context_;
    Services services_;
    CalibrateView *view_ = nullptr;
    int pauseDepth_ = 0;
    bool timerWasEnabled_ = true;

    int probe_ = 0;
    bool shown_ = false;
    QString probeText_;
    QString liveText_;
    // What the unit holds for the probe, as far as the dialog knows: read at the opening,
    // changed by every move sent. Unknown when the opening read did not reach the unit.
    std::array<int, BarCount> settings_{};
    std::array<int, BarCount> opening_{};
    bool settingsKnown_ = false;
    bool riBarVisible_ = false;
    int rangeIndex_ = 0;
    bool detailsShown_ = false;
    QString gainText_;

    QString fullScaleText_;
    QString offsetText_;
    // An edit of a box not yet committed to the probe: full scale, offset.
    std::array<bool, 2> edited_{};
    float openingFullScale_ = 0;
    float openingZeroOffset_ = 0;
    bool openingModified_ = false;

    bool unitLost_ = false;
    bool readAgain_ = false;  // the settings were read again when the unit came back
    bool storing_ = false;
    QString profilePath_;
    int lastStatus_ = 0;
};

}  // namespace zelapp
