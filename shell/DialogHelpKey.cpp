// Brevane - F1 in a dialog does what the dialog's Help button does.
#include "shell/DialogHelpKey.h"

#include <QAbstractButton>
#include <QDialog>
#include <QDialogButtonBox>
#include <QKeyEvent>

namespace shell {

QAbstractButton* DialogHelpKey::helpButtonOf(const QDialog& dialog)
{
    for (QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) {
        if (button->window() != &dialog || !button->isVisibleTo(&dialog))
            continue;
        const auto* box = qobject_cast<const QDialogButtonBox*>(button->parentWidget());
        if ((box != nullptr && box->buttonRole(button) == QDialogButtonBox::HelpRole) ||
            button->text().remove(QLatin1Char('&')) == QLatin1String("Help"))
            return button;
    }
    return nullptr;
}

bool DialogHelpKey::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    if (key->key() != Qt::Key_F1 || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    // The key comes to the window first, then to the widget with the focus: the widget's
    // dialog decides.
    const auto* widget = qobject_cast<const QWidget*>(watched);
    const auto* dialog = widget != nullptr ? qobject_cast<const QDialog*>(widget->window()) : nullptr;
    if (dialog == nullptr)
        return false;
    QAbstractButton* help = helpButtonOf(*dialog);
    if (help == nullptr)
        return false;
    // Held down, the key repeats: the help is already up.
    if (!key->isAutoRepeat() && help->isEnabled())
        help->click();
    return true;
}

}  // namespace shell
