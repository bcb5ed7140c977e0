// Brevane - the main window's state as the voice bank library sees it: ShellAppState's
// members, which read and write the main window's properties.
#include "shell/ShellAppState.h"

#include "shell/frmStartup.h"

#include <QMdiArea>

namespace shell {

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
    return registry ? *registry : m_standIns.registry;
}

banklib::ActiveWindow ShellAppState::activeWindow()
{
    banklib::ActiveWindow views;
    m_window.colVoiceLists().activeViews(m_window.mdiArea()->activeSubWindow(), views);
    return views;
}

banklib::GeneratorView& ShellAppState::frmRandomiseVoices()
{
    return m_generator ? *m_generator : m_standIns.generator;
}

banklib::CatalogueDialogs& ShellAppState::catalogueDialogs()
{
    banklib::CatalogueDialogs* dialogs = m_window.colVoiceLists().catalogueDialogs();
    return dialogs ? *dialogs : m_standIns.dialogs;
}

}  // namespace shell
