// The result window: the part's verdict in large letters with its symbol and colour, one tile per
// characteristic, the reason of a Not valid part, the cycle's state and the counters, read at
// two or three metres. What it shows is the headless ResultBoard; the window only draws it, at
// font sizes it fits to the space it has (result_sizing.h), so that nothing is clipped at any
// size. It stands where it stood last (the per-user settings store), F11 makes it full screen.
// A part out of control shows a panel of its own asking for the cause (never a modal box: the
// cycles go on), which ProcessWatch stores.
#pragma once

#include <QString>
#include <QWidget>
#include <memory>
#include <vector>

#include "part/out_of_control.h"
#include "part/result_board.h"
#include "view/window_context.h"

class QFrame;
class QLabel;

namespace Ui {
class FormPartResult;
}

namespace zelapp {

class ToleranceBarView;
class WindowPlacer;

class FormPartResult : public QWidget {
    Q_OBJECT
  public:
    explicit FormPartResult(const WindowContext &context, QWidget *parent = nullptr);
    ~FormPartResult() override;

    // Shows the window where and as it stood last (maximised, full screen), raised.
    void showWindow();
    // Measure as the operator gives it: with the part ID when the program asks for one (none:
    // the window shows itself with the focus in the box). Empty when the cycle started, else
    // the refusal's line ("Measure refused: busy"), also shown in the window.
    QString measure();
    // Escape: cancels a running cycle, else closes the window.
    void escape();
    void toggleFullScreen();
    // Reads the cycle, the program and the settings again.
    void refresh();
    const ResultBoard &board() const { return board_; }
    // Keeps the window's place and how it is shown in the settings store.
    void storePlace();

  signals:
    // Measure was given here or through measure(): the refusal's line, empty when it started.
    void measureAnswered(const QString &refusal);
    // A new verdict was told to screen readers (QAccessible::NameChanged on the verdict label).
    void verdictAnnounced();

  protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    struct Tile {
        int channel = 0;
        QFrame *frame = nullptr;
        QLabel *caption = nullptr;
        QLabel *value = nullptr;
        QLabel *mark = nullptr;
        ToleranceBarView *bar = nullptr;
    };

    void rebuildTiles();
    void showBoard();
    // The texts around the verdict follow the window's height.
    void fitTextFonts();
    void fitVerdict();
    void placeTiles();
    void showMessage(const QString &text);
    // The out-of-control panel: the part whose cause is asked for, and saving it.
    void showCausePanel();
    void saveCause();

    std::unique_ptr<Ui::FormPartResult> ui_;
    const WindowContext context_;
    WindowPlacer *placer_;  // a child of the window
    ResultBoard board_;
    qint64 dfqWaiting_ = 0;  // the parts the DFQ export holds back, as it last told
    QString dfqCause_;       // and why
    std::vector<Tile> tiles_;
    bool placed_ = false;        // the stored place was applied
    qint64 announced_ = 0;       // the count of the last part told to screen readers
    QString pendingId_;          // the identifier given for the next part put on
    bool refusalShown_ = false;  // the message line says why a Measure was refused
    CausePanel causePanel_;      // as shown
    QString toldOutOfControl_;   // the panel's line as last told to screen readers
};

}  // namespace zelapp
