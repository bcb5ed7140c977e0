// Brevane - where the program's own windows appear.
#include "shell/WindowPlacement.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace shell {
namespace {

QMargins marginsOf(const QWidget& window)
{
    const QRect frame = window.frameGeometry();
    const QRect client = window.geometry();
    return {client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
            frame.bottom() - client.bottom()};
}

// The available area of the screen the frame lands on, else of reference's, else of the
// primary screen (empty without any screen).
QRect availableArea(const QRect& frame, const QWidget* reference)
{
    QScreen* screen = QGuiApplication::screenAt(frame.center());
    if (screen == nullptr)
        screen = QGuiApplication::screenAt(frame.topLeft());
    if (screen == nullptr && reference != nullptr)
        screen = reference->screen();
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry() : QRect();
}

// Moves frame as little as needed into area; the top left corner wins over the rest.
QRect keptWithin(QRect frame, const QRect& area)
{
    frame.moveLeft(std::max(area.left(), std::min(frame.left(), area.right() + 1 - frame.width())));
    frame.moveTop(std::max(area.top(), std::min(frame.top(), area.bottom() + 1 - frame.height())));
    return frame;
}

}  // namespace

QMargins frameMargins(const QWidget& window, const QWidget* reference)
{
    const QMargins own = marginsOf(window);
    if (!own.isNull() || reference == nullptr || !reference->isVisible())
        return own;
    return marginsOf(*reference);
}

QSize frameSize(QWidget& window, const QWidget* reference)
{
    if (!window.isVisible() && !window.testAttribute(Qt::WA_Resized))
        window.adjustSize();
    return window.size().grownBy(frameMargins(window, reference));
}

void placeFrame(QWidget& window, QPoint frameTopLeft, const QWidget* reference)
{
    const QSize size = frameSize(window, reference);
    QRect frame(frameTopLeft, size);
    const QRect area = availableArea(frame, reference);
    if (!area.isEmpty())
        frame = keptWithin(frame, area);
    const QMargins margins = frameMargins(window, reference);
    if (margins.isNull()) {
        // No frame known: where the window system can, it puts the frame at a position
        // given before the first show.
        window.move(frame.topLeft());
        return;
    }
    window.setGeometry(QRect(frame.topLeft() + QPoint(margins.left(), margins.top()), window.size()));
}

}  // namespace shell
