// Brevane - message boxes and input boxes as Qt dialogs.
#include "shell/QtMessageService.h"

#include "platform/Latin1.h"

#include <QApplication>
#include <QInputDialog>
#include <QPushButton>

namespace shell {
namespace {

constexpr int kDefaultButtonMask = 0x300;  // 0 first, 256 second, 512 third button
constexpr int kDefaultButtonShift = 8;

// Line breaks arrive as CR LF; Qt wants LF.
QString displayText(const std::string& text)
{
    QString s = platform::fromText(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

QString displayTitle(const std::string& title)
{
    return title.empty() ? QApplication::applicationName() : platform::fromText(title);
}

}  // namespace

QtMessageService::QtMessageService(std::function<QWidget*()> parentProvider) : m_parent(std::move(parentProvider)) {}

QtMessageService::BoxLayout QtMessageService::layoutFor(int style)
{
    using B = QMessageBox::StandardButton;
    BoxLayout layout;
    switch (style & platform::MsgStyle::IconMask) {
    case platform::MsgStyle::Critical: layout.icon = QMessageBox::Critical; break;
    case platform::MsgStyle::Question: layout.icon = QMessageBox::Question; break;
    case platform::MsgStyle::Exclamation: layout.icon = QMessageBox::Warning; break;
    case platform::MsgStyle::Information: layout.icon = QMessageBox::Information; break;
    default: layout.icon = QMessageBox::NoIcon; break;
    }
    switch (style & platform::MsgStyle::ButtonMask) {
    case platform::MsgStyle::OkCancel: layout.buttons = {B::Ok, B::Cancel}; break;
    case 2: layout.buttons = {B::Abort, B::Retry, B::Ignore}; break;
    case platform::MsgStyle::YesNoCancel: layout.buttons = {B::Yes, B::No, B::Cancel}; break;
    case platform::MsgStyle::YesNo: layout.buttons = {B::Yes, B::No}; break;
    case 5: layout.buttons = {B::Retry, B::Cancel}; break;
    default: layout.buttons = {B::Ok}; break;
    }
    const std::size_t defaultIndex = static_cast<std::size_t>((style & kDefaultButtonMask) >> kDefaultButtonShift);
    layout.defaultButton = layout.buttons[defaultIndex < layout.buttons.size() ? defaultIndex : 0];
    // Esc answers Cancel where there is one, OK on a lone OK; Yes/No and Abort/Retry/Ignore
    // must be answered with a button.
    for (B b : layout.buttons)
        if (b == B::Cancel)
            layout.escapeButton = b;
    if (layout.buttons.size() == 1)
        layout.escapeButton = layout.buttons.front();
    return layout;
}

platform::MsgAnswer QtMessageService::answerFor(QMessageBox::StandardButton button)
{
    using A = platform::MsgAnswer;
    switch (button) {
    case QMessageBox::Ok: return A::Ok;
    case QMessageBox::Cancel: return A::Cancel;
    case QMessageBox::Abort: return A::Abort;
    case QMessageBox::Retry: return A::Retry;
    case QMessageBox::Ignore: return A::Ignore;
    case QMessageBox::Yes: return A::Yes;
    case QMessageBox::No: return A::No;
    default: return A::Cancel;
    }
}

QMessageBox* QtMessageService::makeBox(const std::string& text, int style, const std::string& title) const
{
    const BoxLayout layout = layoutFor(style);
    QWidget* parent = m_parent ? m_parent() : nullptr;
    auto* box = new QMessageBox(layout.icon, displayTitle(title), displayText(text), QMessageBox::NoButton, parent);
    box->setTextFormat(Qt::PlainText);
    for (QMessageBox::StandardButton b : layout.buttons)
        box->addButton(b);
    box->setDefaultButton(layout.defaultButton);
    if (layout.escapeButton != QMessageBox::NoButton)
        box->setEscapeButton(layout.escapeButton);
    return box;
}

platform::MsgAnswer QtMessageService::messageBox(const std::string& text, int style, const std::string& title)
{
    std::unique_ptr<QMessageBox> box(makeBox(text, style, title));
    box->exec();
    QAbstractButton* clicked = box->clickedButton();
    QMessageBox::StandardButton pressed = clicked ? box->standardButton(clicked) : QMessageBox::NoButton;
    if (pressed == QMessageBox::NoButton) {
        // Closed from the window frame: the escape answer, else the default one.
        const BoxLayout layout = layoutFor(style);
        pressed = layout.escapeButton != QMessageBox::NoButton ? layout.escapeButton : layout.defaultButton;
    }
    return answerFor(pressed);
}

std::optional<std::string> QtMessageService::inputBox(const std::string& prompt, const std::string& title,
                                                      const std::string& defaultText)
{
    bool ok = false;
    const QString text = QInputDialog::getText(m_parent ? m_parent() : nullptr, displayTitle(title),
                                               displayText(prompt), QLineEdit::Normal,
                                               platform::fromBytes(defaultText), &ok);
    if (!ok)
        return std::nullopt;
    return platform::toBytes(text);
}

}  // namespace shell
