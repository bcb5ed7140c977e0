// Brevane - where the MIDI set-up windows appear: centred over the main window.
#pragma once

#include <QWidget>

namespace shell {

// Moves window so that its centre lies over the centre of mainWindow (nothing without one).
inline void centreOverMainWindow(QWidget& window, const QWidget* mainWindow)
{
    if (mainWindow == nullptr)
        return;
    window.adjustSize();
    const QRect frame = mainWindow->frameGeometry();
    window.move(frame.center() - QPoint(window.width() / 2, window.height() / 2));
}

}  // namespace shell
