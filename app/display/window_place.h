// A top-level window's place in twips: its outer rectangle (frame included) at the screen's
// logical DPI, read and applied so that a place read back and applied again does not move or
// grow the window.
#pragma once

#include "setup/window_geometry.h"

class QString;
class QWidget;

namespace zelapp {

// Logical DPI of the screen the window is on (96 when it has none).
double windowDpi(const QWidget &window);

// Top, Left, Height, Width of the outer rectangle, in twips held to 16 bits.
WindowGeometry windowPlace(const QWidget &window);

// Moves the outer rectangle to the place; the frame the window has now is taken off the
// stored outer size.
void applyWindowPlace(QWidget &window, const WindowGeometry &place);

// The program's icon, zelicon.ico in the program folder, as the window's icon. A missing or
// unreadable file leaves the platform's default icon; it never stops a window from loading.
void applyProgramIcon(QWidget &window, const QString &programFolder);

// Neither minimised nor maximised: only then is a place stored or restored.
bool isNormalWindow(const QWidget &window);

}  // namespace zelapp
