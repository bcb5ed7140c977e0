// Opening a 100,000-voice bank into a voice-list window and showing bank 1, and what
// paging, selecting and renaming in that window cost.
#include "banklib/VoiceFormat.h"
#include "banklib/clsVoiceData.h"
#include "banklib/clsVoiceNames.h"
#include "shell/VoiceListBox.h"
#include "shell/VoiceLists.h"
#include "shell/frmStartup.h"
#include "shell/frmVoiceList.h"

#include <QApplication>
#include <QLineEdit>
#include <QScrollBar>

#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>

namespace {

constexpr std::size_t kVoices = 100'000;

QApplication& app()
{
    static int argc = 1;
    static char name[] = "shell_voicelist_bench";
    static char* argv[] = {name, nullptr};
    static QApplication* instance = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *instance;
}

// A packed bank of 100,000 voices named "VOICE 0001".., written once.
std::string bigBank()
{
    const auto path = std::filesystem::temp_directory_path() / "brevane-voicelist-bench.dat";
    if (std::filesystem::exists(path) && std::filesystem::file_size(path) == kVoices * banklib::kPackedVoiceSize)
        return path.string();
    std::vector<std::uint8_t> data(kVoices * banklib::kPackedVoiceSize);
    std::array<std::uint8_t, banklib::kUnpackedVoiceSize> voice{};
    for (std::size_t i = 0; i < kVoices; ++i) {
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

struct Program {
    std::unique_ptr<shell::frmStartup> main;
    shell::VoiceLists* lists = nullptr;
    Program()
    {
        app();
        shell::StartupOptions options;
        options.paths.programFolder = std::filesystem::temp_directory_path().string() + "/";
        options.paths.settingsFile = options.paths.programFolder + "brevane-bench.ini";
        options.makeVoiceLists = [this](shell::frmStartup& m) {
            auto made = std::make_unique<shell::VoiceLists>(m);
            lists = made.get();
            return made;
        };
        main = std::make_unique<shell::frmStartup>(std::move(options));
        main->show();
    }
    ~Program()
    {
        main.reset();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    shell::frmVoiceList* open(const std::string& path)
    {
        banklib::clsVoiceNames names;
        banklib::VoiceListView* window = nullptr;
        (void)names.CreateVoiceListandFileImage(path, window, false, false);
        return dynamic_cast<shell::frmVoiceList*>(window);
    }
};

void BM_OpenBankOf100000VoicesAndShowBank1(benchmark::State& state)
{
    const std::string path = bigBank();
    Program program;
    for (auto _ : state) {
        shell::frmVoiceList* w = program.open(path);
        QApplication::processEvents();
        benchmark::DoNotOptimize(w);
        state.PauseTiming();
        if (w == nullptr || w->List1()->count() != 32)
            state.SkipWithError("the bank did not open");
        else
            (void)w->unload();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenBankOf100000VoicesAndShowBank1)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_PageThrough100000Voices(benchmark::State& state)
{
    Program program;
    shell::frmVoiceList* w = program.open(bigBank());
    int bank = 1;
    for (auto _ : state) {
        bank = bank % 3125 + 1;
        w->HScroll1()->setValue(bank);
        benchmark::DoNotOptimize(w->List1()->count());
    }
}
BENCHMARK(BM_PageThrough100000Voices)->Unit(benchmark::kMicrosecond);

void BM_ClickAndCtrlClickIn100000Voices(benchmark::State& state)
{
    Program program;
    shell::frmVoiceList* w = program.open(bigBank());
    w->HScroll1()->setValue(1500);
    int entry = 0;
    for (auto _ : state) {
        entry = (entry + 7) % 32;
        const QPoint at = w->List1()->itemRect(entry).center();
        w->List1_MouseDown(Qt::LeftButton, entry % 2 ? Qt::ControlModifier : Qt::NoModifier, at);
        w->List1_MouseUp(Qt::LeftButton, entry % 2 ? Qt::ControlModifier : Qt::NoModifier, at);
        w->renameWait().stop();
    }
}
BENCHMARK(BM_ClickAndCtrlClickIn100000Voices)->Unit(benchmark::kMicrosecond);

void BM_RenameIn100000Voices(benchmark::State& state)
{
    Program program;
    shell::frmVoiceList* w = program.open(bigBank());
    w->HScroll1()->setValue(2000);
    int k = 0;
    for (auto _ : state) {
        k = (k + 1) % 32;
        w->ShowRenameBox(1999 * 32 + k);
        w->Text1()->setText(k % 2 ? QStringLiteral("RENAMED") : QStringLiteral("AGAIN"));
        w->commitRename();
    }
}
BENCHMARK(BM_RenameIn100000Voices)->Unit(benchmark::kMicrosecond);

}  // namespace
