// Brevane - one run of the external Tamsel utility: settings file, start, watch, outcome.
#include "tools/TamselBridge.h"

#include "platform/FileIO.h"
#include "platform/Services.h"
#include "platform/StatusHelpers.h"
#include "platform/VbText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>

#include <signal.h>
#include <unistd.h>

namespace tools {
namespace {

constexpr const char* kSourceName = "SOURCE.DAT";
constexpr const char* kDosFolder = "C:\\";
constexpr const char* kPleaseWait = " Please wait while your DX7 voices are converted.";
constexpr const char* kFailedTitle = "Tamsel Conversion Failed";
constexpr const char* kTimedOut = "Conversion failed - Tamsel did not finish within 120 seconds";
constexpr const char* kNoOutput = "Conversion failed - Tamsel wrote no usable output file";
constexpr const char* kKeptExisting = "Conversion stopped - the existing output files were kept";
static_assert(TamselBridge::kTimeLimitMs == 120'000, "the time-out text names the limit");

QString qs(const std::string& s) { return QFile::decodeName(s.c_str()); }
std::string bytes(const QString& s) { return QFile::encodeName(s).toStdString(); }

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

void showFailure(const std::string& text)
{
    (void)platform::messages().messageBox(text, platform::MsgStyle::OkOnly + platform::MsgStyle::Exclamation,
                                          kFailedTitle);
}

std::string notLoadedMessage()
{
    ExitCodeReading reading;
    reading.kind = ExitCodeReading::Kind::Code;
    reading.code = static_cast<std::int32_t>(TamselExit::NotLoaded);
    return reading.failureMessage();
}

}  // namespace

bool sameFile(const std::string& a, const std::string& b)
{
    std::error_code ec;
    if (std::filesystem::equivalent(a, b, ec))
        return true;
    return platform::canonicalPath(a) == platform::canonicalPath(b);
}

bool askReplaceFiles(const std::vector<std::string>& paths)
{
    std::string text = "These files already exist:\r\n";
    for (const std::string& path : paths)
        text += path + "\r\n";
    text += "Do you want to replace them ?";
    return platform::messages().messageBox(text, platform::MsgStyle::YesNo + platform::MsgStyle::Question,
                                           "Replace files ?") == platform::MsgAnswer::Yes;
}

std::string workOutputName(const std::string& outputTitle)
{
    const std::size_t dot = outputTitle.rfind('.');
    std::string ext = dot == std::string::npos ? std::string() : outputTitle.substr(dot + 1);
    const bool dosExtension = ext.size() == 3 && std::all_of(ext.begin(), ext.end(), [](unsigned char c) {
        return std::isalnum(c) != 0;
    });
    if (!dosExtension)
        ext = "DAT";
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return "OUTPUT." + ext;
}

TamselBridge::TamselBridge(Locator locate, QObject* parent) : QObject(parent), m_locate(std::move(locate))
{
    Timer1.setInterval(kTickMs);
    connect(&Timer1, &QTimer::timeout, this, &TamselBridge::Timer1_Timer);
    m_statusClear.setSingleShot(true);
    m_statusClear.setInterval(kReportStatusMs);
    connect(&m_statusClear, &QTimer::timeout, this, [] { platform::ShowStatusMessage(std::string(), 0, 1); });
}

TamselBridge::~TamselBridge()
{
    if (m_process) {
        killProcess();
        platform::SetBusyCursor(false);
    }
}

std::string TamselBridge::workPath(const std::string& name) const
{
    return m_work ? bytes(QDir(m_work->path()).filePath(qs(name))) : std::string();
}

bool TamselBridge::Build_Tamselini(const std::string& folder, OutputMode mode, banklib::FileType sourceType,
                                   const std::string& sourcePath, const std::string& outputPath,
                                   std::string* message)
{
    const std::string text = tamselSettingsText(mode, sourceType, sourcePath, outputPath);
    const std::span<const std::uint8_t> data(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    return platform::writeFileAtomic(platform::joinPath(folder, kTamselSettingsFile), data, message) ==
           platform::FileError::None;
}

bool TamselBridge::start(const TamselRequest& request)
{
    if (m_process)
        return false;
    m_statusClear.stop();
    m_request = request;
    m_placed.clear();
    m_startMs = 0;
    m_elapsedMs = 0;
    m_lastSize = 0;
    m_watchedFile.clear();
    m_watchedTitle.clear();
    m_lastResult = TamselResult::NotStarted;

    const std::optional<TamselRunner> runner = m_locate ? m_locate() : std::nullopt;
    if (!runner) {
        showFailure(notLoadedMessage());
        return false;
    }
    m_work = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/brevane-tamsel-XXXXXX"));
    if (!m_work->isValid()) {
        m_work.reset();
        showFailure("Conversion failed - no working folder for Tamsel could be made in " + bytes(QDir::tempPath()));
        return false;
    }
    const auto abandon = [this](const std::string& text) {
        m_work.reset();
        showFailure(text);
        return false;
    };

    const platform::ReadResult source = platform::readWholeFile(request.sourcePath);
    std::string reason;
    if (source.error != platform::FileError::None ||
        platform::writeFileAtomic(workPath(kSourceName), source.bytes, &reason) != platform::FileError::None)
        return abandon("Conversion failed - couldn't read " + request.sourcePath);
    for (const auto& [from, name] : runner->copies) {
        if (!QFile::copy(qs(from), qs(workPath(name))))
            return abandon(notLoadedMessage());
    }

    m_outputDosName = workOutputName(request.outputTitle);
    if (!Build_Tamselini(bytes(m_work->path()), request.mode, request.sourceType, std::string(kDosFolder) + kSourceName,
                         kDosFolder + m_outputDosName, &reason))
        return abandon("Conversion failed - couldn't write " + std::string(kTamselSettingsFile) + " (" + reason + ")");

    if (request.mode == OutputMode::FilePerSet) {
        m_watchedFile = numberedOutputName(m_outputDosName, request.lastSetNumber);
        m_watchedTitle = numberedOutputName(request.outputTitle, request.lastSetNumber);
    } else {
        m_watchedFile = m_outputDosName;
        m_watchedTitle = request.outputTitle;
    }

    const TamselProcessSpec spec = processSpecFor(*runner, bytes(m_work->path()));
    m_process = std::make_unique<QProcess>();
    m_process->setWorkingDirectory(m_work->path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const auto& [name, value] : spec.environment)
        env.insert(qs(name), qs(value));
    m_process->setProcessEnvironment(env);
    m_process->setStandardInputFile(QProcess::nullDevice());
    m_process->setStandardOutputFile(QProcess::nullDevice());
    m_process->setStandardErrorFile(QProcess::nullDevice());
    // A group of its own, so stopping the utility also stops whatever it started.
    m_process->setChildProcessModifier([] { ::setpgid(0, 0); });
    connect(m_process.get(), &QProcess::finished, this, &TamselBridge::onProcessFinished);
    connect(m_process.get(), &QProcess::errorOccurred, this, &TamselBridge::onProcessError);

    platform::ShowStatusMessage(kPleaseWait, 0, 1);
    platform::SetBusyCursor(true);
    QStringList arguments;
    for (const std::string& a : spec.arguments)
        arguments << qs(a);
    m_startMs = platform::eventLoop().nowMs();
    m_process->start(qs(spec.program), arguments);
    if (!m_process->waitForStarted(-1)) {
        disconnect(m_process.get(), nullptr, this, nullptr);
        m_process.reset();
        m_work.reset();
        platform::SetBusyCursor(false);
        platform::ShowStatusMessage(std::string(), 0, 1);
        showFailure(notLoadedMessage());
        return false;
    }
    Timer1.start();
    return true;
}

void TamselBridge::Timer1_Timer()
{
    if (!m_process)
        return;
    m_elapsedMs = platform::eventLoop().nowMs() - m_startMs;
    if (m_elapsedMs >= kTimeLimitMs) {
        killProcess();
        fail(kTimedOut, TamselResult::TimedOut);
        return;
    }
    const std::int64_t size = platform::fileSize(workPath(m_watchedFile));
    if (size >= 0)
        m_lastSize = size;
    platform::ShowStatusMessage(platform::Format(static_cast<double>(m_elapsedMs) / 1000.0, "#0.##") +
                                    " secs elapsed. " + m_watchedTitle + " is now " +
                                    platform::Format(static_cast<double>(m_lastSize) / 1000.0, "###0.0") + " kb",
                                0, 1);
}

void TamselBridge::onProcessError(QProcess::ProcessError error)
{
    // A failed start is handled in start(); a crash ends in finished().
    if (error == QProcess::FailedToStart && m_process && m_process->state() == QProcess::NotRunning &&
        Timer1.isActive())
        fail(notLoadedMessage(), TamselResult::NotStarted);
}

void TamselBridge::onProcessFinished()
{
    if (!m_process)
        return;
    Timer1.stop();
    const ExitCodeReading reading = GetTamselExitCode();
    if (!reading.succeeded()) {
        fail(reading.failureMessage(), TamselResult::Failed);
        return;
    }
    std::vector<std::pair<std::string, std::string>> outputs;
    if (!collectOutputs(outputs)) {
        fail(kNoOutput, TamselResult::Failed);
        return;
    }
    platform::SetBusyCursor(false);
    std::int64_t total = 0;
    if (!placeOutputs(outputs, total))
        return;
    reportSuccess(total);
    endRun(TamselResult::Succeeded);
}

ExitCodeReading TamselBridge::GetTamselExitCode() const
{
    const platform::ReadResult read = platform::readWholeFile(workPath(kTamselSettingsFile), 1024 * 1024);
    if (read.error != platform::FileError::None)
        return {};
    return readTamselExitCode(
        std::string_view(reinterpret_cast<const char*>(read.bytes.data()), read.bytes.size()));
}

bool TamselBridge::collectOutputs(std::vector<std::pair<std::string, std::string>>& outputs) const
{
    // The utility may write its file names in either letter case.
    std::map<std::string, std::string> written;
    const QStringList entries = QDir(m_work->path()).entryList(QDir::Files | QDir::Hidden);
    for (const QString& entry : entries)
        written.emplace(lower(bytes(entry)), bytes(entry));
    const auto found = [&written](const std::string& name) {
        const auto it = written.find(lower(name));
        return it == written.end() ? std::string() : it->second;
    };
    const auto usable = [this](const std::string& name) { return platform::fileSize(workPath(name)) > 0; };

    if (m_request.mode == OutputMode::OneFile) {
        const std::string name = found(m_outputDosName);
        if (name.empty() || !usable(name))
            return false;
        outputs.emplace_back(name, m_request.outputFolder + m_request.outputTitle);
        return true;
    }
    for (std::int32_t n = 0; n <= 999; ++n) {
        const std::string name = found(numberedOutputName(m_outputDosName, n));
        if (name.empty()) {
            if (n <= m_request.lastSetNumber)
                return false;
            continue;
        }
        if (!usable(name))
            return false;
        outputs.emplace_back(name, m_request.outputFolder + numberedOutputName(m_request.outputTitle, n));
    }
    return !outputs.empty();
}

bool TamselBridge::placeOutputs(const std::vector<std::pair<std::string, std::string>>& outputs,
                                std::int64_t& totalBytes)
{
    std::vector<std::string> unasked;
    for (const auto& [work, destination] : outputs) {
        if (sameFile(destination, m_request.sourcePath)) {
            fail("Can't convert to same file name - try again", TamselResult::Failed);
            return false;
        }
        const bool exists = QFileInfo::exists(qs(destination)) || QFileInfo(qs(destination)).isSymLink();
        if (exists && std::find(m_request.replaceApproved.begin(), m_request.replaceApproved.end(), destination) ==
                          m_request.replaceApproved.end())
            unasked.push_back(destination);
    }
    if (!unasked.empty() && !askReplaceFiles(unasked)) {
        fail(kKeptExisting, TamselResult::Failed);
        return false;
    }
    totalBytes = 0;
    for (const auto& [work, destination] : outputs) {
        const platform::ReadResult data = platform::readWholeFile(workPath(work));
        std::string reason = data.message;
        if (data.error == platform::FileError::None &&
            platform::writeFileAtomic(destination, data.bytes, &reason) == platform::FileError::None) {
            m_placed.push_back(destination);
            totalBytes += static_cast<std::int64_t>(data.bytes.size());
            continue;
        }
        fail("Conversion failed - couldn't write " + destination + " (" + reason + ")", TamselResult::Failed);
        return false;
    }
    return true;
}

void TamselBridge::reportSuccess(std::int64_t outputBytes)
{
    const std::string result = m_request.mode == OutputMode::FilePerSet
                                   ? std::string("multiple SY77 format files ")
                                   : "SY77 format file : " + m_request.outputTitle + " ( " + platform::Str(outputBytes) +
                                         " bytes )";
    platform::ShowStatusMessage(m_request.sourceTitle + " converted to " + result, 0, 1);
    m_statusClear.start();
    (void)platform::messages().messageBox("Tamsel created  " + result, platform::MsgStyle::OkOnly,
                                          "File conversion complete");
}

void TamselBridge::fail(const std::string& message, TamselResult result)
{
    Timer1.stop();
    killProcess();
    platform::SetBusyCursor(false);
    platform::ShowStatusMessage(std::string(), 0, 1);
    showFailure(message);
    endRun(result);
}

void TamselBridge::stop()
{
    if (!m_process)
        return;
    Timer1.stop();
    killProcess();
    platform::SetBusyCursor(false);
    platform::ShowStatusMessage(std::string(), 0, 1);
    endRun(TamselResult::Stopped);
}

void TamselBridge::endRun(TamselResult result)
{
    m_lastResult = result;
    if (m_process) {
        disconnect(m_process.get(), nullptr, this, nullptr);
        // This may run inside one of the process's own signals.
        m_process.release()->deleteLater();
    }
    m_work.reset();
    emit finished(result);
}

void TamselBridge::killProcess()
{
    if (!m_process || m_process->state() == QProcess::NotRunning)
        return;
    disconnect(m_process.get(), nullptr, this, nullptr);
    // The process has not been reaped yet, so its group id is still its own.
    const qint64 pid = m_process->processId();
    if (pid > 0)
        ::kill(static_cast<pid_t>(-pid), SIGKILL);
    m_process->kill();
    m_process->waitForFinished(5000);
}

}  // namespace tools
