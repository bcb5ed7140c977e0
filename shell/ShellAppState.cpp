// Brevane - the main window's state as the voice bank library sees it.
#include "shell/ShellAppState.h"

#include "banklib/CatalogueDialogs.h"
#include "banklib/VoiceListRegistry.h"
#include "shell/frmStartup.h"

#include <QMdiArea>

namespace shell {
namespace {

class EmptyRegistry final : public banklib::VoiceListRegistry {
public:
    banklib::VoiceListView* Add(const std::string&, bool& cancel, banklib::FileType& fileType) override
    {
        cancel = false;
        fileType = banklib::FileType::NotFound;
        return nullptr;
    }
    void Delete(const std::string&) override {}
    banklib::VoiceListView* Item(const std::string&) override { return nullptr; }
    banklib::VoiceListView* Item(std::int32_t) override { return nullptr; }
    std::int32_t count() const override { return 0; }
    std::vector<banklib::VoiceListView*> lists() override { return {}; }
    std::int16_t NextFileNo() override { return ++m_fileNo; }

private:
    std::int16_t m_fileNo = 0;
};

class FlagOnlyGenerator final : public banklib::GeneratorView {
public:
    void setContinuousEnabled(bool) override {}
    std::int16_t WorkListFlag() const override { return m_flag; }
    void setWorkListFlag(std::int16_t flag) override { m_flag = flag; }
    void ResetState() override { m_flag = 0; }

private:
    std::int16_t m_flag = 0;
};

class CancellingDialogs final : public banklib::CatalogueDialogs {
public:
    std::optional<banklib::FileType> chooseSaveFormat(banklib::FileType) override { return std::nullopt; }
    banklib::DuplicateOptions duplicateOptions() override { return {}; }
    bool showDuplicateProgress(const banklib::DuplicateProgress&) override { return false; }
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

}  // namespace

struct ShellAppState::StandIns {
    EmptyRegistry registry;
    FlagOnlyGenerator generator;
    CancellingDialogs dialogs;
};

ShellAppState::ShellAppState(frmStartup& window) : m_window(window), m_standIns(std::make_unique<StandIns>()) {}

ShellAppState::~ShellAppState() = default;

std::string ShellAppState::DataDirectory() const { return m_window.DataDirectory(); }

void ShellAppState::setDataDirectory(const std::string& folder) { m_window.setDataDirectory(folder); }

std::string ShellAppState::ProgramFolder() const { return m_window.ProgramFolder(); }

std::int32_t ShellAppState::SaveFileFormat() const { return m_window.SaveFileFormat(); }

void ShellAppState::setSaveFileFormat(std::int32_t layout) { m_window.setSaveFileFormat(layout); }

std::vector<std::string> ShellAppState::RecentFiles() const { return m_window.recentFileList(); }

void ShellAppState::setRecentFiles(const std::vector<std::string>& paths) { m_window.setRecentFileList(paths); }

std::int32_t ShellAppState::MIDIDeviceNumber() const { return m_window.objMIDIInit().MIDIDeviceNumber(); }

banklib::VoiceListRegistry& ShellAppState::colVoiceLists()
{
    banklib::VoiceListRegistry* registry = m_window.colVoiceLists().registry();
    return registry ? *registry : m_standIns->registry;
}

banklib::ActiveWindow ShellAppState::activeWindow()
{
    banklib::ActiveWindow views;
    m_window.colVoiceLists().activeViews(m_window.mdiArea()->activeSubWindow(), views);
    return views;
}

banklib::GeneratorView& ShellAppState::frmRandomiseVoices()
{
    return m_generator ? *m_generator : m_standIns->generator;
}

banklib::CatalogueDialogs& ShellAppState::catalogueDialogs()
{
    banklib::CatalogueDialogs* dialogs = m_window.colVoiceLists().catalogueDialogs();
    return dialogs ? *dialogs : m_standIns->dialogs;
}

}  // namespace shell
