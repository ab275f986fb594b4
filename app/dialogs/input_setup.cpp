#include "dialogs/input_setup.h"

#include "base/runtime_text.h"
#include "model/box_checks.h"
#include "model/inputs.h"
#include "model/single_range.h"
#include "setup/setup.h"

namespace zelapp {

namespace {
constexpr std::array<InputBoxInfo, kInputBoxCount> kBoxes{{
    {"TextDescription", "&Description"},
    {"TextFullScale", "&Full Scale"},
    {"TextZeroOffset", "&Zero"},
}};

QString plainLabel(InputBox box) {
    return QString::fromLatin1(inputBoxInfo(box).label).remove(QLatin1Char('&'));
}
}  // namespace

const InputBoxInfo &inputBoxInfo(InputBox box) {
    return kBoxes[static_cast<std::size_t>(box)];
}

template <>
int InputSetupTool<Lvdt>::count() const {
    return setup_.lvdtCount();
}

template <>
Lvdt *InputSetupTool<Lvdt>::input() const {
    return setup_.lvdt(current_);
}

template <>
int InputSetupTool<analog>::count() const {
    return setup_.analogCount();
}

template <>
analog *InputSetupTool<analog>::input() const {
    return setup_.analogInput(current_);
}

template <typename Input>
InputSetupTool<Input>::InputSetupTool(const DialogContext &context, Source source)
    : prompter_(context.prompter),
      setup_(context.setup),
      state_(context.state),
      locale_(context.locale),
      source_(source) {}

template <typename Input>
void InputSetupTool<Input>::refresh() {
    if (view_ != nullptr) {
        view_->refresh();
    }
}

template <typename Input>
void InputSetupTool<Input>::setLiveText(const QString &text) {
    liveText_ = text;
    if (view_ != nullptr) {
        view_->showLiveText(text);
    }
}

template <typename Input>
void InputSetupTool<Input>::setCurrent(int n) {
    current_ = n;
    display();
}

template <typename Input>
void InputSetupTool<Input>::shrankTo(int n) {
    setCurrent(n);
    if (liveGate_ > n) {
        liveGate_ = n;
    }
}

template <typename Input>
void InputSetupTool<Input>::display() {
    currentText_ = current_ > 0 ? QString::number(current_) : QString();
    liveText_.clear();
    touched_.fill(false);
    modified_ = false;
    const Input *in = input();
    boxesEnabled_ = in != nullptr;
    if (in == nullptr) {
        for (QString &box : boxes_) {
            box.clear();
        }
        refresh();
        return;
    }
    const QChar separator = locale_.decimalPoint().at(0);
    boxes_[index(InputBox::Description)] = in->Description;
    boxes_[index(InputBox::ZeroOffset)] =
        rt::formatValue(in->ZeroOffset(), state_.Decimals, separator);
    boxes_[index(InputBox::FullScale)] =
        rt::formatValue(in->FullScale(), state_.Decimals, separator);
    refresh();
}

template <typename Input>
void InputSetupTool<Input>::refuse(InputBox box, const QString &message) {
    prompter_.message(message);
    if (view_ != nullptr) {
        view_->focusBox(box);
    }
}

template <typename Input>
std::optional<float> InputSetupTool<Input>::number(InputBox box) {
    const std::optional<double> value = rt::localeReal(text(box), locale_);
    if (!value || !fitsSingle(*value)) {
        refuse(box, notANumberText(text(box), plainLabel(box)));
        return std::nullopt;
    }
    // The full scale sets the probe's range and its bar's; the unit cannot divide by less.
    // The typed number is compared, so "0.001" itself passes.
    if (box == InputBox::FullScale && *value < kMinFullScale) {
        refuse(box, belowText(text(box), plainLabel(box), QString::number(kMinFullScale)));
        return std::nullopt;
    }
    return static_cast<float>(*value);
}

template <typename Input>
bool InputSetupTool<Input>::program() {
    Input *in = input();
    if (in == nullptr) {
        return false;
    }
    // Every edited number is checked before anything is written, so a refused box changes
    // nothing. An untouched box keeps the object's exact value: its text is only rounded.
    std::optional<float> fullScale;
    std::optional<float> zero;
    if (touched_[index(InputBox::FullScale)]) {
        fullScale = number(InputBox::FullScale);
        if (!fullScale) {
            return false;
        }
    }
    if (touched_[index(InputBox::ZeroOffset)]) {
        zero = number(InputBox::ZeroOffset);
        if (!zero) {
            return false;
        }
    }
    in->Description = text(InputBox::Description);
    if (fullScale) {
        in->setFullScale(*fullScale);
    }
    if (zero) {
        in->setZeroOffset(*zero);
    }
    modified_ = false;
    touched_.fill(false);
    programming_ = true;
    setup_.markModified(
        {source_ == Source::Lvdt ? SetupChange::Kind::Lvdt : SetupChange::Kind::Analog, current_});
    programming_ = false;
    status_ = (source_ == Source::Lvdt ? QStringLiteral("Probe %1 programmed")
                                       : QStringLiteral("Analog input %1 programmed"))
                  .arg(current_);
    refresh();
    return true;
}

template <typename Input>
bool InputSetupTool<Input>::concernsShown(const SetupChange &change) const {
    using Kind = SetupChange::Kind;
    if (source_ == Source::Lvdt) {
        return change.concerns(Kind::Lvdt, current_) || change.concerns(Kind::Amplifier, current_);
    }
    return change.concerns(Kind::Analog, current_);
}

template <typename Input>
void InputSetupTool<Input>::setupChanged(const SetupChange &change) {
    if (!open_ || programming_) {
        return;
    }
    if (change.kind == SetupChange::Kind::Replaced) {
        load();
        setShowCurrentValue(showChecked_);  // the live value stays on for the input shown
    } else if (!modified_ && concernsShown(change)) {
        display();
    }
}

template <typename Input>
void InputSetupTool<Input>::load() {
    open_ = true;
    if (current_ == 0) {
        current_ = 1;
    }
    if (current_ > count()) {
        current_ = count();
    }
    display();
}

template <typename Input>
void InputSetupTool<Input>::closed() {
    open_ = false;
    liveGate_ = 0;
    showChecked_ = false;
    autoIncChecked_ = false;
    liveText_.clear();
}

template <typename Input>
void InputSetupTool<Input>::setShowCurrentValue(bool checked) {
    showChecked_ = checked;
    liveGate_ = checked ? current_ : 0;
    if (!checked) {
        setLiveText({});
    }
    refresh();
}

template <typename Input>
void InputSetupTool<Input>::editBox(InputBox box, const QString &typed) {
    status_.clear();
    boxes_[index(box)] = typed;
    touched_[index(box)] = true;
    modified_ = true;
}

template <typename Input>
void InputSetupTool<Input>::showLiveValue(const QString &text, std::optional<float>) {
    setLiveText(text);
}

template class InputSetupTool<Lvdt>;
template class InputSetupTool<analog>;

}  // namespace zelapp
