// Brevane - what the voice bank library uses of the main window.
#include "banklib/AppState.h"

#include "banklib/CatalogueDialogs.h"
#include "banklib/GeneratorView.h"
#include "banklib/VoiceListRegistry.h"

namespace banklib {
namespace {

// The state of a program without windows: nothing is open and nothing can be opened.
class HeadlessRegistry final : public VoiceListRegistry {
public:
    VoiceListView* Add(const std::string&, bool& cancel, FileType& fileType) override
    {
        cancel = false;
        fileType = FileType::NotFound;
        return nullptr;
    }
    void Delete(const std::string&) override {}
    VoiceListView* Item(const std::string&) override { return nullptr; }
    VoiceListView* Item(std::int32_t) override { return nullptr; }
    std::int32_t count() const override { return 0; }
    std::vector<VoiceListView*> lists() override { return {}; }
    std::int16_t NextFileNo() override { return ++m_fileNo; }

private:
    std::int16_t m_fileNo = 0;
};

class HeadlessGenerator final : public GeneratorView {
public:
    void setContinuousEnabled(bool) override {}
    std::int16_t WorkListFlag() const override { return m_flag; }
    void setWorkListFlag(std::int16_t flag) override { m_flag = flag; }
    void ResetState() override { m_flag = 0; }

private:
    std::int16_t m_flag = 0;
};

// Dialogs answer as if cancelled, progress windows are never stopped.
class HeadlessDialogs final : public CatalogueDialogs {
public:
    std::optional<FileType> chooseSaveFormat(FileType) override { return std::nullopt; }
    DuplicateOptions duplicateOptions() override { return {}; }
    bool showDuplicateProgress(const DuplicateProgress&) override { return false; }
    void hideDuplicateProgress() override {}
    void unloadDuplicatesDialog() override {}
    ContinueAnswer askContinueSearch() override { return {false, true}; }
    bool continueDontAskAgain() const override { return false; }
    void unloadContinueSearch() override {}
    bool groupMovesVoices() override { return false; }
    bool groupCurrentSelection() override { return false; }
    void showGroupProgress() override {}
    bool updateGroupProgress(std::int32_t, std::int32_t) override { return false; }
    void hideGroupProgress() override {}
};

class HeadlessAppState final : public AppState {
public:
    std::string DataDirectory() const override { return m_dataDirectory; }
    void setDataDirectory(const std::string& folder) override { m_dataDirectory = folder; }
    std::string ProgramFolder() const override { return {}; }
    std::int32_t SaveFileFormat() const override { return m_saveFileFormat; }
    void setSaveFileFormat(std::int32_t layout) override { m_saveFileFormat = layout; }
    std::vector<std::string> RecentFiles() const override { return m_recentFiles; }
    void setRecentFiles(const std::vector<std::string>& paths) override { m_recentFiles = paths; }
    std::int32_t MIDIDeviceNumber() const override { return 0; }
    VoiceListRegistry& colVoiceLists() override { return m_registry; }
    ActiveWindow activeWindow() override { return {}; }
    GeneratorView& frmRandomiseVoices() override { return m_generator; }
    CatalogueDialogs& catalogueDialogs() override { return m_dialogs; }

private:
    std::string m_dataDirectory;
    std::int32_t m_saveFileFormat = 0;
    std::vector<std::string> m_recentFiles;
    HeadlessRegistry m_registry;
    HeadlessGenerator m_generator;
    HeadlessDialogs m_dialogs;
};

AppState* g_installed = nullptr;

}  // namespace

AppState& appState()
{
    static HeadlessAppState headless;
    return g_installed != nullptr ? *g_installed : headless;
}

void installAppState(AppState* state) { g_installed = state; }

}  // namespace banklib
