// A spin button: two arrows and nothing else. It has no value of its own; the dialog that
// owns it gives its two events their meaning (down for the previous item, up for the next).
// The mouse presses an arrow; with the focus, the Up and Down keys do the same.
#pragma once

#include <QWidget>

class QToolButton;

namespace zelapp {

class SpinButton : public QWidget {
    Q_OBJECT
  public:
    explicit SpinButton(QWidget *parent = nullptr);

    QSize sizeHint() const override;

  signals:
    void spinUp();
    void spinDown();

  protected:
    void keyPressEvent(QKeyEvent *event) override;

  private:
    QToolButton *up_;
    QToolButton *down_;
};

}  // namespace zelapp
