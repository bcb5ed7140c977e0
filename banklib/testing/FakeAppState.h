// Brevane - an in-memory main-window state for tests.
//
// Installs itself as banklib::appState() for its lifetime.
#pragma once

#include "banklib/AppState.h"
#include "banklib/testing/FakeCatalogueDialogs.h"
#include "banklib/testing/FakeGenerator.h"
#include "banklib/testing/FakeRegistry.h"

namespace banklib::testing {

class FakeAppState final : public AppState {
public:
    FakeAppState();
    ~FakeAppState() override;
    FakeAppState(const FakeAppState&) = delete;
    FakeAppState& operator=(const FakeAppState&) = delete;

    std::string DataDirectory() const override { return dataDirectory; }
    void setDataDirectory(const std::string& folder) override { dataDirectory = folder; }
    std::string ProgramFolder() const override { return programFolder; }
    std::int32_t SaveFileFormat() const override { return saveFileFormat; }
    void setSaveFileFormat(std::int32_t layout) override { saveFileFormat = layout; }
    std::vector<std::string> RecentFiles() const override { return recentFiles; }
    void setRecentFiles(const std::vector<std::string>& paths) override { recentFiles = paths; }
    std::int32_t MIDIDeviceNumber() const override { return deviceNumber; }
    VoiceListRegistry& colVoiceLists() override { return registry; }
    ActiveWindow activeWindow() override { return active; }
    GeneratorView& frmRandomiseVoices() override { return generator; }
    CatalogueDialogs& catalogueDialogs() override { return dialogs; }

    std::string dataDirectory;
    std::string programFolder;
    std::int32_t saveFileFormat = 0;
    std::vector<std::string> recentFiles;
    std::int32_t deviceNumber = 0;
    ActiveWindow active;
    FakeRegistry registry;
    FakeGenerator generator;
    FakeCatalogueDialogs dialogs;
};

}  // namespace banklib::testing
