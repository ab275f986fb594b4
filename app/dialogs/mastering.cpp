#include "dialogs/mastering.h"

#include "base/runtime_text.h"
#include "dialogs/channel_stepping.h"
#include "model/mastering_math.h"
#include "setup/setup.h"

namespace zelapp {

namespace {
// The mode word MasteringMode asks for.
QString modeWordOf(bool zero) {
    return zero ? QStringLiteral("Zero") : QStringLiteral("Master");
}
}  // namespace

MasteringTool::MasteringTool(const DialogContext &context)
    : setup_(context.setup),
      state_(context.state),
      unit_(context.unit),
      prompter_(context.prompter),
      times_(context.masteredTimes),
      locale_(context.locale),
      gaugeTaken_(context.gaugeTaken) {
    if (times_ != nullptr) {
        timesListening_ = QObject::connect(times_, &MasteredTimes::changed, [this] {
            if (open_) {
                refresh();
            }
        });
    }
}

MasteringTool::~MasteringTool() {
    QObject::disconnect(timesListening_);
}

QString MasteringTool::LblLastMastered() const {
    return times_ != nullptr && channel() != nullptr ? times_->lastMasteredText(current_)
                                                     : QString();
}

QString MasteringTool::LblMasteringNote() const {
    return times_ != nullptr ? times_->masteringNote(current_) : QString();
}

bool MasteringTool::CommandUndoEnabled() const {
    return undo_.has_value() && undo_->channel == current_ && !unitLost_;
}

Channel *MasteringTool::channel() const {
    return setup_.channel(current_);
}

QString MasteringTool::shown(double value) const {
    return rt::formatValue(value, decimals_, locale_.decimalPoint().at(0));
}

void MasteringTool::refresh() {
    if (view_ != nullptr) {
        view_->refresh();
    }
}

bool MasteringTool::CommandMasterEnabled() const {
    switch (step_) {
        case MasteringStep::AwaitMaster1:
            return formulaDefined_ && readingArrived_ && !unitLost_;
        case MasteringStep::AwaitMaster2:
            return readingArrived_ && !unitLost_;
        case MasteringStep::ChannelDone:
            return true;  // only steps on
    }
    return false;
}

QString MasteringTool::unitLostText() const {
    return unitLost_ ? QStringLiteral(
                           "ZEL-8 not communicating: nothing can be %1ed until it "
                           "answers again.")
                           .arg(modeWord_.toLower())
                     : QString();
}

void MasteringTool::Form_Load() {
    if (gaugeTaken_) {
        gaugeTaken_();
    }
    open_ = true;
    InitMastering();
}

void MasteringTool::InitMastering() {
    if (current_ == 0) {
        current_ = 1;
    }
    // A setup with fewer channels than the last opening saw.
    if (current_ > setup_.channelCount()) {
        current_ = setup_.channelCount();
    }
    PrepareMasterChannel();
    caption_ = modeWord_ + QStringLiteral(" Channels");
    ShowMasterChannel();
}

void MasteringTool::ShowMasterChannel() {
    channelText_ = current_ > 0 ? QString::number(current_) : QString();
    const Channel *c = channel();
    decimals_ = c != nullptr ? c->Decimals : 0;
    if (c != nullptr) {
        description_ = c->Description;
        master1_ = shown(c->Master1);
        master2_ = c->UseTwoMasters ? shown(c->Master2) : QStringLiteral("Not Used");
        slope_ = shown(c->Scaling());
        intercept_ = shown(c->ZeroOffset());
    } else {
        description_.clear();
        master1_.clear();
        master2_.clear();
        slope_.clear();
        intercept_.clear();
    }
    slopeBefore_.clear();
    interceptBefore_.clear();
    undo_.reset();  // the Before column it would put back is gone
    m1_.clear();
    m2_.clear();
    liveText_.clear();
    refresh();
}

void MasteringTool::PrepareMasterChannel() {
    const Channel *c = channel();
    decimals_ = c != nullptr ? c->Decimals : 0;
    modeWord_ = modeWordOf(state_.MasteringMode);
    formulaDefined_ = c != nullptr && !c->Formula().isEmpty();
    readingArrived_ = false;
    ++preparations_;
    if (formulaDefined_) {
        liveChannel_ = current_;
        instructionRed_ = false;
        instruction_ = QStringLiteral("Insert Master 1: ") + shown(c->Master1);
        masterCaption_ = QStringLiteral("Start ") + modeWord_;
    } else {
        liveChannel_ = 0;
        instructionRed_ = true;
        instruction_ = QStringLiteral("This Channel has no formula");
        masterCaption_ = QStringLiteral("Cannot ") + modeWord_;
    }
    step_ = MasteringStep::AwaitMaster1;
    refresh();
}

void MasteringTool::fail() {
    instructionRed_ = true;
    instruction_ = QStringLiteral("Mastering unsuccessful.");
    masterCaption_ = QStringLiteral("Do Again");
    refresh();
}

bool MasteringTool::confirmWrite(double oldScaling, double newScaling, double oldZero,
                                 double newZero) {
    const Channel *c = channel();
    const QString question =
        masteringGuardQuestion({oldScaling, newScaling, oldZero, newZero,
                                rt::shortestDecimal(c->HiTol), rt::shortestDecimal(c->LoTol)},
                               guard_, decimals_, locale_.decimalPoint().at(0));
    if (question.isEmpty()) {
        return true;
    }
    const int preparation = preparations_;
    const PromptAnswer answer =
        prompter_.ask(question, {}, PromptIcon::Warning, PromptButtons::YesNo);
    if (preparation != preparations_) {
        return false;  // started over meanwhile: what was asked about is gone
    }
    if (answer == PromptAnswer::Yes && !unitLost_) {
        return true;
    }
    startOver(QStringLiteral("Nothing written. "));
    return false;
}

void MasteringTool::startOver(const QString &why) {
    ShowMasterChannel();
    PrepareMasterChannel();
    if (formulaDefined_) {
        instruction_ = why + instruction_;
        refresh();
    }
}

void MasteringTool::CommandUndo_Click() {
    if (!CommandUndoEnabled()) {
        return;
    }
    Channel *c = channel();
    if (c == nullptr) {
        return;
    }
    const Replaced replaced = *undo_;
    undo_.reset();
    // In the order of a press: the zero first, then the scaling.
    c->setZeroOffset(replaced.zero);
    if (replaced.scalingWritten) {
        c->setScaling(replaced.scaling);
    }
    if (times_ != nullptr) {
        times_->restore(current_, replaced.times);
    }
    setup_.markModified({SetupChange::Kind::ChannelScaling, current_});
    startOver(QStringLiteral("Undone: the zero and scaling from before are back. "));
}

void MasteringTool::finish(const QString &instruction) {
    setup_.markModified({SetupChange::Kind::ChannelScaling, current_});
    instruction_ = instruction;
    masterCaption_ = QStringLiteral("Next Channel");
    step_ = MasteringStep::ChannelDone;
    refresh();
}

void MasteringTool::MasterStep() {
    if (!CommandMasterEnabled()) {
        return;
    }
    Channel *c = channel();
    if (c == nullptr) {
        return;
    }
    switch (step_) {
        case MasteringStep::AwaitMaster1: {
            reading1_ = reading_;
            m1_ = liveText_;
            if (!c->UseTwoMasters || state_.MasteringMode) {
                const double zo = c->ZeroOffset();
                const std::optional<double> newZero = masteredZero(c->Master1, reading1_, zo);
                if (!newZero) {
                    fail();  // the next press takes master 1 again
                    return;
                }
                const float sc = c->Scaling();
                if (!confirmWrite(sc, sc, zo, *newZero)) {
                    return;
                }
                slopeBefore_ = shown(sc);
                interceptBefore_ = shown(zo);
                intercept_ = shown(*newZero);
                undo_ = Replaced{current_, static_cast<float>(zo), sc, false, {}};
                c->setZeroOffset(static_cast<float>(*newZero));
                if (times_ != nullptr) {
                    undo_->times = times_->markMastered(current_);
                }
                finish(modeWord_ + QStringLiteral(" completed."));
                return;
            }
            instruction_ = QStringLiteral("Insert Master 2: ") + shown(c->Master2);
            masterCaption_ = QStringLiteral("Read");
            liveChannel_ = current_;
            step_ = MasteringStep::AwaitMaster2;
            refresh();
            return;
        }
        case MasteringStep::AwaitMaster2: {
            m2_ = liveText_;
            const double zo = c->ZeroOffset();
            const double sc = c->Scaling();
            const std::optional<MasterFit> fit =
                twoMasterFit(c->Master1, c->Master2, reading1_, reading_, zo, sc);
            if (!fit) {
                fail();  // the next press reads master 2 again
                return;
            }
            if (!confirmWrite(sc, fit->scaling, zo, fit->zero)) {
                return;
            }
            slopeBefore_ = shown(sc);
            interceptBefore_ = shown(zo);
            slope_ = shown(fit->scaling);
            intercept_ = shown(fit->zero);
            undo_ = Replaced{current_, static_cast<float>(zo), static_cast<float>(sc), true, {}};
            // The zero first: the scaling is computed against it.
            c->setZeroOffset(static_cast<float>(fit->zero));
            c->setScaling(static_cast<float>(fit->scaling));
            if (times_ != nullptr) {
                undo_->times = times_->markMastered(current_);
            }
            finish(QStringLiteral("Mastering completed."));
            return;
        }
        case MasteringStep::ChannelDone:
            SpinButtonChannel_SpinUp();
            return;
    }
}

void MasteringTool::NextChannel() {
    current_ = nextChannel(current_, setup_.channelCount());
}

void MasteringTool::PreviousChannel() {
    current_ = previousChannel(current_, setup_.channelCount());
}

void MasteringTool::SpinButtonChannel_SpinUp() {
    NextChannel();
    ShowMasterChannel();
    PrepareMasterChannel();
}

void MasteringTool::SpinButtonChannel_SpinDown() {
    PreviousChannel();
    ShowMasterChannel();
    PrepareMasterChannel();
}

void MasteringTool::CommandResetMM_Click() {
    if (!cycleRunning_) {
        unit_.ZelResetMM();
    }
}

void MasteringTool::setCycleRunning(bool running) {
    cycleRunning_ = running;
    refresh();
}

void MasteringTool::Form_Unload() {
    open_ = false;
    liveChannel_ = 0;
    readingArrived_ = false;
}

void MasteringTool::modeAsked() {
    if (open_ && modeWordOf(state_.MasteringMode) != modeWord_) {
        InitMastering();
    }
}

void MasteringTool::channelsShrankTo(int n) {
    if (current_ <= n) {
        return;
    }
    current_ = n;
    if (open_) {
        ShowMasterChannel();
        PrepareMasterChannel();
    }
}

void MasteringTool::setupChanged(const SetupChange &change) {
    if (!open_ || (change.kind != SetupChange::Kind::Replaced &&
                   !change.concerns(SetupChange::Kind::Channel, current_))) {
        return;
    }
    const bool readingDropped = step_ == MasteringStep::AwaitMaster2;
    InitMastering();
    if (formulaDefined_) {
        instruction_ = (readingDropped ? QStringLiteral("Setup changed, master 1 reading dropped. ")
                                       : QStringLiteral("Setup changed. ")) +
                       instruction_;
        refresh();
    }
}

void MasteringTool::setUnitLost(bool lost) {
    unitLost_ = lost;
    if (lost) {
        readingArrived_ = false;  // a reading from before the loss is not taken
    }
    refresh();
}

void MasteringTool::showLiveValue(const QString &text, std::optional<float> reading) {
    liveText_ = text;
    const bool hadReading = readingArrived_;
    readingArrived_ = reading.has_value();
    if (reading) {
        reading_ = static_cast<double>(*reading);
    }
    if (view_ != nullptr) {
        view_->showLiveText(text);
        if (hadReading != readingArrived_) {
            view_->refresh();  // the button's state follows
        }
    }
}

}  // namespace zelapp
