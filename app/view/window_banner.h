// Large words across a whole window, over everything in it: what the display windows say when
// their values are not live. Transparent to the mouse, so the window underneath still takes
// clicks; it follows the window's size by itself. The window raises it again after making
// children of its own, which would otherwise stack above it.
#pragma once

#include <QColor>
#include <QLabel>
#include <QString>

namespace zelapp {

class WindowBanner : public QLabel {
    Q_OBJECT
  public:
    // A hidden banner over `window`, its parent.
    explicit WindowBanner(QWidget &window);

    // Shows the words in the colour across the window; an empty text hides the banner.
    void showWords(const QString &words, const QColor &colour);

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

}  // namespace zelapp
