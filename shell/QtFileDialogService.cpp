// Brevane - open and save dialogs.
#include "shell/QtFileDialogService.h"

#include "platform/Latin1.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QPushButton>

#include <memory>

namespace shell {
namespace {

// "DX7 files (*.dat,*.syx)" with "*.dat;*.syx" becomes the Qt filter
// "DX7 files (*.dat,*.syx) (*.dat *.syx)"; a description that already ends in the
// patterns is not repeated.
QString qtFilter(const std::string& description, const std::string& patterns)
{
    QString p = platform::fromBytes(patterns);
    p.replace(QLatin1Char(';'), QLatin1Char(' '));
    p = p.simplified();
    const QString d = platform::fromBytes(description);
    if (d.endsWith(QLatin1Char(')')) && d.contains(QLatin1Char('(')) &&
        d.mid(d.lastIndexOf(QLatin1Char('(')) + 1).chopped(1).simplified() == p)
        return d;
    return d + QStringLiteral(" (") + p + QLatin1Char(')');
}

}  // namespace

QtFileDialogService::QtFileDialogService(std::function<QWidget*()> parentProvider)
    : m_parent(std::move(parentProvider))
{
}

QFileDialog* QtFileDialogService::makeDialog(const platform::FileDialogRequest& request, bool save) const
{
    auto* dialog = new QFileDialog(m_parent ? m_parent() : nullptr, platform::fromBytes(request.title));
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (save)
        dialog->setFileMode(QFileDialog::AnyFile);
    else
        dialog->setFileMode(request.multiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    dialog->setOption(QFileDialog::DontConfirmOverwrite, !request.promptOverwrite);
    if (!request.defaultExtension.empty())
        dialog->setDefaultSuffix(platform::fromBytes(request.defaultExtension));

    QStringList filters;
    for (const auto& [description, patterns] : request.filters)
        filters << qtFilter(description, patterns);
    if (filters.isEmpty())
        filters << QStringLiteral("All files (*)");
    dialog->setNameFilters(filters);
    const int index = request.filterIndex >= 1 && request.filterIndex <= filters.size() ? request.filterIndex : 1;
    dialog->selectNameFilter(filters.at(index - 1));

    if (!request.initialFolder.empty())
        dialog->setDirectory(QFile::decodeName(request.initialFolder.c_str()));
    if (!request.fileName.empty())
        dialog->selectFile(QFile::decodeName(request.fileName.c_str()));

    if (!request.helpTopic.empty()) {
        if (auto* buttons = dialog->findChild<QDialogButtonBox*>()) {
            QPushButton* help = buttons->addButton(QDialogButtonBox::Help);
            const std::string topic = request.helpTopic;
            QObject::connect(help, &QPushButton::clicked, dialog, [topic] { platform::help().showHelp(topic); });
        }
    }
    return dialog;
}

platform::FileDialogResult QtFileDialogService::resultOf(const QFileDialog& dialog, bool accepted)
{
    platform::FileDialogResult result;
    result.accepted = accepted;
    const int index = dialog.nameFilters().indexOf(dialog.selectedNameFilter());
    result.filterIndex = index < 0 ? 1 : index + 1;
    if (!accepted)
        return result;
    for (const QString& file : dialog.selectedFiles())
        result.files.push_back(QFile::encodeName(QDir::cleanPath(file)).toStdString());
    result.accepted = !result.files.empty();
    return result;
}

platform::FileDialogResult QtFileDialogService::run(const platform::FileDialogRequest& request, bool save)
{
    std::unique_ptr<QFileDialog> dialog(makeDialog(request, save));
    const bool accepted = dialog->exec() == QDialog::Accepted;
    return resultOf(*dialog, accepted);
}

platform::FileDialogResult QtFileDialogService::openFile(const platform::FileDialogRequest& request)
{
    return run(request, false);
}

platform::FileDialogResult QtFileDialogService::saveFile(const platform::FileDialogRequest& request)
{
    return run(request, true);
}

}  // namespace shell
