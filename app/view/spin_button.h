// A spin button: two arrows and nothing else. It has no value of its own; the dialog that
// owns it gives its two events their meaning (down for the previous item, up for the next).
// The mouse presses an arrow; with the focus, the Up and Down keys do the same, and so they do
// in the box that shows the number the spin steps.
//
// A step may ask or refuse in a message box. The box's own loop must not run further steps
// under it: while a step is handled no other starts, and a box that opens ends the arrow's
// repeat and a held key's, so that one box stands for one step. A fresh press steps again.
#pragma once

#include <QWidget>

class QKeyEvent;
class QToolButton;

namespace zelapp {

class SpinButton : public QWidget {
    Q_OBJECT
  public:
    explicit SpinButton(QWidget *parent = nullptr);

    QSize sizeHint() const override;

    // Up and Down in `box` step as they do on the spin itself.
    void takeArrowKeysOf(QWidget *box);

  signals:
    void spinUp();
    void spinDown();

  protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

  private:
    // True when the key was Up or Down, whether it stepped or was a repeat that no longer does.
    bool stepByKey(const QKeyEvent &event);
    void step(bool up);
    void stopRepeat();

    QToolButton *up_;
    QToolButton *down_;
    bool stepping_ = false;
    bool keyRepeatStopped_ = false;  // until the key is pressed afresh
};

}  // namespace zelapp
