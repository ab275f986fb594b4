// A dialog the dialog host shows: its load steps run at every opening, and every way out (the
// close box, Escape, its own Done or Cancel) goes through the one close question. F1 asks for
// its help, which the host knows the topic of.
#pragma once

#include <QDialog>

namespace zelapp {

class HostedDialog : public QDialog {
    Q_OBJECT
  public:
    explicit HostedDialog(QWidget *parent = nullptr);

    // Fills the dialog for this opening (the window's load and activation).
    virtual void openDialog() = 0;

    // Escape and the close box arrive here; the dialog stays open when its question says so.
    void reject() override {
        if (queryUnload()) {
            QDialog::reject();
        }
    }

  signals:
    void helpRequested();

  protected:
    // The dialog's close question; false keeps it open.
    virtual bool queryUnload() = 0;
};

}  // namespace zelapp
