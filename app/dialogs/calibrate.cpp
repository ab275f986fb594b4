#include "dialogs/calibrate.h"

#include <algorithm>

#include "base/file_chooser.h"
#include "base/help.h"
#include "base/line_warnings.h"
#include "base/main_window_port.h"
#include "base/prompter.h"
#include "base/runtime_text.h"
#include "base/scan_timer.h"
#include "base/wait_clock.h"
#include "base/whole_file.h"
#include "model/box_checks.h"
#include "model/inputs.h"
#include "model/single_range.h"
#include "setup/setup.h"

namespace zelapp {

namespace {

constexpr int kCustomRange = 4;
// A profile of every probe the unit can have is a few kilobytes.
constexpr qint64 kMostProfileBytes = 1 << 20;

const QString &fullScaleLabel() {
    static const QString label = QStringLiteral("FullSc");
    return label;
}

const QString &offsetLabel() {
    static const QString label = QStringLiteral("Offset");
    return label;
}

FileDialogRequest profileRequest(const AppState &state) {
    return {QStringLiteral("Zel Amplifier Profile (*.zap)|*.zap|All (*.*)|*.*"),
            QStringLiteral("zap"), state.AppPath};
}

std::size_t boxIndex(bool fullScale) {
    return fullScale ? 0 : 1;
}

}  // namespace

CalibrateTool::Paused::Paused(CalibrateTool &tool) : tool_(tool) {
    if (tool_.pauseDepth_++ == 0) {
        tool_.timerWasEnabled_ = tool_.services_.timer.timerEnabled();
        tool_.services_.timer.setTimerEnabled(false);
    }
}

CalibrateTool::Paused::~Paused() {
    if (--tool_.pauseDepth_ == 0) {
        tool_.services_.timer.setTimerEnabled(tool_.timerWasEnabled_);
    }
}

CalibrateTool::CalibrateTool(const DialogContext &context, const Services &services)
    : context_(context), services_(services) {}

QString CalibrateTool::storeProgressText(int seconds) {
    return QStringLiteral("Storing... (") + QString::number(seconds) + QStringLiteral(" s)");
}

QString CalibrateTool::lblLiveValue() const {
    // The displays' sign column (a blank for positive values) is not needed after the words.
    return liveText_.isEmpty() ? QString() : QStringLiteral("Reading: ") + liveText_.trimmed();
}

void CalibrateTool::showLiveValue(const QString &text, std::optional<float> /*reading*/) {
    if (text != liveText_) {
        liveText_ = text;
        refresh();
    }
}

int CalibrateTool::barTop(Bar bar) {
    return bar == GainCoarse || bar == Ri ? 255 : 100;
}

int CalibrateTool::barBottom(Bar bar) {
    return bar == GainCoarse || bar == Ri ? 0 : -100;
}

const QStringList &CalibrateTool::gainRanges() {
    static const QStringList ranges{QStringLiteral("Lo"), QStringLiteral("M Lo"),
                                    QStringLiteral("M Hi"), QStringLiteral("Hi"),
                                    QStringLiteral("Cust")};
    return ranges;
}

std::optional<int> CalibrateTool::rangeRi(int index) {
    static constexpr std::array<int, kCustomRange> ri{85, 60, 50, 30};
    if (index < 0 || index >= kCustomRange) {
        return std::nullopt;
    }
    return ri[static_cast<std::size_t>(index)];
}

float CalibrateTool::amplifierGain(int coarse, int ri, int fine) {
    const float k = 50.0f / 39.0625f;
    const float ratio = (static_cast<float>(coarse) + k) / (static_cast<float>(ri) + k);
    return (1.0f + ratio) * (static_cast<float>(fine) + 4000.0f) / 4000.0f;
}

int CalibrateTool::barValue(Bar bar) const {
    return std::clamp(settings_[bar], barBottom(bar), barTop(bar));
}

QString CalibrateTool::cmdAdvancedCaption() const {
    return detailsShown_ ? QStringLiteral("<< No Details") : QStringLiteral("Details >>");
}

QString CalibrateTool::settingText(Bar bar) const {
    return settingsKnown_ ? QString::number(settings_[bar]) : QString();
}

QString CalibrateTool::unitLostText() const {
    if (unitLost_) {
        return QStringLiteral(
            "ZEL-8 not communicating: the amplifier cannot be adjusted until it answers again.");
    }
    if (shown_ && !settingsKnown_) {
        return QStringLiteral("The amplifier settings of probe %1 could not be read.").arg(probe_);
    }
    if (shown_ && readAgain_) {
        return QStringLiteral(
                   "The ZEL-8 is communicating again: the amplifier settings of probe "
                   "%1 were read from it again.")
            .arg(probe_);
    }
    return {};
}

bool CalibrateTool::barsEnabled() const {
    return !unitLost_ && !storing_ && settingsKnown_;
}

Lvdt *CalibrateTool::lvdt() const {
    return context_.setup.lvdt(probe_);
}

bool CalibrateTool::readSettings(int probe, AmpSettings *settings) {
    Paused paused(*this);
    UnitApi &unit = context_.unit;
    lastStatus_ = unit.ZelReadLvdtGain(probe, &settings->coarse, &settings->ri);
    if (lastStatus_ != 0) {
        return false;
    }
    lastStatus_ = unit.ZelReadLvdtFine(probe, &settings->fine);
    if (lastStatus_ != 0) {
        return false;
    }
    lastStatus_ = unit.ZelReadLvdtNull(probe, &settings->null);
    return lastStatus_ == 0;
}

// The amplifier settings the dialog starts from, and which Cancel puts back.
void CalibrateTool::readOpening() {
    AmpSettings read;
    settingsKnown_ = readSettings(probe_, &read);
    if (!settingsKnown_) {
        read = AmpSettings{};
    }
    settings_ = {read.coarse, read.ri, read.fine, read.null};
    opening_ = settings_;
    selectRangeFor(settings_[Ri]);
}

void CalibrateTool::selectRangeFor(int ri) {
    int index = kCustomRange;
    for (int i = 0; i < kCustomRange; ++i) {
        if (rangeRi(i) == ri) {
            index = i;
        }
    }
    showRange(index);
}

// "Cust" shows the Ri bar, which stands with the details.
void CalibrateTool::showRange(int index) {
    rangeIndex_ = index;
    riBarVisible_ = index == kCustomRange;
    if (riBarVisible_) {
        detailsShown_ = true;
    }
}

bool CalibrateTool::open(int probe) {
    if (probe < 1 || context_.setup.lvdt(probe) == nullptr) {
        return false;
    }
    if (context_.gaugeTaken) {
        context_.gaugeTaken();
    }
    probe_ = probe;
    shown_ = true;
    probeText_ = QStringLiteral("Probe ") + QString::number(probe);
    liveText_.clear();  // the last probe's reading is not this one's
    detailsShown_ = false;
    readAgain_ = false;
    readOpening();
    {
        Paused paused(*this);
        openingFullScale_ = lvdt()->FullScale();
        openingZeroOffset_ = lvdt()->ZeroOffset();
    }
    openingModified_ = context_.state.SetupModified;
    const QChar separator = context_.locale.decimalPoint().at(0);
    fullScaleText_ = rt::formatValue(openingFullScale_, 5, separator).trimmed();
    offsetText_ = rt::formatValue(openingZeroOffset_, 5, separator).trimmed();
    edited_.fill(false);
    refresh();
    return true;
}

void CalibrateTool::refresh() {
    gainText_ = settingsKnown_ ? rt::defaultText(amplifierGain(settings_[GainCoarse], settings_[Ri],
                                                               settings_[GainFine]),
                                                 context_.locale.decimalPoint().at(0))
                               : QString();
    if (view_ != nullptr) {
        view_->refresh();
    }
}

void CalibrateTool::sendGain(int coarse, int ri) {
    if (coarse == settings_[GainCoarse] && ri == settings_[Ri]) {
        return;
    }
    Paused paused(*this);
    lastStatus_ = context_.unit.ZelSetLvdtGain(probe_, coarse, ri);
    settings_[GainCoarse] = coarse;
    settings_[Ri] = ri;
}

void CalibrateTool::sendWord(Bar bar, int value) {
    if (value == settings_[bar]) {
        return;
    }
    Paused paused(*this);
    lastStatus_ = bar == GainFine ? context_.unit.ZelSetLvdtFine(probe_, value)
                                  : context_.unit.ZelSetLvdtNull(probe_, value);
    settings_[bar] = value;
}

void CalibrateTool::cboGainSelect_Click(int index) {
    if (!barsEnabled() || index < 0 || index > kCustomRange) {
        refresh();
        return;
    }
    showRange(index);
    vscrRi_Change(rangeRi(index).value_or(settings_[Ri]));
}

// The coarse gain and Ri travel together: a move of one sends the other as the unit holds it.
void CalibrateTool::moveGain(Bar moved, int value) {
    if (!barsEnabled()) {
        refresh();
        return;
    }
    uint8_t coarse = 0;
    uint8_t ri = 0;
    Paused paused(*this);
    if (context_.unit.ZelReadLvdtGain(probe_, &coarse, &ri) == 0) {
        settings_[Ri] = ri;
        settings_[GainCoarse] = coarse;
    }
    const int byte = std::clamp(value, 0, 255);
    sendGain(moved == GainCoarse ? byte : settings_[GainCoarse],
             moved == Ri ? byte : settings_[Ri]);
    refresh();
}

void CalibrateTool::vscrGainCoarse_Change(int value) {
    moveGain(GainCoarse, value);
}

void CalibrateTool::vscrRi_Change(int value) {
    moveGain(Ri, value);
}

void CalibrateTool::vscrGainFine_Change(int value) {
    if (barsEnabled()) {
        sendWord(GainFine, std::clamp(value, barBottom(GainFine), barTop(GainFine)));
    }
    refresh();
}

void CalibrateTool::vscrNull_Change(int value) {
    if (barsEnabled()) {
        sendWord(Null, std::clamp(value, barBottom(Null), barTop(Null)));
    }
    refresh();
}

void CalibrateTool::txtFullScale_Change(const QString &text) {
    if (text != fullScaleText_) {
        fullScaleText_ = text;
        edited_[boxIndex(true)] = true;
    }
}

void CalibrateTool::txtOffset_Change(const QString &text) {
    if (text != offsetText_) {
        offsetText_ = text;
        edited_[boxIndex(false)] = true;
    }
}

void CalibrateTool::refuse(bool fullScale, const QString &message) {
    context_.prompter.message(message);
    if (view_ != nullptr) {
        view_->focusBox(fullScale);
    }
}

bool CalibrateTool::commitBox(bool fullScale) {
    if (!edited_[boxIndex(fullScale)] || lvdt() == nullptr || !boxesEnabled()) {
        return true;
    }
    QString &text = fullScale ? fullScaleText_ : offsetText_;
    const QString &label = fullScale ? fullScaleLabel() : offsetLabel();
    const std::optional<double> typed = rt::localeReal(text, context_.locale);
    if (!typed || !fitsSingle(*typed)) {
        refuse(fullScale, notANumberText(text, label));
        return false;
    }
    // The typed number is compared, so "0.001" itself passes.
    if (fullScale && *typed < kMinFullScale) {
        refuse(fullScale, belowText(text, label, QString::number(kMinFullScale)));
        return false;
    }
    const auto value = static_cast<float>(*typed);
    text = rt::formatValue(value, 5, context_.locale.decimalPoint().at(0)).trimmed();
    {
        Paused paused(*this);
        if (fullScale) {
            lvdt()->setFullScale(value);
        } else {
            lvdt()->setZeroOffset(value);
        }
    }
    edited_[boxIndex(fullScale)] = false;
    context_.setup.markModified({SetupChange::Kind::Lvdt, probe_});
    refresh();
    return true;
}

bool CalibrateTool::txtFullScale_LostFocus() {
    return commitBox(true);
}

bool CalibrateTool::txtOffset_LostFocus() {
    return commitBox(false);
}

bool CalibrateTool::commitEdits() {
    return commitBox(true) && commitBox(false);
}

bool CalibrateTool::storeInUnit() {
    Paused paused(*this);
    UnitApi &unit = context_.unit;
    int16_t initiated = 0;
    lastStatus_ = unit.ZelSaveCalibration(&initiated);
    if (lastStatus_ != 0 || initiated != 0) {
        context_.prompter.message(QStringLiteral("Unable to initiate save operation"));
        return false;
    }
    storing_ = true;
    refresh();
    if (view_ != nullptr) {
        view_->storeStarted();
        view_->storeProgress(storeProgressText(0));
    }
    int16_t done = 0;
    int16_t error = 0;
    int waitedMs = 0;
    for (int poll = 1; poll <= kStorePolls && done != 1; ++poll) {
        services_.clock.wait(kStorePollMs);
        waitedMs += kStorePollMs;
        int16_t polledDone = 0;
        int16_t polledError = 0;
        lastStatus_ = unit.ZelGetSaveStatus(&polledDone, &polledError);
        if (view_ != nullptr) {
            view_->storeProgress(storeProgressText(waitedMs / 1000));
        }
        if (lastStatus_ != 0) {
            break;  // the unit did not answer; its answer fields mean nothing
        }
        done = polledDone;
        error = polledError;
    }
    storing_ = false;
    if (view_ != nullptr) {
        view_->storeEnded();
    }
    refresh();
    if (error != 0) {
        context_.prompter.message(QStringLiteral("Problem saving to ZEL '") +
                                  QString::number(error) + QLatin1Char('\''));
        return false;
    }
    if (done != 1) {
        context_.prompter.message(
            QStringLiteral("The unit did not confirm that the settings were stored."));
        return false;
    }
    return true;
}

bool CalibrateTool::OKButton_Click() {
    if (!OKButtonEnabled() || !commitEdits()) {
        return false;
    }
    // A store that failed leaves the dialog open, to be tried again or cancelled.
    if (!storeInUnit()) {
        return false;
    }
    context_.setup.announce({SetupChange::Kind::Amplifier, probe_});
    shown_ = false;
    return true;
}

// The working state the unit had at the opening: the amplifier, and the probe's full scale and
// zero offset, which the boxes sent as soon as they were left.
void CalibrateTool::restoreOpening() {
    if (settingsKnown_) {
        Paused paused(*this);
        sendGain(opening_[GainCoarse], opening_[Ri]);
        sendWord(GainFine, opening_[GainFine]);
        sendWord(Null, opening_[Null]);
    }
    if (Lvdt *probe = lvdt()) {
        Paused paused(*this);
        probe->setFullScale(openingFullScale_);
        probe->setZeroOffset(openingZeroOffset_);
    }
    const QChar separator = context_.locale.decimalPoint().at(0);
    fullScaleText_ = rt::defaultText(openingFullScale_, separator);
    offsetText_ = rt::defaultText(openingZeroOffset_, separator);
    edited_.fill(true);
}

bool CalibrateTool::CancelButton_Click() {
    if (storing_) {
        return false;
    }
    if (shown_) {
        restoreOpening();
        if (!openingModified_) {
            context_.setup.markUnmodified();
        }
    }
    shown_ = false;
    refresh();
    return true;
}

void CalibrateTool::cmdHelp_Click() {
    services_.help.ShowHelpTopic(kHelpContext, services_.mainWindow.caption());
}

void CalibrateTool::cmdAdvanced_Click() {
    detailsShown_ = !detailsShown_;
    refresh();
}

void CalibrateTool::setUnitLost(bool lost) {
    const bool back = unitLost_ && !lost;
    unitLost_ = lost;
    // What the unit held before may be gone (a restart brings its stored settings back), and a
    // probe opened while it was lost may be unknown: what it holds now is the opening state.
    if (back && shown_) {
        readOpening();
        readAgain_ = true;
    }
    refresh();
}

void CalibrateTool::cmdSave_Click() {
    if (!cmdSaveEnabled()) {
        return;
    }
    const QString path = services_.chooser.chooseSaveFile(profileRequest(context_.state));
    if (path.isEmpty()) {
        return;
    }
    profilePath_ = path;
    const Setup &setup = context_.setup;
    std::vector<AmpRecord> records;
    for (int i = 1; i <= setup.lvdtCount(); ++i) {
        AmpRecord record{setup.lvdt(i)->Index, {}};
        // While the unit is lost the link answers from its copy: no profile from that.
        if (!readSettings(record.probe, &record.settings) || unitLost_) {
            context_.prompter.message(
                QStringLiteral("The amplifier settings of probe %1 could not be read from the "
                               "unit.\rThe profile was not saved.")
                    .arg(record.probe));
            return;
        }
        records.push_back(record);
    }
    const QString reason = writeAmpProfile(path, ampProfileText(setup.lvdtCount(), records));
    if (!reason.isEmpty()) {
        context_.prompter.message(QStringLiteral("The amplifier profile could not be saved to ") +
                                  path + QLatin1Char(':') + QLatin1Char('\r') + reason +
                                  QLatin1Char('\r') +
                                  QStringLiteral("The previous file is unchanged."));
    }
}

void CalibrateTool::cmdLoad_Click() {
    if (!cmdLoadEnabled() || !commitEdits()) {
        return;
    }
    const QString path = services_.chooser.chooseOpenFile(profileRequest(context_.state));
    if (path.isEmpty()) {
        return;
    }
    profilePath_ = path;
    const WholeFile file = readWholeFile(path, kMostProfileBytes);
    const auto cannotRead = [&](const QString &reason) {
        context_.prompter.message(path + QStringLiteral(" cannot be read:") + QLatin1Char('\r') +
                                  reason + QLatin1Char('\r') +
                                  QStringLiteral("Nothing was loaded."));
    };
    switch (file.outcome) {
        case ReadOutcome::Read:
            break;
        case ReadOutcome::Missing:
            context_.prompter.message(path + QStringLiteral(" file not found."));
            return;
        case ReadOutcome::NotAFile:
            context_.prompter.message(notAFileMessage(path));
            return;
        case ReadOutcome::TooLarge:
            cannotRead(QStringLiteral("It is too large to be an amplifier profile."));
            return;
        case ReadOutcome::Failed:
            cannotRead(file.reason);
            return;
    }
    const AmpProfileRead profile = readAmpProfile(file.bytes, context_.setup.lvdtCount());
    LineWarnings warnings;
    for (const QString &warning : profile.warnings) {
        warnings.add(warning);
    }
    warnings.show(context_.prompter);
    if (profile.outcome != AmpProfileRead::Outcome::Loaded) {
        context_.prompter.message(profile.message);
        return;
    }
    if (applyProfile(profile)) {
        // Stored, the loaded settings are what the unit starts from: Cancel keeps them.
        if (storeInUnit()) {
            opening_ = settings_;
        }
        context_.setup.announce({SetupChange::Kind::Amplifier, 0});
    }
}

// The shown probe's record moves its bars, as far as they reach; the range box keeps its
// choice. Every record is sent whole, a fine gain or null beyond its bar included.
bool CalibrateTool::applyProfile(const AmpProfileRead &profile) {
    Paused paused(*this);
    UnitApi &unit = context_.unit;
    for (const AmpRecord &record : profile.records) {
        const AmpSettings &s = record.settings;
        int status = unit.ZelSetLvdtGain(record.probe, s.coarse, s.ri);
        if (status == 0) {
            status = unit.ZelSetLvdtFine(record.probe, s.fine);
        }
        if (status == 0) {
            status = unit.ZelSetLvdtNull(record.probe, s.null);
        }
        lastStatus_ = status;
        if (record.probe == probe_) {
            settings_ = {s.coarse, s.ri, s.fine, s.null};
            refresh();
        }
        if (status != 0) {
            context_.prompter.message(
                QStringLiteral("The settings of probe %1 did not reach the unit.\rThe profile "
                               "was not stored in the unit.")
                    .arg(record.probe));
            return false;
        }
    }
    return true;
}

}  // namespace zelapp
