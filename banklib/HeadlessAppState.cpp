// Brevane - the main-window state of a program without windows, and the installed state.
//
// The headless state is made of the headless views, which sit above AppState.h (the
// generator's work-list path asks appState() for the data folder); so it lives here and
// not in a file of AppState's own.
#include "banklib/AppState.h"

#include "banklib/HeadlessViews.h"

namespace banklib {
namespace {

// The state of a program without windows: no data folder, device number 0.
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
    VoiceListRegistry& colVoiceLists() override { return m_views.registry; }
    ActiveWindow activeWindow() override { return {}; }
    GeneratorView& frmRandomiseVoices() override { return m_views.generator; }
    CatalogueDialogs& catalogueDialogs() override { return m_views.dialogs; }

private:
    std::string m_dataDirectory;
    std::int32_t m_saveFileFormat = 0;
    std::vector<std::string> m_recentFiles;
    HeadlessViews m_views;
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
