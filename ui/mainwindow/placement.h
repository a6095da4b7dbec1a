// Placing a window on the screen: horizontally centred, one third of the free height above it
// and two thirds below. The main window uses it as CenterOnScreen, the about window as
// CenterForm.
#pragma once

#include <QRect>

class QWidget;

namespace veskar::ui {

struct TwipsPosition {
  float left = 0;
  float top = 0;
};

// left = (screen width - window width) / 2, top = (screen height - window height) / 3, in
// single precision, all sizes in twips, the window's outer size (frame and title bar included).
// No clamping: a window larger than the screen gets a negative position.
TwipsPosition centeredPosition(float screenWidth, float screenHeight, float windowWidth,
                               float windowHeight);

// Moves `form` (its outer frame) to centeredPosition within `screenArea` (pixels) at `dpi`;
// its size is unchanged. Before the window is first shown the platform may not know its frame
// yet; the frame then counts as nothing.
void placeOnScreen(QWidget& form, const QRect& screenArea, double dpi);

// placeOnScreen on the form's screen (the primary screen before it has one), after making the
// form's native window so that its frame counts where the platform knows it before the window
// is shown. False, and the form not moved, when there is no screen.
bool CenterOnScreen(QWidget& form);
bool CenterForm(QWidget& form);

}  // namespace veskar::ui
