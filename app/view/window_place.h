// A top-level window's place in twips: its outer rectangle (frame included) at the screen's
// logical DPI, read and applied so that a place read back and applied again does not move or
// grow the window.
#pragma once

#include <QMargins>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <optional>

#include "setup/window_geometry.h"

class QString;
class QWidget;
class QWindow;

namespace zelapp {

// Logical DPI of the screen the window is on (96 when it has none).
double windowDpi(const QWidget &window);

// Top, Left, Height, Width of the outer rectangle, in twips held to 16 bits.
WindowGeometry windowPlace(const QWidget &window);

// Puts a display window at stored places and tells which place to store. The window manager's
// frame is known only once the window is on screen (before that the window has none), so a
// place applied earlier is applied again at the window's first exposure with the real frame;
// without that the window would get the outer size as its client size and grow by its frame
// in every session.
class WindowPlacer : public QObject {
  public:
    explicit WindowPlacer(QWidget &window);

    // Moves and sizes the window so that its outer rectangle is `place`, or as near as its
    // minimum size allows.
    void restore(const WindowGeometry &place);
    // The place to store now: the restored place while the window stands where it was put,
    // else its outer rectangle. Either becomes the place the window is taken to stand at.
    WindowGeometry placeToStore();

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    bool onScreen() const;
    void apply();

    QWidget &window_;
    QPointer<QWindow> watched_;            // the native window whose exposure is awaited
    std::optional<WindowGeometry> place_;  // where the window was put or last stored
    QRect client_;                         // its client rectangle then
    QMargins frame_;                       // the frame seen when it was last on screen
    bool framePending_ = false;            // applied without knowing the frame
};

// The program's icon, zelicon.ico in the program folder, as the window's icon. A missing or
// unreadable file leaves the platform's default icon; it never stops a window from loading.
void applyProgramIcon(QWidget &window, const QString &programFolder);

// Neither minimised nor maximised: only then is a place stored or restored.
bool isNormalWindow(const QWidget &window);

}  // namespace zelapp
