// Brevane - F1 in a dialog does what the dialog's Help button does.
#pragma once

#include <QObject>

class QAbstractButton;
class QDialog;

namespace shell {

// Watches the keys of the whole program (the help service installs it on the
// application): F1 pressed in a dialog that has a Help button (Options, MIDI Devices, the
// open and save dialogs, Find, the duplicate search and grouping dialogs) clicks that
// button, so the dialog's own topic comes up above it as it does from the button, modal or
// not. F1 anywhere else is left to whoever handles it (a menu's item help).
class DialogHelpKey final : public QObject {
public:
    using QObject::QObject;

    // The dialog's visible Help button (a button box's help button, or one captioned
    // "Help"), or nullptr.
    [[nodiscard]] static QAbstractButton* helpButtonOf(const QDialog& dialog);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace shell
