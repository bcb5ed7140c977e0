// Brevane - help topics shown in the help window.
#pragma once

#include "platform/Services.h"
#include "shell/DialogHelpKey.h"

#include <QPointer>
#include <QString>

#include <functional>

class QWidget;

namespace shell {

class frmHelp;

class QtHelpService final : public platform::HelpService {
public:
    // The help window is made on first use, as a window of parentProvider() (the main
    // window), from the pages in pagesFolder (by default the ones built into the program).
    // While the service lives, F1 in a dialog does what the dialog's Help button does.
    explicit QtHelpService(std::function<QWidget*()> parentProvider = {},
                           QString pagesFolder = QStringLiteral(":/help"));
    ~QtHelpService() override;
    QtHelpService(const QtHelpService&) = delete;
    QtHelpService& operator=(const QtHelpService&) = delete;

    // "MDIMain.htm#FileOpen", "::/MDIMain.htm#FileOpen"; an empty topic shows the contents.
    void showHelp(const std::string& topic) override;
    void showIndex();
    void showSearch();

    // The help window, made when needed.
    [[nodiscard]] frmHelp& window();
    [[nodiscard]] bool windowOpen() const { return !m_window.isNull(); }

private:
    std::function<QWidget*()> m_parent;
    QString m_folder;
    QPointer<frmHelp> m_window;
    DialogHelpKey m_helpKey;
};

}  // namespace shell
