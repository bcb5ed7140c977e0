// Brevane - one run of the external Tamsel utility: settings file, start, watch, outcome.
//
// A run happens in a private working folder: the source is copied there as
// "SOURCE.DAT", the output is written there by the utility, and only after a run that
// succeeded are the outputs put in the chosen folder (each file replaced atomically).
// A run succeeds when the utility has finished, line 5 of the settings file reads the
// whole number 0 and every output file exists and is not empty. While the utility runs,
// Timer1 shows the elapsed time and the size of the file being written every 50 ms; a
// utility still running after kTimeLimitMs is stopped and the run fails. Nothing waits
// in a loop: start() returns at once and finished() is emitted when the run is over.
#pragma once

#include "banklib/VoiceFormat.h"
#include "tools/TamselRunner.h"
#include "tools/TamselSettings.h"

#include <QObject>
#include <QProcess>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QTemporaryDir;

namespace tools {

// What the dialog hands over for one run.
struct TamselRequest {
    OutputMode mode = OutputMode::OneFile;
    banklib::FileType sourceType = banklib::FileType::Unpacked;
    std::string sourcePath;    // the DX7 file, full path
    std::string sourceTitle;   // its name as chosen
    std::string outputFolder;  // where the outputs go, ending in '/'
    std::string outputTitle;   // the output name as chosen or typed
    std::int32_t lastSetNumber = 0;  // 64-voice sets in the source, less one
    // Files in outputFolder that exist and that the user agreed to have replaced.
    std::vector<std::string> replaceApproved;
};

enum class TamselResult {
    Succeeded,   // outputs in place, reported
    Failed,      // the utility's failure (or a file that could not be placed), reported
    TimedOut,    // stopped after the time limit, reported
    NotStarted,  // no utility, no runner, or nothing could be prepared; reported
    Stopped,     // stopped by stop(); nothing reported
};

class TamselBridge final : public QObject {
    Q_OBJECT
public:
    static constexpr int kTickMs = 50;
    static constexpr std::int64_t kTimeLimitMs = 120'000;
    static constexpr std::int32_t kReportStatusMs = 1500;

    // Finds the runner at the start of every run (nullopt: nothing to run).
    using Locator = std::function<std::optional<TamselRunner>()>;

    explicit TamselBridge(Locator locate, QObject* parent = nullptr);
    ~TamselBridge() override;
    TamselBridge(const TamselBridge&) = delete;
    TamselBridge& operator=(const TamselBridge&) = delete;

    // Starts a run. False when it could not start; the reason has been shown and
    // finished() is not emitted. True: finished() follows once the run is over.
    [[nodiscard]] bool start(const TamselRequest& request);
    [[nodiscard]] bool running() const { return m_process != nullptr; }
    // Stops a running utility (and anything it started); nothing is reported or moved.
    // finished(Stopped) is emitted.
    void stop();

    // Writes the settings file into folder; false when it could not be written (message
    // receives the reason).
    [[nodiscard]] static bool Build_Tamselini(const std::string& folder, OutputMode mode,
                                              banklib::FileType sourceType, const std::string& sourcePath,
                                              const std::string& outputPath, std::string* message = nullptr);

    // The outcome of the last run and the files it put in place (full paths).
    [[nodiscard]] TamselResult lastResult() const { return m_lastResult; }
    [[nodiscard]] const std::vector<std::string>& placedFiles() const { return m_placed; }
    // The name of the file being watched during a run (the last one the utility writes).
    [[nodiscard]] const std::string& watchedTitle() const { return m_watchedTitle; }

signals:
    void finished(tools::TamselResult result);

private:
    void Timer1_Timer();
    void onProcessFinished();
    void onProcessError(QProcess::ProcessError error);
    // Reads the exit code the utility left in the settings file.
    [[nodiscard]] ExitCodeReading GetTamselExitCode() const;
    // The outputs the utility wrote in the working folder (name there, destination),
    // in number order; false when one of them is missing or empty.
    [[nodiscard]] bool collectOutputs(std::vector<std::pair<std::string, std::string>>& outputs) const;
    [[nodiscard]] bool placeOutputs(const std::vector<std::pair<std::string, std::string>>& outputs,
                                    std::int64_t& totalBytes);
    void reportSuccess(std::int64_t outputBytes);
    void fail(const std::string& message, TamselResult result);
    void endRun(TamselResult result);
    void killProcess();
    [[nodiscard]] std::string workPath(const std::string& name) const;

    Locator m_locate;
    std::unique_ptr<QTemporaryDir> m_work;
    std::unique_ptr<QProcess> m_process;
    QTimer Timer1;
    QTimer m_statusClear;
    TamselRequest m_request;
    std::string m_outputDosName;  // the output's name in the working folder
    // The watch state, reset at the start of every run.
    std::int64_t m_startMs = 0;
    std::int64_t m_elapsedMs = 0;
    std::int64_t m_lastSize = 0;
    std::string m_watchedFile;   // in the working folder
    std::string m_watchedTitle;  // as the user will see it
    TamselResult m_lastResult = TamselResult::Stopped;
    std::vector<std::string> m_placed;
};

// Asks whether existing files may be replaced ("These files already exist: ..."); true
// for Yes.
[[nodiscard]] bool askReplaceFiles(const std::vector<std::string>& paths);

// True when a and b name the same file (the same file by a link, by ".." or by another
// path to it).
[[nodiscard]] bool sameFile(const std::string& a, const std::string& b);

// The name under which the output is written in the working folder: "OUTPUT." and the
// output title's extension when it is three letters or digits, else "OUTPUT.DAT".
[[nodiscard]] std::string workOutputName(const std::string& outputTitle);

}  // namespace tools
