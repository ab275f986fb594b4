// The link pop-up of the bar window: a small menu-like window with "Copy" (the channel's value
// and its live link to the clipboard) and the greyed "Paste" and "Paste Link". The main window
// fills the link state in AppState and shows it at the click; it is made once, then shown and
// hidden.
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class DlgCopyLink;
}

namespace zelapp {

struct AppState;

class DlgCopyLink : public QDialog {
    Q_OBJECT
  public:
    explicit DlgCopyLink(AppState &state, QWidget *parent = nullptr);
    ~DlgCopyLink() override;

    // Shows the pop-up modally with its top-left corner at the screen point (in twips); returns
    // once it is hidden again.
    void ShowDialogCopyAt(float x, float y);
    // "Copy": puts the value and its link on the clipboard when there is a value, then hides.
    void Label1_Click();

  signals:
    // F1: the pop-up closes and the manual shows its section.
    void helpRequested();

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

  private:
    std::unique_ptr<Ui::DlgCopyLink> ui_;
    AppState &state_;
};

}  // namespace zelapp
