// Brevane - listings of large lists: into the preview, to PDF, and through RTF files.
#include "banklib/clsVoiceData.h"
#include "banklib/clsVoiceNames.h"
#include "banklib/testing/FakeAppState.h"
#include "banklib/testing/FakeVoiceList.h"
#include "platform/testing/ScriptedServices.h"
#include "printing/PrintChoices.h"
#include "printing/frmPreview.h"
#include "printing/modPrintOps.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTextEdit>

#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <memory>

namespace {

QApplication& app()
{
    static int argc = 1;
    static char name[] = "printing_bench";
    static char* argv[] = {name, nullptr};
    static QApplication* instance = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *instance;
}

// A list of n packed voices named "VOICE 0000".. with varied parameters.
std::unique_ptr<banklib::testing::FakeVoiceList> bigList(std::size_t n)
{
    std::vector<std::uint8_t> data(n * banklib::kPackedVoiceSize);
    std::array<std::uint8_t, banklib::kUnpackedVoiceSize> voice{};
    for (std::size_t i = 0; i < n; ++i) {
        voice.fill(static_cast<std::uint8_t>(i % 8));
        voice[banklib::Unpacked::kAlgorithm] = static_cast<std::uint8_t>(i % 32);
        char text[16];
        std::snprintf(text, sizeof text, "VOICE %04zu", i % 10000);
        std::copy(text, text + banklib::kNameLength, voice.begin() + banklib::Unpacked::kName);
        banklib::clsVoiceData::packVoice(
            voice, std::span<std::uint8_t, banklib::kPackedVoiceSize>(data.data() + i * banklib::kPackedVoiceSize,
                                                                      banklib::kPackedVoiceSize));
    }
    banklib::clsVoiceNames names;
    platform::Recordset rs;
    bool repaired = false;
    (void)names.BuildRecordsetFromBytes(banklib::FileType::Packed, "BIG.SYX", rs, data, repaired);
    return std::make_unique<banklib::testing::FakeVoiceList>("/banks/BIG.SYX", banklib::FileType::Packed,
                                                            std::move(rs));
}

// Print dialogs that confirm the whole list, as a preview or for the printer.
class AllBanks final : public printing::PrintDialogs {
public:
    bool printOptions(printing::PrintChoices& c, QWidget*) override
    {
        c.setRange(printing::BankRange::All);
        if (withData)
            c.chooseKind(1);
        if (preview)
            c.pressPreview();
        return true;
    }
    bool choosePrinter(QPrinter&, QWidget*) override { return true; }
    bool pageSetup(QPrinter&, printing::PageMargins&, QWidget*) override { return true; }
    bool preview = true;
    bool withData = false;
};

struct Setup {
    explicit Setup(std::size_t voices) : list(bigList(voices))
    {
        (void)app();
        auto d = std::make_unique<AllBanks>();
        dialogs = d.get();
        ops = std::make_unique<printing::modPrintOps>(std::move(d));
        state.registry.registerList(*list);
        state.active.list = list.get();
        state.dataDirectory = folder.path().toStdString() + "/";
    }
    void closePreview()
    {
        if (ops->preview())
            ops->preview()->unload();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    platform::testing::ScriptedServices ui;
    banklib::testing::FakeAppState state;
    QTemporaryDir folder;
    std::unique_ptr<banklib::testing::FakeVoiceList> list;
    AllBanks* dialogs = nullptr;
    std::unique_ptr<printing::modPrintOps> ops;
};

// 100,000 voices, 3,125 banks, 196 name pages: built and laid out in the preview.
void BM_NameListingIntoPreview(benchmark::State& state)
{
    Setup s(100'000);
    for (auto _ : state) {
        s.ops->PrintVoiceListCommand();
        benchmark::DoNotOptimize(s.ops->preview()->RichTextBox1()->document()->documentLayout()->documentSize());
        state.PauseTiming();
        s.closePreview();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_NameListingIntoPreview)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same listing printed to a PDF file without a preview.
void BM_NameListingToPdf(benchmark::State& state)
{
    Setup s(100'000);
    s.dialogs->preview = false;
    const std::string pdf = s.folder.filePath(QStringLiteral("big.pdf")).toStdString();
    for (auto _ : state) {
        s.ui.answerFile(pdf);
        s.ops->PrintVoiceListCommand();
    }
}
BENCHMARK(BM_NameListingToPdf)->Unit(benchmark::kMillisecond)->Iterations(2);

// The full listing of 1,000 selected voices (250 pages) built and laid out in the preview.
void BM_FullListingIntoPreview(benchmark::State& state)
{
    Setup s(1'000);
    s.list->selectionTracker().tr.assign(1'001, true);
    s.list->selectionTracker().tr[0] = false;
    s.list->selectionTracker().TotalSelections = 1'000;
    s.dialogs->withData = true;
    for (auto _ : state) {
        s.ops->PrintVoiceListCommand();
        benchmark::DoNotOptimize(s.ops->preview()->RichTextBox1()->document()->documentLayout()->documentSize());
        state.PauseTiming();
        s.closePreview();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FullListingIntoPreview)->Unit(benchmark::kMillisecond)->Iterations(3);

// The name listing of 100,000 voices saved as an .rtf file from the preview, and loaded
// back into it (read, built and laid out).
void BM_NameListingRtfFile(benchmark::State& state)
{
    Setup s(100'000);
    s.ops->PrintVoiceListCommand();
    printing::frmPreview& preview = *s.ops->preview();
    const std::string path = s.folder.filePath(QStringLiteral("big.rtf")).toStdString();
    const bool save = state.range(0) == 0;
    s.ui.answerFile(path);
    (void)s.ops->LoadSavePreviewText(preview, 1, false);
    for (auto _ : state) {
        s.ui.answerFile(path);
        if (save) {
            (void)s.ops->LoadSavePreviewText(preview, 1, false);
        } else {
            s.ui.answer(platform::MsgAnswer::Yes);
            (void)s.ops->LoadSavePreviewText(preview, 0, false);
            benchmark::DoNotOptimize(preview.RichTextBox1()->document()->documentLayout()->documentSize());
        }
    }
    state.SetLabel(save ? "save" : "load");
    state.counters["bytes"] = static_cast<double>(QFile(QString::fromStdString(path)).size());
    s.closePreview();
}
BENCHMARK(BM_NameListingRtfFile)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
