// Brevane - the splash window shown during start-up.
#pragma once

#include <QWidget>

namespace shell {

class frmSplash final : public QWidget {
    Q_OBJECT
public:
    explicit frmSplash(QWidget* parent = nullptr);

    // Places the window: left edge at half the main window's width less half its own
    // (screen coordinates, not corrected when negative), top edge 500 twips from the top
    // of the screen. Its size does not change.
    void Form_Load(int mainWindowWidth);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace shell
