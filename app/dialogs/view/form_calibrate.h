// The amplifier calibration window: a thin form over CalibrateTool, which holds its state and
// logic. Object names are the dialog's control names. Made once and only hidden afterwards.
#pragma once

#include <QPoint>
#include <QString>
#include <memory>

#include "dialogs/calibrate.h"
#include "view/hosted_dialog.h"

class QProgressDialog;
class QScrollBar;

namespace Ui {
class FormCalibrate;
}

namespace zelapp {

class FormCalibrate : public HostedDialog, public CalibrateView {
    Q_OBJECT
  public:
    FormCalibrate(CalibrateTool &tool, const QString &programFolder, QWidget *parent = nullptr);
    ~FormCalibrate() override;

    // Tunes the probe's amplifier: the dialog's top-left corner at the screen point (x, y) in
    // twips, or as near it as keeps the dialog wholly on that point's screen, beside the bar
    // under that point when the screen has room there, shown modally;
    // returns once it is hidden again. A probe the setup does not have opens nothing.
    void ShowCalibrateAt(int probe, float x, float y);

    void openDialog() override;
    void reject() override;

    // CalibrateView
    void refresh() override;
    void storeStarted() override;
    void storeProgress(const QString &text) override;
    void storeEnded() override;
    void focusBox(bool fullScale) override;

  protected:
    bool queryUnload() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    QScrollBar *bar(CalibrateTool::Bar which) const;
    void connectBars();
    void showBars();
    void showBoxes();
    // The dialog's top-left corner, frame included, for a click at `click` in pixels.
    QPoint placeAt(QPoint click);
    // A box was left for another control of this dialog: its edit is committed or refused.
    void focusMoved(QWidget *old, QWidget *now);

    std::unique_ptr<Ui::FormCalibrate> ui_;
    CalibrateTool &tool_;
    QProgressDialog *progress_ = nullptr;  // only while the unit stores
    QMetaObject::Connection focusWatch_;
    bool checkingBox_ = false;   // a refusal moves the focus back: not a leave
    bool closing_ = false;       // Escape and the close box commit nothing
    bool pressRefused_ = false;  // the press that left a refused box is dropped
};

}  // namespace zelapp
