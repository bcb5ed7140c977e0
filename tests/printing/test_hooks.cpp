// What printing adds to the main window's start-up options.
#include "midiui/MidiInitSetup.h"
#include "printing/PrintingHooks.h"
#include "printing/frmPreview.h"
#include "printing/modPrintOps.h"
#include "shell/frmStartup.h"

#include "PrintingTestSupport.h"
#include "platform/testing/ScriptedServices.h"

#include <QPointer>
#include <QTextEdit>
#include <QWindow>

namespace printing {
namespace {

using shell::CommandId;

TEST(PrintingHooks, PrintersAreCountedWithThePdfPrinterAndTheFileCommandsRunHere)
{
    platform::testing::ScriptedServices ui;
    banklib::testing::FakeAppState app;
    auto scripted = std::make_unique<testing::ScriptedPrintDialogs>();
    testing::ScriptedPrintDialogs* dialogs = scripted.get();
    modPrintOps ops(std::move(scripted));

    shell::StartupOptions options;
    std::vector<CommandId> others;
    int otherUnloads = 0;
    options.runExtraCommand = [&others](CommandId id) { others.push_back(id); };
    options.onUnload = [&otherUnloads] { ++otherUnloads; };
    installPrinting(options, ops);

    EXPECT_TRUE(options.extraFeatures.printing);
    ASSERT_TRUE(options.countPrinters);
    EXPECT_GE(options.countPrinters(), 1);

    options.runExtraCommand(CommandId::FilePageSetup);
    EXPECT_EQ(dialogs->pageSetupsShown, 1);
    options.runExtraCommand(CommandId::FilePrint);
    EXPECT_EQ(ui.messagesShown().back().title, "No voice list selected");
    options.runExtraCommand(CommandId::FilePrintPreview);
    ASSERT_TRUE(ops.preview());
    EXPECT_TRUE(ops.preview()->isVisible());
    // No voice editor is open: Print Voice Data prints nothing and asks nothing.
    const std::size_t before = ui.messagesShown().size();
    options.runExtraCommand(CommandId::FilePrintVoiceData);
    EXPECT_EQ(ui.messagesShown().size(), before);
    options.runExtraCommand(CommandId::MidiSendBank);
    EXPECT_EQ(others, std::vector<CommandId>{CommandId::MidiSendBank});

    // The unload closes the preview without a question, whatever it holds.
    ops.preview()->RichTextBox1()->setPlainText(QStringLiteral("text"));
    const std::size_t asked = ui.messagesShown().size();
    options.onUnload();
    EXPECT_EQ(ui.messagesShown().size(), asked);
    EXPECT_FALSE(ops.preview());
    EXPECT_EQ(otherUnloads, 1);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace
}  // namespace printing

namespace printing {
namespace {

// A main window that keeps everything in folder, without a splash.
shell::StartupOptions mainWindowIn(const banklib::test::TempFolder& folder)
{
    shell::StartupOptions options;
    options.paths.programFolder = folder.folder();
    options.paths.settingsFile = folder.path("Brevane.ini");
    options.paths.dataBaseFolder = folder.folder();
    options.paths.besideProgram = true;
    options.splashMs = 0;
    return options;
}

// MIDI settings whose output is open until the exit closes it.
class OpenMidi final : public shell::MidiInitSetup {
public:
    bool MidiInOpen() const override { return false; }
    bool MidiOutOpen() const override { return outOpen; }
    void CloseMidiDevices(bool, bool output) override { outOpen = outOpen && !output; }
    bool outOpen = true;
};

TEST(PrintingHooks, ExitAsksAboutThePreviewsTextAndCancelKeepsTheProgramAsItWas)
{
    platform::testing::ScriptedServices ui;
    banklib::test::TempFolder program;
    modPrintOps ops(std::make_unique<testing::ScriptedPrintDialogs>());
    shell::StartupOptions options = mainWindowIn(program);
    OpenMidi* midi = nullptr;
    options.makeMidiSetup = [&midi] {
        auto setup = std::make_unique<OpenMidi>();
        midi = setup.get();
        return setup;
    };
    installPrinting(options, ops);
    shell::frmStartup main(std::move(options));
    ASSERT_TRUE(main.Form_Load());
    ASSERT_NE(midi, nullptr);
    ops.showPreview();
    ops.preview()->RichTextBox1()->setPlainText(QStringLiteral("typed by hand"));

    ui.clear();
    ui.answer(platform::MsgAnswer::Cancel);
    EXPECT_FALSE(main.close());
    ASSERT_EQ(ui.messagesShown().size(), 1u);
    EXPECT_EQ(ui.messagesShown()[0].text, "Save text to file ?");
    EXPECT_TRUE(main.isVisible());
    ASSERT_TRUE(ops.preview());
    EXPECT_EQ(ops.preview()->RichTextBox1()->toPlainText(), QStringLiteral("typed by hand"));
    EXPECT_TRUE(midi->outOpen) << "the MIDI output stays open for the program that goes on";

    ui.answer(platform::MsgAnswer::No);
    EXPECT_TRUE(main.close());
    EXPECT_FALSE(ops.preview());
    EXPECT_FALSE(midi->outOpen);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(PrintingHooks, ThePreviewIsTheMainWindowsOwnKeptAboveItAndGoesWithIt)
{
    platform::testing::ScriptedServices ui;
    banklib::test::TempFolder program;
    modPrintOps ops(std::make_unique<testing::ScriptedPrintDialogs>());
    shell::StartupOptions options = mainWindowIn(program);
    installPrinting(options, ops);
    QPointer<frmPreview> preview;
    {
        shell::frmStartup main(std::move(options));
        ASSERT_TRUE(main.Form_Load());
        ops.showPreview();
        preview = ops.preview();
        ASSERT_TRUE(preview);
        // A dialog window of the main window, which the window system keeps above it, and
        // one that blocks nothing.
        EXPECT_EQ(preview->parentWidget(), &main);
        ASSERT_NE(preview->windowHandle(), nullptr);
        EXPECT_EQ(preview->windowHandle()->transientParent(), main.windowHandle());
        EXPECT_TRUE(preview->windowFlags().testFlag(Qt::Window));
        EXPECT_EQ(preview->windowType(), Qt::Dialog);
        EXPECT_FALSE(preview->isModal());
        EXPECT_EQ(preview->windowModality(), Qt::NonModal);
        preview->RichTextBox1()->setPlainText(QStringLiteral("text"));
        ui.answer(platform::MsgAnswer::No);
        EXPECT_TRUE(main.close());
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(preview.isNull());
    }
    // The main window gone, the printing operations end with nothing left to delete.
    EXPECT_FALSE(ops.preview());
}

}  // namespace
}  // namespace printing
