// Brevane - finding the user's copy of the Tamsel utility and how to start it.
#include "tools/TamselRunner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace tools {
namespace {

QString qs(const std::string& s) { return QFile::decodeName(s.c_str()); }
std::string bytes(const QString& s) { return QFile::encodeName(s).toStdString(); }

// The file called name in folder, whatever the letter case of its name (a copy from a
// DOS disk is often "TAMSEL.COM"); the exact name wins. "" when there is none.
std::string findInFolder(const std::string& folder, const QString& name, bool executable)
{
    if (folder.empty())
        return {};
    const QDir dir(qs(folder));
    const auto usable = [executable](const QFileInfo& info) {
        return info.isFile() && (!executable || info.isExecutable());
    };
    const QFileInfo exact(dir.filePath(name));
    if (usable(exact))
        return bytes(exact.absoluteFilePath());
    const QFileInfoList entries = dir.entryInfoList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QFileInfo& info : entries) {
        if (info.fileName().compare(name, Qt::CaseInsensitive) == 0 && usable(info))
            return bytes(info.absoluteFilePath());
    }
    return {};
}

// "syinit.dat" beside the utility, when there is one.
void addSyinit(TamselRunner& runner, const std::string& utilityPath)
{
    const std::string folder = bytes(QFileInfo(qs(utilityPath)).absolutePath());
    const std::string syinit = findInFolder(folder, QStringLiteral("syinit.dat"), false);
    if (!syinit.empty())
        runner.copies.emplace_back(syinit, "syinit.dat");
}

}  // namespace

TamselProcessSpec processSpecFor(const TamselRunner& runner, const std::string& workFolder)
{
    TamselProcessSpec spec;
    switch (runner.kind) {
    case TamselRunner::Kind::Command:
        spec.program = runner.program;
        spec.arguments = runner.arguments;
        break;
    case TamselRunner::Kind::Native:
        spec.program = bytes(QDir(qs(workFolder)).filePath(QStringLiteral("tamsel")));
        break;
    case TamselRunner::Kind::DosBox:
        // Headless, with its own configuration kept in the working folder.
        spec.program = runner.program;
        spec.arguments = {"-c", "mount c \"" + workFolder + "\"", "-c", "c:", "-c", "tamsel.com", "-c", "exit"};
        spec.environment = {{"SDL_VIDEODRIVER", "dummy"}, {"SDL_AUDIODRIVER", "dummy"}, {"HOME", workFolder}};
        break;
    }
    return spec;
}

std::optional<TamselRunner> locateTamsel(const TamselLocation& where)
{
    const std::string folders[] = {where.programFolder, where.dataFolder};
    if (!where.command.empty()) {
        const QStringList parts = QProcess::splitCommand(qs(where.command));
        if (parts.isEmpty())
            return std::nullopt;
        TamselRunner runner;
        runner.kind = TamselRunner::Kind::Command;
        runner.program = bytes(parts.front());
        for (qsizetype i = 1; i < parts.size(); ++i)
            runner.arguments.push_back(bytes(parts.at(i)));
        // The command may want the utility's files in its working folder.
        for (const std::string& folder : folders) {
            const std::string com = findInFolder(folder, QStringLiteral("tamsel.com"), false);
            if (!com.empty()) {
                runner.copies.emplace_back(com, "tamsel.com");
                addSyinit(runner, com);
                break;
            }
        }
        return runner;
    }
    for (const std::string& folder : folders) {
        const std::string native = findInFolder(folder, QStringLiteral("tamsel"), true);
        if (!native.empty()) {
            TamselRunner runner;
            runner.kind = TamselRunner::Kind::Native;
            runner.program = native;
            runner.copies.emplace_back(native, "tamsel");
            addSyinit(runner, native);
            return runner;
        }
    }
    for (const std::string& folder : folders) {
        const std::string com = findInFolder(folder, QStringLiteral("tamsel.com"), false);
        if (com.empty())
            continue;
        const std::string dosbox = where.findExecutable ? where.findExecutable("dosbox") : std::string();
        if (dosbox.empty())
            return std::nullopt;
        TamselRunner runner;
        runner.kind = TamselRunner::Kind::DosBox;
        runner.program = dosbox;
        runner.copies.emplace_back(com, "tamsel.com");
        addSyinit(runner, com);
        return runner;
    }
    return std::nullopt;
}

std::optional<TamselRunner> locateTamsel(const std::string& programFolder, const std::string& dataFolder)
{
    TamselLocation where;
    where.programFolder = programFolder;
    where.dataFolder = dataFolder;
    where.command = qEnvironmentVariable(kTamselCommandVariable).toStdString();
    where.findExecutable = [](const std::string& name) {
        return bytes(QStandardPaths::findExecutable(qs(name)));
    };
    return locateTamsel(where);
}

}  // namespace tools
