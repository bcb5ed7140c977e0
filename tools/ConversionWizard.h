// Brevane - the two steps of the conversion dialog, without the window.
//
// Step 1 picks the DX7 source file (checked by the program's file recognition), step 2
// picks or types the output file and the output mode, guards against converting a file
// onto itself and against replacing a file unasked, and hands the run to the bridge.
// After every run, and after a refused source or output, the wizard is back at step 1.
// The window shows the state and passes the user's actions on; the wizard speaks to
// the user only through the message service.
#pragma once

#include "banklib/VoiceFormat.h"
#include "tools/TamselBridge.h"
#include "tools/TamselSettings.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tools {

class ConversionWizard {
public:
    static constexpr const char* kDesignPattern = "*.dat;*.syx;*.32;*.dx7";
    static constexpr const char* kStep1Prompt =
        "1. Select or type in the title of a file containing DX7 voices, then click OK";
    static constexpr const char* kStep2Prompt = "2. Select or type in the title of the output file, then click OK";

    // What the last input was: a name typed or a file clicked, or a folder clicked.
    enum class LastInput { Name = 1, Folder = 2 };
    // What OK did.
    enum class OkResult { None, RanStep, PatternSet, FolderChanged, OpenHighlightedFolder };

    // Starts a run; false when it did not start (the reason has been shown).
    using StartRun = std::function<bool(const TamselRequest&)>;

    ConversionWizard(std::string startFolder, StartRun startRun);

    // ---- what the window shows
    [[nodiscard]] const std::string& folder() const { return m_folder; }  // ends in '/'
    [[nodiscard]] const std::string& nameText() const { return m_name; }
    [[nodiscard]] const std::string& pattern() const { return m_pattern; }
    [[nodiscard]] int step() const { return m_step; }
    [[nodiscard]] const std::string& prompt() const { return m_prompt; }
    [[nodiscard]] const std::string& sourceText() const { return m_text1[0]; }
    [[nodiscard]] const std::string& outputText() const { return m_text1[1]; }
    [[nodiscard]] bool optionsEnabled() const { return m_optionsEnabled; }
    [[nodiscard]] bool filePerSet() const { return m_filePerSet; }
    [[nodiscard]] bool running() const { return m_running; }
    [[nodiscard]] LastInput lastInput() const { return m_lastInput; }
    // The files of the current folder that match the pattern (letter case ignored), by name.
    [[nodiscard]] std::vector<std::string> fileEntries() const;

    // The source chosen in step 1.
    [[nodiscard]] const std::string& sourcePath() const { return m_sourcePath; }
    [[nodiscard]] banklib::FileType sourceType() const { return m_sourceType; }
    [[nodiscard]] std::int32_t lastSetNumber() const { return m_lastSetNumber; }

    // ---- the user's actions
    // Browses another folder; false (nothing changes) when it is not a folder.
    bool setFolder(const std::string& folder);
    void nameEdited(const std::string& text);   // the name box changed
    void fileClicked(const std::string& name);  // a file of the list was clicked
    void folderClicked();                       // a folder was highlighted
    void setFilePerSet(bool perSet) { m_filePerSet = perSet; }
    OkResult ok();
    // Runs the current step with the name box's text (a double-click on a file).
    void runStep();
    void cancel();
    // The run handed to the bridge is over: back to step 1.
    void runFinished();

private:
    // The program's file recognition of a source file, its messages shown: false when it is
    // no DX7 voice file; otherwise true, with its type, and the number of its last 64-voice
    // set kept.
    [[nodiscard]] bool GetDXFileType(const std::string& full, banklib::FileType& type);
    void runStep1(const std::string& full);
    void runStep2(const std::string& full);
    // True when the output would be the source, or the source one of the numbered outputs.
    [[nodiscard]] bool outputIsSource(const std::string& full) const;
    // Asks about existing outputs; false when the user said No. approved gets the files.
    [[nodiscard]] bool confirmReplace(const std::string& full, std::vector<std::string>& approved) const;
    void backToStep1(bool afterPerSetRun);

    StartRun m_startRun;
    std::string m_folder;
    std::string m_name;
    std::string m_pattern = kDesignPattern;
    std::string m_prompt = kStep1Prompt;
    std::string m_text1[2];
    int m_step = 1;
    LastInput m_lastInput = LastInput::Name;
    bool m_optionsEnabled = false;
    bool m_filePerSet = false;
    bool m_running = false;
    bool m_lastRunPerSet = false;

    std::string m_sourcePath;
    std::string m_sourceTitle;
    banklib::FileType m_sourceType = banklib::FileType::NotFound;
    std::int32_t m_lastSetNumber = -1;
};

}  // namespace tools
