// Brevane - where the program's own windows appear: placed by their frame (title bar and
// borders), whole within the available area of a screen, so none opens with its title bar
// out of reach.
//
// A window that has never been shown has no frame yet: its frame is taken to be like that
// of the reference window (normally the main window, which the window system frames
// alike), and the client area is placed inside it.
#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace shell {

// The margins that window's frame adds around its client area: its own once the window
// system has framed it, else those of reference, else none.
[[nodiscard]] QMargins frameMargins(const QWidget& window, const QWidget* reference);

// The size window's frame has (or will have when shown). A window never shown and never
// resized first takes the size that showing it would give.
[[nodiscard]] QSize frameSize(QWidget& window, const QWidget* reference);

// Places window so that the top left corner of its frame lies at frameTopLeft, moved as
// little as needed to keep the whole frame within the available area of the screen it
// lands on (else reference's screen, else the primary one). A frame larger than the area
// keeps its top left corner, and so its title bar, inside.
void placeFrame(QWidget& window, QPoint frameTopLeft, const QWidget* reference);

// rect shrunk to area where it is larger (never below minimum) and then moved as little as
// needed to lie within it; when it still cannot, its top left corner stays inside.
[[nodiscard]] QRect fittedWithin(QRect rect, const QRect& area, QSize minimum);

// The width a window needs for its whole title in the window system's title bar: the
// title set bold, as title bars mostly set it, with a fifth to spare, beside the bar's
// icon and three buttons.
[[nodiscard]] int titleBarWidth(const QWidget& window);

// Places a window that can be resized (the main window, the help window) with its client
// area at client as far as the screen allows: its whole frame within the available area,
// the frame shrunk to the area first where it is larger, down to the window's minimum
// size. Until the window system has framed the window, its frame is taken to be like
// reference's, else estimated; the window is placed again by its own frame once it has
// one (the window system may frame it only after it is shown).
void fitFrame(QWidget& window, const QRect& client, const QWidget* reference);

}  // namespace shell
