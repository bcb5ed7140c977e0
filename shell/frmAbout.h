// Brevane - the About box, which can also start the system's information tool.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

#include <optional>

class QLabel;
class QPushButton;

namespace shell {

// System-information programs looked for on the PATH, in this order.
inline const QStringList kSystemInfoTools = {QStringLiteral("hardinfo2"), QStringLiteral("hardinfo"),
                                             QStringLiteral("kinfocenter"), QStringLiteral("lshw-gtk"),
                                             QStringLiteral("sysinfo")};

class frmAbout final : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

    // The first system-information program found in the folders of searchPath (a PATH
    // value, folders separated by ':'), as a full path.
    [[nodiscard]] static std::optional<QString> findSystemInfoTool(const QString& searchPath);
    // Starts the system-information program found on the PATH; when there is none, or it
    // cannot be started, shows "System Information Is Unavailable At This Time".
    // True when a program was started.
    bool StartSysInfo();

    [[nodiscard]] QString titleText() const;
    [[nodiscard]] QString versionText() const;

private:
    QLabel* m_lblTitle = nullptr;
    QLabel* m_lblVersion = nullptr;
};

}  // namespace shell
