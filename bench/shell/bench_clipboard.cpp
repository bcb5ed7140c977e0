// Edit > Delete, Cut, Copy and Paste of 50,000 selected voices in a voice-list window of
// 100,000 voices, as the Edit menu runs them (redrawing the bank and the commands).
// Every other voice is selected, so the voices are spread over the whole list.
#include "banklib/VoiceFormat.h"
#include "banklib/clsVoiceData.h"
#include "banklib/clsVoiceNames.h"
#include "shell/PatchClipboard.h"
#include "shell/VoiceLists.h"
#include "shell/frmStartup.h"
#include "shell/frmVoiceList.h"

#include <QApplication>
#include <QMdiArea>

#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>

namespace {

constexpr std::size_t kVoices = 100'000;
constexpr std::int32_t kSelected = 50'000;
// Edit menu indexes.
constexpr int kCut = 0;
constexpr int kCopy = 1;
constexpr int kPaste = 2;
constexpr int kDelete = 3;

QApplication& app()
{
    static int argc = 1;
    static char name[] = "shell_clipboard_bench";
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
    const auto path = std::filesystem::temp_directory_path() / "brevane-clipboard-bench.dat";
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

// The main window with one 100,000-voice list, and a copy of that list's records to put
// back before each run.
struct Program {
    std::unique_ptr<shell::frmStartup> main;
    shell::frmVoiceList* list = nullptr;
    platform::Recordset pristine;

    Program()
    {
        app();
        shell::StartupOptions options;
        options.paths.programFolder = std::filesystem::temp_directory_path().string() + "/";
        options.paths.settingsFile = options.paths.programFolder + "brevane-clipboard-bench.ini";
        options.makeVoiceLists = [](shell::frmStartup& m) { return std::make_unique<shell::VoiceLists>(m); };
        main = std::make_unique<shell::frmStartup>(std::move(options));
        main->show();
        banklib::clsVoiceNames names;
        banklib::VoiceListView* window = nullptr;
        (void)names.CreateVoiceListandFileImage(bigBank(), window, false, false);
        list = dynamic_cast<shell::frmVoiceList*>(window);
        if (list != nullptr)
            pristine = list->rsmfimage().copy();
    }
    ~Program()
    {
        shell::patchClipboard().clear();
        main.reset();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // All 100,000 voices back, every other one selected, the list active.
    void reset()
    {
        list->setRsmfimage(pristine.copy());
        list->InitList(1, true);
        banklib::SelectionTracker& t = list->selectionTracker();
        for (std::size_t v = 2; v < t.tr.size(); v += 2)
            t.tr[v] = true;
        t.TotalSelections = kSelected;
        list->setCurrentVoice(kSelected);
        main->mdiArea()->setActiveSubWindow(list->subWindow());
    }
};

void BM_Delete50000Of100000Voices(benchmark::State& state)
{
    Program program;
    if (program.list == nullptr) {
        state.SkipWithError("the bank did not open");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        program.reset();
        state.ResumeTiming();
        program.main->mnuedit_Click(kDelete);
        state.PauseTiming();
        if (program.list->VoiceCount() != static_cast<std::int32_t>(kVoices) - kSelected)
            state.SkipWithError("the voices were not deleted");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Delete50000Of100000Voices)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_Cut50000Of100000Voices(benchmark::State& state)
{
    Program program;
    if (program.list == nullptr) {
        state.SkipWithError("the bank did not open");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        program.reset();
        state.ResumeTiming();
        program.main->mnuedit_Click(kCut);
        state.PauseTiming();
        if (shell::GetClipboardCount() != kSelected ||
            program.list->VoiceCount() != static_cast<std::int32_t>(kVoices) - kSelected)
            state.SkipWithError("the voices were not cut");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Cut50000Of100000Voices)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_Copy50000Of100000Voices(benchmark::State& state)
{
    Program program;
    if (program.list == nullptr) {
        state.SkipWithError("the bank did not open");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        program.reset();
        state.ResumeTiming();
        program.main->mnuedit_Click(kCopy);
        state.PauseTiming();
        if (shell::GetClipboardCount() != kSelected)
            state.SkipWithError("the voices were not copied");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Copy50000Of100000Voices)->Unit(benchmark::kMillisecond)->Iterations(5);

// Paste of 50,000 voices in the middle of 100,000; with arg 1 they come from an unpacked
// list and are packed on the paste.
void BM_Paste50000Into100000Voices(benchmark::State& state)
{
    Program program;
    if (program.list == nullptr) {
        state.SkipWithError("the bank did not open");
        return;
    }
    const bool convert = state.range(0) != 0;
    platform::Recordset unpackedSource = program.pristine.copy();
    if (convert)
        shell::ConvertClipboardPatches(unpackedSource, banklib::FileType::Packed, banklib::FileType::Unpacked);
    std::vector<platform::Bookmark> half = unpackedSource.bookmarks();
    half.resize(static_cast<std::size_t>(kSelected));
    for (auto _ : state) {
        state.PauseTiming();
        program.reset();
        (void)shell::patchClipboard().fill(convert ? unpackedSource : program.list->rsmfimage(), half,
                                           convert ? banklib::FileType::Unpacked : banklib::FileType::Packed,
                                           "bench");
        state.ResumeTiming();
        program.main->mnuedit_Click(kPaste);
        state.PauseTiming();
        if (program.list->VoiceCount() != static_cast<std::int32_t>(kVoices) + kSelected)
            state.SkipWithError("the voices were not pasted");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Paste50000Into100000Voices)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
