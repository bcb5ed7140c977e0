// Brevane - where the MIDI set-up windows appear: centred over the main window, whole on
// the screen (shell/WindowPlacement.h).
#pragma once

#include "shell/WindowPlacement.h"

#include <QWidget>

namespace shell {

// Places window so that the centre of its frame lies over the centre of mainWindow's
// (nothing without one).
inline void centreOverMainWindow(QWidget& window, const QWidget* mainWindow)
{
    if (mainWindow == nullptr)
        return;
    window.adjustSize();
    const QSize size = frameSize(window, mainWindow);
    placeFrame(window, mainWindow->frameGeometry().center() - QPoint(size.width() / 2, size.height() / 2), mainWindow);
}

}  // namespace shell
