// Brevane - what the benchmarks of the windows share: an offscreen application, a
// 100,000-voice bank and a main window with voice lists.
#pragma once

#include "banklib/VoiceFormat.h"
#include "banklib/clsVoiceData.h"
#include "banklib/clsVoiceNames.h"
#include "midiui/MidiInitSetup.h"
#include "shell/frmStartup.h"
#include "voicelist/VoiceLists.h"
#include "voicelist/frmVoiceList.h"

#include <QApplication>

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace bench_shell {

constexpr std::size_t kBankVoices = 100'000;

// The application object, made on the first call (argv[0] is the first call's name).
inline QApplication& app(const char* name)
{
    static int argc = 1;
    static std::string argv0 = name;
    static char* argv[] = {argv0.data(), nullptr};
    static QApplication* instance = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *instance;
}

// A packed bank of 100,000 voices named "VOICE 0001".., written once into the temporary
// folder under fileName.
inline std::string bigBank(const char* fileName)
{
    const auto path = std::filesystem::temp_directory_path() / fileName;
    if (std::filesystem::exists(path) && std::filesystem::file_size(path) == kBankVoices * banklib::kPackedVoiceSize)
        return path.string();
    std::vector<std::uint8_t> data(kBankVoices * banklib::kPackedVoiceSize);
    std::array<std::uint8_t, banklib::kUnpackedVoiceSize> voice{};
    for (std::size_t i = 0; i < kBankVoices; ++i) {
        voice.fill(0);
        voice[banklib::Unpacked::kAlgorithm] = static_cast<std::uint8_t>(i % 32);
        char name[16];
        std::snprintf(name, sizeof name, "VOICE %04zu", i % 10000);
        std::copy(name, name + banklib::kNameLength, voice.begin() + banklib::Unpacked::kName);
        banklib::clsVoiceData::packVoice(
            voice, std::span<std::uint8_t, banklib::kPackedVoiceSize>(data.data() + i * banklib::kPackedVoiceSize,
                                                                      banklib::kPackedVoiceSize));
    }
    banklib::clsVoiceNames writer;
    (void)writer.SaveVoiceDataToFileByt(data, path.string(), banklib::FileType::Packed, false);
    return path.string();
}

// The main window, shown, with the real voice lists; its settings file is
// settingsFileName in the temporary folder.
struct Program {
    std::unique_ptr<shell::frmStartup> main;
    shell::VoiceLists* lists = nullptr;

    Program(const char* appName, const char* settingsFileName)
    {
        app(appName);
        shell::StartupOptions options;
        options.paths.programFolder = std::filesystem::temp_directory_path().string() + "/";
        options.paths.settingsFile = options.paths.programFolder + settingsFileName;
        options.makeVoiceLists = [this](shell::frmStartup& m) {
            auto made = std::make_unique<shell::VoiceLists>(m);
            lists = made.get();
            return made;
        };
        options.makeMidiSetup = [] { return std::make_unique<shell::MidiInitSetup>(); };
        main = std::make_unique<shell::frmStartup>(std::move(options));
        main->show();
    }
    ~Program()
    {
        main.reset();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Opens a bank file into a new voice-list window; nullptr when it did not open.
    shell::frmVoiceList* open(const std::string& path)
    {
        banklib::clsVoiceNames names;
        banklib::VoiceListView* window = nullptr;
        (void)names.CreateVoiceListandFileImage(path, window, false, false);
        return dynamic_cast<shell::frmVoiceList*>(window);
    }
};

}  // namespace bench_shell
