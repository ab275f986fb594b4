// Window places are kept in twips (1/1440 inch) so that a stored place means the same on any
// screen; the windows convert with the screen's logical DPI.
#pragma once

namespace zelapp {

constexpr int kTwipsPerInch = 1440;

// Nearest pixel for a distance in twips at `dpi` logical dots per inch.
int twipsToPixels(double twips, double dpi);
// Nearest twips for a distance in pixels, held to the 16-bit range the files store.
int pixelsToTwips(double pixels, double dpi);
// A twips value held to -32768..32767 (very large screens), nearest integer.
int clampTwips(double twips);

}  // namespace zelapp
