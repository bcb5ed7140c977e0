// Start-up of the main window to a shown window (splash off), and what a yielding wait
// costs the processor.
#include "../voicelist/VoiceListBenchSupport.h"
#include "midiui/MidiInitSetup.h"
#include "platform/Services.h"
#include "platform/StatusHelpers.h"
#include "shell/QtEventLoop.h"
#include "shell/QtStatusService.h"
#include "shell/frmStartup.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>

namespace {

QApplication& app() { return bench_shell::app("shell_startup_bench"); }

std::filesystem::path benchFolder()
{
    const auto folder = std::filesystem::temp_directory_path() / "brevane-shell-bench";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "Brevane.ini", std::ios::binary)
        << ";MDI initialisation\r\n[StartUp]\r\nLeft=600\r\nTop=600\r\nWidth=10500\r\nHeight=7500\r\n"
           "ShowSplash=False\r\nSynthID=1\r\n\r\n;Recent Files List\r\n[Recent Files]\r\nFile 0=/banks/a.dat\r\n"
           "File 1=/banks/b.dat\r\nFile 2\r\nFile 3\r\nFile 4\r\nFile 5\r\n\r\n;ModInit Initialisation\r\n[MIDI]\r\n"
           "MIDIOutChannel=3\r\nMIDITimeout=2000\r\n\r\n";
    return folder;
}

// Construction, settings, menus and show, as the program does before its event loop.
void BM_StartupToShownWindow(benchmark::State& state)
{
    app();
    shell::QtEventLoop loop;
    shell::QtStatusService status;
    platform::installEventLoop(&loop);
    platform::installStatusService(&status);
    const auto folder = benchFolder();
    for (auto _ : state) {
        shell::StartupOptions options;
        options.paths.programFolder = folder.string() + "/";
        options.paths.settingsFile = (folder / "Brevane.ini").string();
        options.paths.dataBaseFolder = options.paths.programFolder;
        options.paths.besideProgram = true;
        options.makeMidiSetup = [] { return std::make_unique<shell::MidiInitSetup>(); };
        auto window = std::make_unique<shell::frmStartup>(std::move(options));
        status.setMainWindow(window.get());
        const bool shown = window->Form_Load() && window->isVisible();
        benchmark::DoNotOptimize(shown);
        state.PauseTiming();
        window->close();
        window.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    platform::installEventLoop(nullptr);
    platform::installStatusService(nullptr);
}
BENCHMARK(BM_StartupToShownWindow)->Unit(benchmark::kMillisecond)->Iterations(20);

// A 200 ms PauseWithEvents: the processor time it uses (cpu_ms), which must stay far
// below the wall time, since the wait sleeps in the event loop.
void BM_PauseWithEventsProcessorTime(benchmark::State& state)
{
    app();
    shell::QtEventLoop loop;
    platform::installEventLoop(&loop);
    double cpuMs = 0;
    for (auto _ : state) {
        const std::clock_t start = std::clock();
        platform::PauseWithEvents(200);
        cpuMs += 1000.0 * static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    }
    state.counters["cpu_ms"] = benchmark::Counter(cpuMs / static_cast<double>(state.iterations()));
    platform::installEventLoop(nullptr);
}
BENCHMARK(BM_PauseWithEventsProcessorTime)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
