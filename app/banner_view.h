// The banner gadgets of the main window (still picture, caption button and
// scrolling strip) and the animated picture view of the about window.
#pragma once

#include <string>

class QLabel;
class QWidget;

namespace kestrova {

class MainWindow;

// The banner's top-left corner in the main window's central area for the
// window's current layout: at the left margin, in the bottom margin.
int BannerX(const MainWindow& window);
int BannerY(const MainWindow& window);

// One animation step: the strip view shows the next part of the strip.
// Nothing when the window has no banner.
void ScrollBanner(MainWindow& window);
// The scroll offset of the window's banner (-1 when it has none).
int BannerOffset(const MainWindow& window);

// A view of an animated GIF at (x, y) in its own size, over the background
// colour (hexadecimal RGB, e.g. "FFFFFF"); it takes no clicks. Returns
// nullptr, creating nothing, when the file is missing, empty or not a GIF.
QLabel* AnimatedPictureView(QWidget* parent, int x, int y, const std::string& colour, const std::string& path);

}  // namespace kestrova
