// Brevane - the main window's state as the voice bank library sees it.
//
// Part of the main window: its members stand with the main window's (frmStartupAppState.cpp).
#pragma once

#include "banklib/AppState.h"
#include "banklib/GeneratorView.h"
#include "banklib/HeadlessViews.h"

namespace shell {

class frmStartup;

// banklib::AppState over frmStartup: the data folder, the program folder, the recent
// files, the "Save File" layout, the MIDI device number, and the voice lists, the active
// child, the generator and the catalogue dialogs that the windows supply. Without voice
// lists (NoVoiceLists) or a generator window, the headless ones stand in
// (banklib::HeadlessViews): an empty registry, a generator that keeps only its flag and
// dialogs that answer Cancel.
class ShellAppState final : public banklib::AppState {
public:
    explicit ShellAppState(frmStartup& window) : m_window(window) {}
    ShellAppState(const ShellAppState&) = delete;
    ShellAppState& operator=(const ShellAppState&) = delete;

    // The patch generator window, once it exists (nullptr: the stand-in).
    void setGenerator(banklib::GeneratorView* generator) { m_generator = generator; }

    std::string DataDirectory() const override;
    void setDataDirectory(const std::string& folder) override;
    std::string ProgramFolder() const override;
    std::int32_t SaveFileFormat() const override;
    void setSaveFileFormat(std::int32_t layout) override;
    std::vector<std::string> RecentFiles() const override;
    void setRecentFiles(const std::vector<std::string>& paths) override;
    std::int32_t MIDIDeviceNumber() const override;
    banklib::VoiceListRegistry& colVoiceLists() override;
    banklib::ActiveWindow activeWindow() override;
    banklib::GeneratorView& frmRandomiseVoices() override;
    banklib::CatalogueDialogs& catalogueDialogs() override;

private:
    frmStartup& m_window;
    banklib::GeneratorView* m_generator = nullptr;
    banklib::HeadlessViews m_standIns;
};

}  // namespace shell
