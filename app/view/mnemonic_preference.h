// Two controls of a window whose captions underline the same letter: Qt takes such an Alt key
// as ambiguous and only moves the focus between them, one press each. A window that keeps both
// captions names the control the key acts on, and the key then acts on it at the first press,
// wherever Qt delivered it; while that control is disabled or hidden the others keep the key.
#pragma once

#include <QKeySequence>
#include <QObject>
#include <initializer_list>

class QAbstractButton;
class QWidget;

namespace zelapp {

class MnemonicPreference : public QObject {
    Q_OBJECT
  public:
    // `key` (Alt and the letter) presses `target`; `others` are the controls sharing the letter.
    // The object lives as long as `target`.
    MnemonicPreference(const QKeySequence &key, QAbstractButton *target,
                       std::initializer_list<QWidget *> others);

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    QKeySequence key_;
    QAbstractButton *target_;
};

}  // namespace zelapp
