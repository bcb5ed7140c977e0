// Brevane - small helpers of the windows.
#include "shell/ShellHelpers.h"

#include "platform/Latin1.h"
#include "shell/frmStartup.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QWidget>

#include <vector>

namespace shell {
namespace {

constexpr std::string_view kEllipsis = "...";

std::vector<std::string> splitPath(const std::string& path)
{
    std::vector<std::string> parts;
    std::string current;
    for (char c : path) {
        if (c == '/') {
            parts.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    parts.push_back(current);
    return parts;
}

}  // namespace

void RefreshWindow(QWidget*& window)
{
    if (!window)
        window = frmStartup::instance();
    if (window)
        window->repaint();
}

void RefreshWindowFrame(QWidget* window)
{
    if (!window)
        return;
    // Re-polishing makes the style recompute the frame and margins in place.
    window->style()->unpolish(window);
    window->style()->polish(window);
    window->updateGeometry();
    window->update();
}

void addCommandButtons(QWidget& dialog, QBoxLayout& row, std::span<const CommandButton> buttons,
                       std::span<QPushButton*> created, const std::function<void(int)>& onClick)
{
    for (std::size_t n = 0; n < buttons.size(); ++n) {
        const int i = static_cast<int>(n);
        auto* b = new QPushButton(QString::fromLatin1(buttons[n].caption), &dialog);
        b->setObjectName(QStringLiteral("Command1_%1").arg(i));
        if (buttons[n].toolTip != nullptr)
            b->setToolTip(QString::fromLatin1(buttons[n].toolTip));
        b->setAutoDefault(false);
        QObject::connect(b, &QPushButton::clicked, &dialog, [onClick, i] { onClick(i); });
        created[n] = b;
        row.addWidget(b);
    }
}

bool closeWhenIdle(QObject& window, QCloseEvent& event, std::function<void()> unload)
{
    frmStartup* main = frmStartup::instance();
    if (main == nullptr || !main->operationRunning())
        return false;
    event.ignore();
    QPointer<QObject> self(&window);
    main->runWhenIdle([self, unload = std::move(unload)] {
        if (self)
            unload();
    });
    return true;
}

DocumentCloseResult closeDocumentWindow(QObject& window, QCloseEvent& event, bool unloaded, bool& asking,
                                        const DocumentClose& steps)
{
    if (unloaded) {
        event.accept();
        return DocumentCloseResult::Closed;
    }
    if (closeWhenIdle(window, event, steps.unload))
        return DocumentCloseResult::PutOff;
    if (steps.held || asking) {
        event.ignore();
        return DocumentCloseResult::Refused;
    }
    asking = true;
    const bool ok = steps.queryUnload();
    asking = false;
    if (!ok) {
        event.ignore();
        return DocumentCloseResult::Cancelled;
    }
    steps.formUnload();
    event.accept();
    return DocumentCloseResult::Closed;
}

void closeAsUser(QWidget& window, QWidget* subWindow)
{
    if (subWindow != nullptr)
        subWindow->close();
    else
        window.close();
}

std::string compactPath(const std::string& path, std::size_t maxChars)
{
    if (platform::letterCount(path) <= maxChars)
        return path;
    const std::vector<std::string> parts = splitPath(path);
    const std::string& file = parts.back();
    // "<head>/.../<tail>", with the head the first folder ("/home" or "C:").
    const std::string head = parts.size() > 2 ? parts[0] + (parts[0].empty() ? "/" + parts[1] : std::string()) : "";
    const std::size_t firstTail = parts.size() > 2 && parts[0].empty() ? 2 : 1;
    for (const std::string& lead : {head, std::string()}) {
        std::string best;
        std::string tail = file;
        for (std::size_t i = parts.size() - 1;; --i) {
            const std::string candidate = lead + "/" + std::string(kEllipsis) + "/" + tail;
            if (platform::letterCount(candidate) > maxChars)
                break;
            best = candidate;
            if (i <= firstTail)
                break;
            tail = parts[i - 1] + "/" + tail;
        }
        if (!best.empty())
            return lead.empty() ? best.substr(1) : best;
    }
    // Not even ".../<file>" fits: the start of the file name.
    if (maxChars <= kEllipsis.size())
        return std::string(kEllipsis.substr(0, maxChars));
    return platform::leftLetters(file, maxChars - kEllipsis.size()) + std::string(kEllipsis);
}

std::string recentFileCaption(std::size_t n, const std::string& path)
{
    return std::to_string(n) + " " + compactPath(path);
}

}  // namespace shell
