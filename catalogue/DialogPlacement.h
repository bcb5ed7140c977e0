// Brevane - where the catalogue dialogs and their progress windows appear.
//
// Each places its frame at fractions of the main window's width and height, measured from
// the main window's top left corner (so they stay over the program on any screen), or of
// the screen's; always whole on the screen (shell/WindowPlacement.h).
#pragma once

#include "shell/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace shell {

// Twips (the designed unit of small offsets) per logical pixel.
constexpr int kDialogTwipsPerPixel = 15;

// Places window so its frame's left edge lies at fx of the main window's width and its top
// edge at fy of its height, or topPixels below the main window's top when topPixels >= 0.
inline void placeOverMainWindow(QWidget& window, const QWidget* mainWindow, double fx, double fy, int topPixels = -1)
{
    if (mainWindow == nullptr)
        return;
    const QRect frame = mainWindow->frameGeometry();
    const int left = frame.left() + static_cast<int>(fx * frame.width());
    const int top = topPixels >= 0 ? frame.top() + topPixels : frame.top() + static_cast<int>(fy * frame.height());
    placeFrame(window, {left, top}, mainWindow);
}

// Places window's frame at fx of the screen's width and fy of its height (the screen of
// mainWindow, else the primary screen).
inline void placeOnScreen(QWidget& window, const QWidget* mainWindow, double fx, double fy)
{
    QScreen* screen = mainWindow != nullptr ? mainWindow->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    const QRect area = screen->availableGeometry();
    const QPoint corner(area.left() + static_cast<int>(fx * area.width()), area.top() + static_cast<int>(fy * area.height()));
    placeFrame(window, corner, mainWindow);
}

}  // namespace shell
