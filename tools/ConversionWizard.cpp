// Brevane - the two steps of the conversion dialog, without the window.
#include "tools/ConversionWizard.h"

#include "banklib/clsVoiceLists.h"
#include "platform/FileIO.h"
#include "platform/Services.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cctype>

namespace tools {
namespace {

QString qs(const std::string& s) { return QFile::decodeName(s.c_str()); }
std::string bytes(const QString& s) { return QFile::encodeName(s).toStdString(); }

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

bool isFolder(const std::string& path) { return QFileInfo(qs(path)).isDir(); }

// Something is there under the name: a file, a folder or a dangling link.
bool present(const std::string& path)
{
    const QFileInfo info(qs(path));
    return info.exists() || info.isSymLink();
}

std::string canonicalFolder(const std::string& folder)
{
    std::string c = platform::canonicalPath(folder);
    if (c.empty() || c.back() != '/')
        c += '/';
    return c;
}

// The output title less its last three letters: the numbered files' common start.
std::string numberedBase(const std::string& title)
{
    const std::string first = numberedOutputName(title, 0);
    return first.substr(0, first.size() - 3);
}

void notice(const std::string& text, int icon)
{
    (void)platform::messages().messageBox(text, platform::MsgStyle::OkOnly + icon,
                                          "Tamsel  - DX7 to SY77 Voice Conversion ");
}

enum class ExistingKind { SyVoices, DxVoices, Other };

ExistingKind classify(const std::string& path)
{
    const platform::ReadResult read = platform::readWholeFile(path);
    if (read.error != platform::FileError::None || read.bytes.empty())
        return ExistingKind::Other;
    banklib::clsVoiceLists lists;
    banklib::FileType syType = banklib::FileType::Unpacked;
    const banklib::SyCheck sy = lists.CheckSYFormat(read.bytes, syType);
    if (sy == banklib::SyCheck::SyFile || sy == banklib::SyCheck::SyVoiceFile)
        return ExistingKind::SyVoices;
    const banklib::FileType bySize =
        banklib::clsVoiceLists::GetFileType(static_cast<std::int64_t>(read.bytes.size()));
    if (banklib::isVoiceLayout(banklib::clsVoiceLists::PreferWrappedLayout(read.bytes, bySize)))
        return ExistingKind::DxVoices;
    return ExistingKind::Other;
}

}  // namespace

ConversionWizard::ConversionWizard(std::string startFolder, StartRun startRun) : m_startRun(std::move(startRun))
{
    if (!setFolder(startFolder))
        setFolder(bytes(QDir::homePath()));
    m_name = m_pattern;
}

std::vector<std::string> ConversionWizard::fileEntries() const
{
    QDir dir(qs(m_folder));
    dir.setNameFilters(qs(m_pattern).split(QLatin1Char(';'), Qt::SkipEmptyParts));
    dir.setFilter(QDir::Files);  // names compare without regard to case
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    std::vector<std::string> names;
    for (const QString& name : dir.entryList())
        names.push_back(bytes(name));
    return names;
}

bool ConversionWizard::setFolder(const std::string& folder)
{
    if (folder.empty() || !isFolder(folder))
        return false;
    m_folder = canonicalFolder(folder);
    m_lastInput = LastInput::Name;
    return true;
}

void ConversionWizard::nameEdited(const std::string& text)
{
    m_name = text;
    m_lastInput = LastInput::Name;
}

void ConversionWizard::fileClicked(const std::string& name) { nameEdited(name); }

void ConversionWizard::folderClicked() { m_lastInput = LastInput::Folder; }

ConversionWizard::OkResult ConversionWizard::ok()
{
    if (m_running)
        return OkResult::None;
    if (m_lastInput == LastInput::Folder)
        return OkResult::OpenHighlightedFolder;
    std::string text = m_name;
    if (text.empty()) {
        m_name = m_pattern;
        return OkResult::None;
    }
    const std::vector<std::string> entries = fileEntries();
    if (std::find(entries.begin(), entries.end(), text) != entries.end()) {
        runStep();
        return OkResult::RanStep;
    }
    if (const std::size_t slash = text.rfind('/'); slash != std::string::npos) {
        // A folder in front of the name: browse it, then treat the rest as typed there.
        const std::string part = text.substr(0, slash);
        const std::string target = part.empty() ? std::string("/") : part.front() == '/' ? part : m_folder + part;
        if (!setFolder(target)) {
            notice("Can't find the folder " + part, platform::MsgStyle::Exclamation);
            return OkResult::None;
        }
        text = text.substr(slash + 1);
        m_name = text;
        if (text.empty()) {
            m_name = m_pattern;
            return OkResult::FolderChanged;
        }
    }
    if (text.find_first_of("*?") != std::string::npos) {
        m_pattern = text;
        m_name = text;
        return OkResult::PatternSet;
    }
    if (isFolder(m_folder + text)) {
        setFolder(m_folder + text);
        m_name = m_pattern;
        return OkResult::FolderChanged;
    }
    runStep();
    return OkResult::RanStep;
}

void ConversionWizard::runStep()
{
    if (m_running || m_name.empty())
        return;
    const std::string full = m_folder + m_name;
    if (isFolder(full)) {
        setFolder(full);
        m_name = m_pattern;
        return;
    }
    if (m_step == 1)
        runStep1(full);
    else
        runStep2(full);
}

bool ConversionWizard::GetDXFileType(const std::string& full, banklib::FileType& type)
{
    banklib::clsVoiceLists recognition;
    std::string checked = full;
    if (recognition.CheckFileIntegrity(checked, type, false) != banklib::FileCheck::Ok)
        return false;
    m_lastSetNumber = std::max<std::int32_t>(0, tools::lastSetNumber(platform::fileSize(full), type));
    return true;
}

void ConversionWizard::runStep1(const std::string& full)
{
    banklib::FileType type = banklib::FileType::NotFound;
    if (!GetDXFileType(full, type)) {
        backToStep1(false);
        return;
    }
    m_sourceType = type;
    m_sourcePath = full;
    m_sourceTitle = m_name;
    m_text1[0] = full;
    m_prompt = kStep2Prompt;
    m_optionsEnabled = true;
    m_step = 2;
    m_name = "*.dat";
}

void ConversionWizard::runStep2(const std::string& full)
{
    const bool perSet = m_filePerSet;
    if (outputIsSource(full)) {
        notice("Can't convert to same file name - try again", 0);
        backToStep1(false);
        return;
    }
    if (!QFileInfo(qs(m_folder)).isWritable()) {
        notice("Brevane can't write to the folder " + m_folder + "\r\nChoose another folder for the output file.",
               platform::MsgStyle::Exclamation);
        return;
    }
    std::vector<std::string> approved;
    if (!confirmReplace(full, approved))
        return;

    const std::string title = m_name;
    m_text1[1] = perSet ? m_folder + numberedBase(title) + "000,001 etc. Multiple output files" : full;

    TamselRequest request;
    request.mode = perSet ? OutputMode::FilePerSet : OutputMode::OneFile;
    request.sourceType = m_sourceType;
    request.sourcePath = m_sourcePath;
    request.sourceTitle = m_sourceTitle;
    request.outputFolder = m_folder;
    request.outputTitle = title;
    request.lastSetNumber = m_lastSetNumber;
    request.replaceApproved = std::move(approved);
    m_lastRunPerSet = perSet;
    m_running = true;
    if (!m_startRun || !m_startRun(request)) {
        m_running = false;
        backToStep1(false);
    }
}

bool ConversionWizard::outputIsSource(const std::string& full) const
{
    const bool sameFolder = canonicalFolder(m_folder) == canonicalFolder(bytes(QFileInfo(qs(m_sourcePath)).absolutePath()));
    if (!m_filePerSet)
        return sameFile(full, m_sourcePath) || (sameFolder && lower(m_name) == lower(m_sourceTitle));

    // One file per set: the source may not be one of the numbered files, by name or by a link.
    const std::string base = lower(numberedBase(m_name));
    const auto numbered = [&base](const std::string& name) {
        const std::string n = lower(name);
        return n.size() == base.size() + 3 && n.compare(0, base.size(), base) == 0 &&
               std::all_of(n.end() - 3, n.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
    };
    if (sameFolder && numbered(m_sourceTitle))
        return true;
    const QStringList entries = QDir(qs(m_folder)).entryList(QDir::Files | QDir::System | QDir::Hidden);
    for (const QString& entry : entries) {
        const std::string name = bytes(entry);
        if (numbered(name) && sameFile(m_folder + name, m_sourcePath))
            return true;
    }
    return false;
}

bool ConversionWizard::confirmReplace(const std::string& full, std::vector<std::string>& approved) const
{
    using platform::MsgAnswer;
    namespace S = platform::MsgStyle;
    if (m_filePerSet) {
        std::vector<std::string> existing;
        for (std::int32_t n = 0; n <= m_lastSetNumber; ++n) {
            const std::string path = m_folder + numberedOutputName(m_name, n);
            if (present(path))
                existing.push_back(path);
        }
        if (existing.empty())
            return true;
        if (!askReplaceFiles(existing))
            return false;
        approved = std::move(existing);
        return true;
    }
    if (!present(full))
        return true;
    MsgAnswer answer = MsgAnswer::No;
    switch (classify(full)) {
    case ExistingKind::SyVoices:
        answer = platform::messages().messageBox(
            "The file you have chosen contains SYxx voices. Do you want to replace it ? ", S::YesNo + S::Question,
            "Update voice file ?");
        break;
    case ExistingKind::DxVoices:
        answer = platform::messages().messageBox(
            "This file already exists and appears to contain DX7 voices.\r\nAre you sure you want to overwrite this "
            "file ?",
            S::YesNo + S::Exclamation, "DX7 Voice File");
        break;
    case ExistingKind::Other:
        answer = platform::messages().messageBox(full + " already exists. Do you want to replace it ? ",
                                                 S::YesNo + S::Question, "Replace file ?");
        break;
    }
    if (answer != MsgAnswer::Yes)
        return false;
    approved.push_back(full);
    return true;
}

void ConversionWizard::cancel()
{
    if (m_running)
        return;
    if (m_step == 1) {
        m_name = m_pattern;
        return;
    }
    m_step = 1;
    m_prompt = kStep1Prompt;
    m_pattern = kDesignPattern;
    m_name = m_pattern;
    m_text1[0].clear();
    m_optionsEnabled = false;
}

void ConversionWizard::runFinished()
{
    m_running = false;
    backToStep1(m_lastRunPerSet);
}

void ConversionWizard::backToStep1(bool afterPerSetRun)
{
    m_step = 1;
    if (afterPerSetRun)
        m_pattern = "*.*";
    m_name = m_pattern;
    m_text1[0].clear();
    m_text1[1].clear();
    m_optionsEnabled = false;
    m_prompt = kStep1Prompt;
}

}  // namespace tools
