#include "dialogs/setup_chan.h"

#include "base/runtime_text.h"
#include "dialogs/channel_stepping.h"
#include "model/box_checks.h"
#include "model/formula_check.h"
#include "setup/setup.h"

namespace zelapp {

namespace {
constexpr std::array<ChanBoxInfo, kChanBoxCount> kBoxes{{
    {"TextFormula", "&Formula"},
    {"TextDescription", "&Description"},
    {"TextDecimals", "D&ecimals"},
    {"TextMaster1Value", "Master &1"},
    {"TextMaster2Value", "Master &2"},
    {"TextHiTolValue", "&Hi Tol"},
    {"TextHiAppValue", "H&i approach"},
    {"TextLoAppValue", "L&o approach"},
    {"TextLoTolValue", "&LoTol"},
    {"TextBarTopValue", "Bar &Top"},
    {"TextBarBotValue", "Bar &Bot"},
    {"TextScalingValue", "&Scaling"},
    {"TextZeroValue", "&Zero"},
}};

QString plainLabel(ChanBox box) {
    return QString::fromLatin1(chanBoxInfo(box).label).remove(QLatin1Char('&'));
}
}  // namespace

const ChanBoxInfo &chanBoxInfo(ChanBox box) {
    return kBoxes[static_cast<std::size_t>(box)];
}

SetupChanTool::SetupChanTool(const DialogContext &context)
    : setup_(context.setup),
      state_(context.state),
      unit_(context.unit),
      prompter_(context.prompter),
      locale_(context.locale) {
    boxes_[index(ChanBox::Decimals)] = QStringLiteral("5");
}

Channel *SetupChanTool::channel() const {
    return setup_.channel(current_);
}

void SetupChanTool::refresh() {
    if (view_ != nullptr) {
        view_->refresh();
    }
}

void SetupChanTool::setLiveText(const QString &text) {
    liveText_ = text;
    if (view_ != nullptr) {
        view_->showLiveText(text);
    }
}

void SetupChanTool::SetCurrentChannel(int n) {
    current_ = n;
    DisplayChannel();
}

void SetupChanTool::channelsShrankTo(int n) {
    SetCurrentChannel(n);
}

void SetupChanTool::setupChanged(const SetupChange &change) {
    if (!open_ || programming_) {
        return;
    }
    using Kind = SetupChange::Kind;
    if (change.kind == Kind::Replaced) {
        Form_Load();
        return;
    }
    if (!modified_ && (change.concerns(Kind::Channel, current_) ||
                       change.concerns(Kind::ChannelScaling, current_))) {
        DisplayChannel();
    }
}

void SetupChanTool::DisplayChannel() {
    currentText_ = current_ > 0 ? QString::number(current_) : QString();
    liveText_.clear();
    touched_.fill(false);
    const Channel *c = channel();
    boxesEnabled_ = c != nullptr;
    if (c == nullptr) {
        // No channel to edit: the boxes stay empty and disabled.
        for (QString &box : boxes_) {
            box.clear();
        }
        master2Enabled_ = false;
        modified_ = false;
        refresh();
        return;
    }
    boxes_[index(ChanBox::Formula)] = c->Formula();
    boxes_[index(ChanBox::Description)] = c->Description;
    boxes_[index(ChanBox::Decimals)] = QString::number(c->Decimals);
    const QChar separator = locale_.decimalPoint().at(0);
    const auto shown = [&](float value) { return rt::formatValue(value, c->Decimals, separator); };
    master2Enabled_ = c->UseTwoMasters;
    boxes_[index(ChanBox::Master1)] = shown(c->Master1);
    boxes_[index(ChanBox::Master2)] = shown(c->Master2);
    boxes_[index(ChanBox::Scaling)] = shown(c->Scaling());
    boxes_[index(ChanBox::Zero)] = shown(c->ZeroOffset());
    boxes_[index(ChanBox::HiTol)] = shown(c->HiTol);
    boxes_[index(ChanBox::HiApp)] = shown(c->HiAppr);
    boxes_[index(ChanBox::LoApp)] = shown(c->LoAppr);
    boxes_[index(ChanBox::LoTol)] = shown(c->LoTol);
    boxes_[index(ChanBox::BarTop)] = shown(c->BarDisplayTop);
    boxes_[index(ChanBox::BarBot)] = shown(c->BarDisplayBot);
    modified_ = false;
    refresh();
}

std::optional<int> SetupChanTool::typedDecimals() const {
    const std::optional<double> value = rt::localeReal(text(ChanBox::Decimals), locale_);
    return value ? rt::toInteger16(*value) : std::nullopt;
}

std::optional<float> SetupChanTool::single(ChanBox box) {
    const QString &typed = text(box);
    if (const std::optional<float> value = typedSingle(typed, locale_)) {
        return value;
    }
    prompter_.message(notANumberText(typed, plainLabel(box)));
    if (view_ != nullptr) {
        view_->focusBox(box);
    }
    return std::nullopt;
}

// The limits as they would be programmed: LoTol <= LoAppr <= HiAppr <= HiTol, and the bar's
// bottom below its top. An edited pair out of order is named, and nothing is programmed.
bool SetupChanTool::limitsInOrder(const Channel &c,
                                  const std::array<std::optional<float>, kChanBoxCount> &numbers) {
    const auto value = [&](ChanBox box, float current) {
        return numbers[index(box)].value_or(current);
    };
    const struct {
        ChanBox low, high;
        float lowValue, highValue;
        bool strict;
    } pairs[] = {
        {ChanBox::LoTol, ChanBox::LoApp, value(ChanBox::LoTol, c.LoTol),
         value(ChanBox::LoApp, c.LoAppr), false},
        {ChanBox::LoApp, ChanBox::HiApp, value(ChanBox::LoApp, c.LoAppr),
         value(ChanBox::HiApp, c.HiAppr), false},
        {ChanBox::HiApp, ChanBox::HiTol, value(ChanBox::HiApp, c.HiAppr),
         value(ChanBox::HiTol, c.HiTol), false},
        {ChanBox::BarBot, ChanBox::BarTop, value(ChanBox::BarBot, c.BarDisplayBot),
         value(ChanBox::BarTop, c.BarDisplayTop), true},
    };
    for (const auto &p : pairs) {
        // Limits a setup file brought out of order stay as they are until one of them is edited.
        const bool edited = touched_[index(p.low)] || touched_[index(p.high)];
        const bool inOrder = p.strict ? p.lowValue < p.highValue : p.lowValue <= p.highValue;
        if (!edited || inOrder) {
            continue;
        }
        prompter_.message(QStringLiteral("%1 must be %2 %3. Nothing was programmed.")
                              .arg(plainLabel(p.low),
                                   p.strict ? QStringLiteral("below") : QStringLiteral("at most"),
                                   plainLabel(p.high)));
        if (view_ != nullptr) {
            view_->focusBox(touched_[index(p.high)] && !touched_[index(p.low)] ? p.high : p.low);
        }
        return false;
    }
    return true;
}

bool SetupChanTool::ProgramChannel() {
    Channel *c = channel();
    if (c == nullptr) {
        return false;
    }
    // Every edited number is checked before anything is written, so a bad box changes
    // nothing. An untouched box keeps the channel's exact value: its text is only rounded.
    std::optional<int> decimals;
    if (touched_[index(ChanBox::Decimals)]) {
        const QString &typed = text(ChanBox::Decimals);
        decimals = typedDecimals();
        if (!decimals || *decimals < kMinDecimals || *decimals > kMaxDecimals) {
            const QString label = plainLabel(ChanBox::Decimals);
            prompter_.message(decimals ? outOfRangeText(typed, label, QString::number(kMinDecimals),
                                                        QString::number(kMaxDecimals))
                                       : notANumberText(typed, label));
            if (view_ != nullptr) {
                view_->focusBox(ChanBox::Decimals);
            }
            return false;
        }
    }
    std::array<std::optional<float>, kChanBoxCount> numbers;
    for (int i = index(ChanBox::Master1); i < kChanBoxCount; ++i) {
        if (touched_[i]) {
            numbers[i] = single(static_cast<ChanBox>(i));
            if (!numbers[i]) {
                return false;
            }
        }
    }
    const auto put = [&](ChanBox box, float &property) {
        if (numbers[index(box)]) {
            property = *numbers[index(box)];
        }
    };
    if (!limitsInOrder(*c, numbers)) {
        return false;
    }

    // The formula goes first: one the unit refuses (the library says why) is not programmed,
    // and nothing else is. An untouched formula is not sent again, since a redefinition
    // clears the channel's minimum and maximum, which would spoil a run-out.
    const QString &formula = text(ChanBox::Formula);
    if (touched_[index(ChanBox::Formula)] && formula != c->Formula()) {
        if (const int32_t status = c->setFormula(formula); status != 0) {
            // The library has said what; the dialog adds where, when the text shows it.
            const QString where = explainFormulaRefusal(
                formula, status, {setup_.channelCount(), setup_.lvdtCount(), setup_.analogCount()});
            if (!where.isEmpty()) {
                prompter_.message(where);
            }
            if (view_ != nullptr) {
                view_->focusBox(ChanBox::Formula);
            }
            return false;
        }
    }
    c->Description = text(ChanBox::Description);
    if (decimals) {
        c->Decimals = *decimals;
    }
    put(ChanBox::Master1, c->Master1);
    put(ChanBox::Master2, c->Master2);
    c->UseTwoMasters = master2Enabled_;
    put(ChanBox::HiTol, c->HiTol);
    put(ChanBox::HiApp, c->HiAppr);
    put(ChanBox::LoApp, c->LoAppr);
    put(ChanBox::LoTol, c->LoTol);
    put(ChanBox::BarTop, c->BarDisplayTop);
    put(ChanBox::BarBot, c->BarDisplayBot);
    // The unit holds these two; an untouched box is not sent again.
    if (numbers[index(ChanBox::Scaling)]) {
        c->setScaling(*numbers[index(ChanBox::Scaling)]);
    }
    if (numbers[index(ChanBox::Zero)]) {
        c->setZeroOffset(*numbers[index(ChanBox::Zero)]);
    }
    c->InUse = true;
    modified_ = false;
    touched_.fill(false);
    programming_ = true;
    setup_.markModified({SetupChange::Kind::Channel, current_});
    programming_ = false;
    status_ = QStringLiteral("Channel %1 programmed").arg(current_);
    refresh();
    return true;
}

bool SetupChanTool::ConfirmChannelChanges() {
    if (!modified_) {
        return true;
    }
    const Channel *c = channel();
    const PromptAnswer answer =
        prompter_.ask(QStringLiteral("Channel %1 has been modified\rSave changes").arg(current_),
                      c != nullptr ? c->Description : QString(), PromptIcon::Question,
                      PromptButtons::YesNoCancel);
    switch (answer) {
        case PromptAnswer::Yes:
            // A box that does not hold a number keeps the dialog where it is.
            return ProgramChannel();
        case PromptAnswer::No:
            return true;
        default:
            return false;
    }
}

void SetupChanTool::NextChannel() {
    current_ = nextChannel(current_, setup_.channelCount());
}

void SetupChanTool::PreviousChannel() {
    current_ = previousChannel(current_, setup_.channelCount());
}

void SetupChanTool::Form_Load() {
    open_ = true;
    const int count = setup_.channelCount();
    if (current_ == 0) {
        current_ = 1;
    }
    if (current_ > count) {
        current_ = count;
    }
    DisplayChannel();
}

void SetupChanTool::Form_Activate() {
    // The boxes start unchecked at every opening; restoring a checked state runs its handler.
    if ((showMemory_ != 0) != showChecked_) {
        CheckShowCurrentValue_Click(showMemory_ != 0);
    }
    if ((autoIncMemory_ != 0) != autoIncChecked_) {
        CheckAutoIncChannel_Click(autoIncMemory_ != 0);
    }
    refresh();
}

bool SetupChanTool::Form_QueryUnload() {
    if (!ConfirmChannelChanges()) {
        return false;
    }
    open_ = false;
    showChecked_ = false;
    autoIncChecked_ = false;
    liveText_.clear();
    return true;
}

void SetupChanTool::editBox(ChanBox box, const QString &typed) {
    status_.clear();
    boxes_[index(box)] = typed;
    touched_[index(box)] = true;
    modified_ = true;
}

void SetupChanTool::CommandNext_Click() {
    if (!ConfirmChannelChanges()) {
        return;
    }
    NextChannel();
    DisplayChannel();
    CheckShowCurrentValue_Click(showChecked_);
}

void SetupChanTool::CommandPrev_Click() {
    if (!ConfirmChannelChanges()) {
        return;
    }
    PreviousChannel();
    DisplayChannel();
    CheckShowCurrentValue_Click(showChecked_);
}

void SetupChanTool::CommandProgram_Click() {
    if (!ProgramChannel()) {
        return;
    }
    if (autoIncChecked_) {
        // The live value follows to the channel now shown.
        NextChannel();
        DisplayChannel();
    }
}

void SetupChanTool::CheckShowCurrentValue_Click(bool checked) {
    showChecked_ = checked;
    showMemory_ = checked ? 1 : 0;
    if (!checked) {
        setLiveText({});
    }
    refresh();
}

void SetupChanTool::CheckAutoIncChannel_Click(bool checked) {
    autoIncChecked_ = checked;
    autoIncMemory_ = checked ? 1 : 0;
}

void SetupChanTool::CheckUse2Masters_Click(bool checked) {
    master2Enabled_ = checked;
    modified_ = true;
    refresh();
}

void SetupChanTool::SpinButtonDecimals_SpinUp() {
    const std::optional<int> d = typedDecimals();
    if (d && *d < kMaxDecimals) {
        editBox(ChanBox::Decimals, QString::number(*d + 1));
        refresh();
    }
}

void SetupChanTool::SpinButtonDecimals_SpinDown() {
    const std::optional<int> d = typedDecimals();
    if (d && *d > kMinDecimals) {
        editBox(ChanBox::Decimals, QString::number(*d - 1));
        refresh();
    }
}

void SetupChanTool::CommandResetMM_Click() {
    if (!cycleRunning_) {
        unit_.ZelResetMM();
    }
}

void SetupChanTool::setCycleRunning(bool running) {
    cycleRunning_ = running;
    refresh();
}

void SetupChanTool::showLiveValue(const QString &text, std::optional<float>) {
    setLiveText(text);
}

}  // namespace zelapp
