// What the probe and the analog setup dialogs share: the three boxes of one input (description,
// full scale, zero offset) and their texts, the current input kept across openings, filling the
// boxes from the input's object and writing them back with their number checks, and the live
// value, which reads the input the dialog shows. The dialogs themselves (SetupLvdtTool,
// SetupAnalogTool) differ in how they step, close and program.
#pragma once

#include <QLocale>
#include <QString>
#include <array>
#include <optional>

#include "base/live_value.h"
#include "dialogs/dialog_context.h"

namespace zelapp {

class Setup;
class Lvdt;
class analog;
struct SetupChange;

// The boxes that edit an input, in the order of the dialog's tab chain.
enum class InputBox { Description, FullScale, ZeroOffset };
inline constexpr int kInputBoxCount = 3;

struct InputBoxInfo {
    const char *name;   // the text box's object name
    const char *label;  // its label's caption, with the accelerator
};
const InputBoxInfo &inputBoxInfo(InputBox box);

// The form as the tool sees it.
class InputSetupView {
  public:
    virtual ~InputSetupView() = default;
    // The fields changed; show them all again.
    virtual void refresh() = 0;
    // Only the live value changed (every tick while it is shown).
    virtual void showLiveText(const QString &text) = 0;
    virtual void focusBox(InputBox box) = 0;
};

// Input is Lvdt or analog: the two have the same interface.
template <typename Input>
class InputSetupTool : public LiveValueSink {
  public:
    void setView(InputSetupView *view) { view_ = view; }

    const QString &text(InputBox box) const { return boxes_[index(box)]; }
    // The number of the input shown; the live value reads this input.
    const QString &currentText() const { return currentText_; }
    const QString &liveText() const { return liveText_; }
    // False while there is no input to edit (a setup without such inputs).
    bool boxesEnabled() const { return boxesEnabled_; }
    bool modified() const { return modified_; }
    // The status line: "Probe 2 programmed" until the next edit, instead of a box.
    const QString &statusText() const { return status_; }
    bool showChecked() const { return showChecked_; }
    bool autoIncChecked() const { return autoIncChecked_; }

    int current() const { return current_; }
    // The live gate: the input shown when "Show Current Value" was ticked; 0 off.
    int liveGate() const { return liveGate_; }
    bool isOpen() const { return open_; }

    // The setup changed: a replaced setup is shown at the current input (the last one when
    // there are fewer); a change of the input shown from elsewhere (a probe's full scale from
    // the calibration) shows it unless the operator is editing it.
    void setupChanged(const SetupChange &change);

    // The operator changed a box's text (the boxes' change handlers; the zero box too).
    void editBox(InputBox box, const QString &text);

    // LiveValueSink: the reading follows the input shown, whichever was shown at the tick.
    Source liveSource() const override { return source_; }
    int liveNumber() const override { return liveGate_ != 0 ? current_ : 0; }
    void showLiveValue(const QString &text, std::optional<float> reading) override;

  protected:
    InputSetupTool(const DialogContext &context, Source source);

    int count() const;
    Input *input() const;
    // Current input = n, then display; asks nothing.
    void setCurrent(int n);
    // The setup shrank to n inputs while the dialog was on a later one: the dialog and its
    // live value follow, so the tick never reads an input that is gone.
    void shrankTo(int n);
    // Fills the boxes from the current input's object (its held values, also while the unit
    // is lost); boxes disabled without an input.
    void display();
    // Writes the boxes into the input's object; only edited numbers are converted and sent.
    // False, with a message and the focus in the box, when an edited number is refused: then
    // nothing is written.
    bool program();
    // Form_Load: the first opening shows input 1; a smaller setup its last input.
    void load();
    // The close that went through: the live value stops and the boxes uncheck.
    void closed();
    // Whether a change concerns the input shown (probe, amplifier or analog input n).
    bool concernsShown(const SetupChange &change) const;
    void setShowCurrentValue(bool checked);
    void setAutoInc(bool checked) { autoIncChecked_ = checked; }
    void refresh();

    Prompter &prompter_;
    int current_ = 0;  // 0 only before the first opening or without inputs

  private:
    static constexpr std::size_t index(InputBox box) { return static_cast<std::size_t>(box); }
    void setLiveText(const QString &text);
    // The number in an edited box, or a message naming the box.
    std::optional<float> number(InputBox box);
    void refuse(InputBox box, const QString &message);

    Setup &setup_;
    AppState &state_;
    QLocale locale_;
    Source source_;
    InputSetupView *view_ = nullptr;
    QString status_;
    bool modified_ = false;
    // Boxes edited since the input was shown or programmed: only those are converted; the
    // others keep the object's exact values.
    std::array<bool, kInputBoxCount> touched_{};
    std::array<QString, kInputBoxCount> boxes_;
    QString currentText_;
    QString liveText_;
    bool boxesEnabled_ = false;
    bool showChecked_ = false;     // the box, unchecked whenever the dialog is closed
    bool autoIncChecked_ = false;  // likewise
    int liveGate_ = 0;
    bool open_ = false;
    bool programming_ = false;  // its own change of the setup is not news to it
};

// Where each kind of input lives in the setup.
template <>
int InputSetupTool<Lvdt>::count() const;
template <>
Lvdt *InputSetupTool<Lvdt>::input() const;
template <>
int InputSetupTool<analog>::count() const;
template <>
analog *InputSetupTool<analog>::input() const;

extern template class InputSetupTool<Lvdt>;
extern template class InputSetupTool<analog>;

}  // namespace zelapp
