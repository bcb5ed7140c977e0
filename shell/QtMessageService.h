// Brevane - message boxes and input boxes as Qt dialogs.
#pragma once

#include "platform/Services.h"

#include <QMessageBox>

#include <functional>
#include <memory>
#include <vector>

class QWidget;

namespace shell {

class QtMessageService final : public platform::MessageService {
public:
    // Shown over parentProvider() (the main window), or centred on the screen when it
    // gives nullptr.
    explicit QtMessageService(std::function<QWidget*()> parentProvider = {});

    platform::MsgAnswer messageBox(const std::string& text, int style, const std::string& title) override;
    std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                        const std::string& defaultText) override;

    // The icon, buttons and default button for a style number, without showing anything.
    struct BoxLayout {
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        std::vector<QMessageBox::StandardButton> buttons;  // in the order they are shown
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
        QMessageBox::StandardButton escapeButton = QMessageBox::NoButton;
    };
    [[nodiscard]] static BoxLayout layoutFor(int style);
    [[nodiscard]] static platform::MsgAnswer answerFor(QMessageBox::StandardButton button);
    // The box as it would be shown (not yet executed); the caller owns it.
    [[nodiscard]] QMessageBox* makeBox(const std::string& text, int style, const std::string& title) const;

private:
    std::function<QWidget*()> m_parent;
};

}  // namespace shell
