// Brevane - the About box.
#include "shell/frmAbout.h"

#include "platform/Services.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace shell {
namespace {

QFrame* line(QWidget* parent)
{
    auto* l = new QFrame(parent);
    l->setObjectName(QStringLiteral("Line1"));
    l->setFrameShape(QFrame::HLine);
    l->setFrameShadow(QFrame::Sunken);
    return l;
}

// "1.2.3" from the application's version; missing parts count as 0.
QString threePartVersion()
{
    const QStringList parts = QApplication::applicationVersion().split(QLatin1Char('.'));
    QStringList out;
    for (int i = 0; i < 3; ++i)
        out << (i < parts.size() && !parts.at(i).isEmpty() ? parts.at(i) : QStringLiteral("0"));
    return out.join(QLatin1Char('.'));
}

}  // namespace

frmAbout::frmAbout(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    const QString title = QApplication::applicationName().isEmpty() ? QStringLiteral("Brevane")
                                                                    : QApplication::applicationName();
    setWindowTitle(QStringLiteral("About ") + title);
    setModal(true);

    auto* picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    const QIcon icon = QApplication::windowIcon().isNull() ? style()->standardIcon(QStyle::SP_ComputerIcon)
                                                           : QApplication::windowIcon();
    picIcon->setPixmap(icon.pixmap(48, 48));
    m_lblTitle = new QLabel(title, this);
    m_lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont big = m_lblTitle->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    m_lblTitle->setFont(big);
    m_lblVersion = new QLabel(QStringLiteral("Version ") + threePartVersion(), this);
    m_lblVersion->setObjectName(QStringLiteral("lblVersion"));
    auto* lblDescription =
        new QLabel(QStringLiteral("Editor and Librarian for the Yamaha DX7 synthesiser and compatibles"), this);
    lblDescription->setObjectName(QStringLiteral("lblDescription"));
    lblDescription->setWordWrap(true);
    auto* lblDisclaimer = new QLabel(
        QStringLiteral("Brevane is provided as it is, without warranty of any kind. "
                       "The names of instruments are those of their makers."),
        this);
    lblDisclaimer->setObjectName(QStringLiteral("lblDisclaimer"));
    lblDisclaimer->setWordWrap(true);

    auto* cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    auto* cmdSysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdSysInfo, &QPushButton::clicked, this, [this] { StartSysInfo(); });

    auto* grid = new QGridLayout;
    grid->addWidget(picIcon, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(m_lblTitle, 0, 1);
    grid->addWidget(m_lblVersion, 1, 1);
    grid->addWidget(lblDescription, 2, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdSysInfo);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(lblDisclaimer, 1);
    bottom->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(line(this));
    layout->addLayout(bottom);
    setFixedWidth(sizeHint().width() + 60);
}

QString frmAbout::titleText() const { return m_lblTitle->text(); }

QString frmAbout::versionText() const { return m_lblVersion->text(); }

std::optional<QString> frmAbout::findSystemInfoTool(const QString& searchPath)
{
    const QStringList folders = searchPath.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString& tool : kSystemInfoTools) {
        for (const QString& folder : folders) {
            const QFileInfo candidate(QDir(folder), tool);
            if (candidate.isFile() && candidate.isExecutable())
                return candidate.absoluteFilePath();
        }
    }
    return std::nullopt;
}

bool frmAbout::StartSysInfo()
{
    if (const auto tool = findSystemInfoTool(qEnvironmentVariable("PATH")))
        if (QProcess::startDetached(*tool, {}))
            return true;
    (void)platform::messages().messageBox("System Information Is Unavailable At This Time",
                                          platform::MsgStyle::OkOnly, std::string());
    return false;
}

}  // namespace shell
