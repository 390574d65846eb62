#pragma once
// Keeps every window inside the available area of its screen. Window definitions give fixed sizes and
// positions in pixels; on a small screen, or with a scale factor, such a window would open partly or
// mostly off screen where it cannot be reached.

#include <QObject>

class QWidget;

namespace lumora::skin {

// Moves `window` inside the available area of its screen, first making it smaller where it is larger than
// that area (as far as its minimum size allows).
void fitIntoScreen(QWidget* window);

// From now on every window is fitted when it is shown (menus, tooltips and other popups place themselves).
// Calling it again changes nothing.
void keepWindowsOnScreen();

}  // namespace lumora::skin
