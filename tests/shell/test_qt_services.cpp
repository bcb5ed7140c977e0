// The Qt message boxes, file dialogs, waits and help, and the splash and About windows.
#include "midiui/MidiInitSetup.h"
#include "midiui/frmMidiConfigure.h"
#include "platform/Services.h"
#include "platform/StatusHelpers.h"
#include "platform/testing/ScriptedServices.h"
#include "shell/HelpTopics.h"
#include "shell/QtEventLoop.h"
#include "shell/QtFileDialogService.h"
#include "shell/QtHelpService.h"
#include "shell/QtMessageService.h"
#include "shell/frmAbout.h"
#include "shell/frmHelp.h"
#include "shell/frmOptions.h"
#include "shell/frmSplash.h"

#include "ShellTestSupport.h"

#include <QAbstractButton>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

namespace shell {
namespace {

using platform::MsgAnswer;
using platform::testing::ScriptedServices;
using shell::testing::TempFolder;
using shell::testing::whenModal;
using shell::testing::writeFile;
using B = QMessageBox::StandardButton;

TEST(QtMessageService, StylesGiveTheirButtonsIconsAndDefaults)
{
    struct Row {
        int style;
        QMessageBox::Icon icon;
        std::vector<B> buttons;
        B defaultButton;
        B escape;
    };
    const Row rows[] = {
        {0, QMessageBox::NoIcon, {B::Ok}, B::Ok, B::Ok},
        {1, QMessageBox::NoIcon, {B::Ok, B::Cancel}, B::Ok, B::Cancel},
        {3, QMessageBox::NoIcon, {B::Yes, B::No, B::Cancel}, B::Yes, B::Cancel},
        {4, QMessageBox::NoIcon, {B::Yes, B::No}, B::Yes, B::NoButton},
        {16, QMessageBox::Critical, {B::Ok}, B::Ok, B::Ok},
        {35, QMessageBox::Question, {B::Yes, B::No, B::Cancel}, B::Yes, B::Cancel},
        {48, QMessageBox::Warning, {B::Ok}, B::Ok, B::Ok},
        {51, QMessageBox::Warning, {B::Yes, B::No, B::Cancel}, B::Yes, B::Cancel},
        {64, QMessageBox::Information, {B::Ok}, B::Ok, B::Ok},
        {4 + 32 + 256, QMessageBox::Question, {B::Yes, B::No}, B::No, B::NoButton},
        {3 + 512, QMessageBox::NoIcon, {B::Yes, B::No, B::Cancel}, B::Cancel, B::Cancel},
    };
    for (const Row& r : rows) {
        const auto layout = QtMessageService::layoutFor(r.style);
        EXPECT_EQ(layout.icon, r.icon) << r.style;
        EXPECT_EQ(layout.buttons, r.buttons) << r.style;
        EXPECT_EQ(layout.defaultButton, r.defaultButton) << r.style;
        EXPECT_EQ(layout.escapeButton, r.escape) << r.style;
    }
    EXPECT_EQ(QtMessageService::answerFor(B::Yes), MsgAnswer::Yes);
    EXPECT_EQ(QtMessageService::answerFor(B::No), MsgAnswer::No);
    EXPECT_EQ(QtMessageService::answerFor(B::Cancel), MsgAnswer::Cancel);
    EXPECT_EQ(QtMessageService::answerFor(B::Ok), MsgAnswer::Ok);
}

TEST(QtMessageService, TextsAreLatin1WithPlainLineBreaks)
{
    QtMessageService service;
    std::unique_ptr<QMessageBox> box(service.makeBox("Caf\xE9 has changed\r\nOK to save ?", 3, ""));
    EXPECT_EQ(box->text(), QStringLiteral("Caf\u00E9 has changed\nOK to save ?"));
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Brevane"));
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    std::unique_ptr<QMessageBox> titled(service.makeBox("<b>x</b>", 0, "Save File"));
    EXPECT_EQ(titled->windowTitle(), QStringLiteral("Save File"));
    // A file name comes from the file system in UTF-8 and shows as the title bar shows it.
    std::unique_ptr<QMessageBox> named(service.makeBox("na\xC3\xAFve caf\xC3\xA9.syx has changed", 3, "caf\xC3\xA9.syx"));
    EXPECT_EQ(named->text(), QStringLiteral("na\u00EFve caf\u00E9.syx has changed"));
    EXPECT_EQ(named->windowTitle(), QStringLiteral("caf\u00E9.syx"));
}

TEST(QtMessageService, TheButtonPressedIsTheAnswer)
{
    QtMessageService service;
    for (const auto& [button, answer] : {std::pair{B::No, MsgAnswer::No}, std::pair{B::Cancel, MsgAnswer::Cancel},
                                         std::pair{B::Yes, MsgAnswer::Yes}}) {
        whenModal<QMessageBox>([button = button](QMessageBox* box) { box->button(button)->click(); });
        EXPECT_EQ(service.messageBox("Save ?", 35, "Save File"), answer);
    }
}

TEST(QtMessageService, InputBoxGivesTheTextOrNothing)
{
    QtMessageService service;
    whenModal<QInputDialog>([](QInputDialog* d) {
        d->setTextValue(QStringLiteral("New Name\u00FC"));
        d->accept();
    });
    EXPECT_EQ(service.inputBox("Name", "Rename", "Old"), std::optional<std::string>("New Name\xFC"));
    whenModal<QInputDialog>([](QInputDialog* d) { d->reject(); });
    EXPECT_EQ(service.inputBox("Name", "Rename", "Old"), std::nullopt);
}

TEST(QtEventLoop, HandlesEventsAndWakesUpWithoutThem)
{
    QtEventLoop loop;
    bool handled = false;
    bool insideDuringHandler = false;
    QTimer::singleShot(0, qApp, [&] {
        handled = true;
        insideDuringHandler = QtEventLoop::insideWait();
    });
    for (int i = 0; i < 50 && !handled; ++i)
        loop.processEvents(20);
    EXPECT_TRUE(handled);
    EXPECT_TRUE(insideDuringHandler);
    EXPECT_FALSE(QtEventLoop::insideWait());

    // With nothing to do, the wait ends by itself.
    const std::int64_t start = loop.nowMs();
    loop.processEvents(30);
    EXPECT_GE(loop.nowMs(), start);
    loop.processEvents(0);
    loop.processEvents(-5);
}

// A timed call comes at its time while a modal dialog opened inside a wait holds that
// wait up: it does not wait for the dialog to close.
TEST(QtEventLoop, ATimedCallRunsOnTimeWhileADialogOpenedInAWaitIsOpen)
{
    QtEventLoop loop;
    platform::installEventLoop(&loop);
    const auto uninstall = qScopeGuard([] { platform::installEventLoop(nullptr); });
    std::int64_t ranAt = -1;
    std::int64_t dialogClosedAt = -1;
    bool dialogOpenWhenRun = false;
    QDialog* dialog = nullptr;
    const std::int64_t start = loop.nowMs();
    platform::TimedCall call;
    call.start(300, [&] {
        ranAt = loop.nowMs();
        dialogOpenWhenRun = dialog != nullptr && dialog->isVisible();
    });
    // 100 ms into the wait, a modal dialog opens and stays open for 1.5 s.
    QTimer::singleShot(100, qApp, [&] {
        QDialog d;
        dialog = &d;
        QTimer::singleShot(1500, &d, &QDialog::accept);
        d.exec();
        dialog = nullptr;
        dialogClosedAt = loop.nowMs();
    });
    platform::PauseWithEvents(200);
    ASSERT_GE(dialogClosedAt, 0);
    ASSERT_GE(ranAt, 0);
    EXPECT_TRUE(dialogOpenWhenRun);
    EXPECT_LT(ranAt, dialogClosedAt);
    EXPECT_GE(ranAt - start, 300);
    // Taken back, a call never comes.
    bool cancelledRan = false;
    call.start(20, [&] { cancelledRan = true; });
    call.stop();
    platform::PauseWithEvents(80);
    EXPECT_FALSE(cancelledRan);
}

TEST(QtFileDialogService, TheDialogFollowsTheRequest)
{
    ScriptedServices scripted;
    QtFileDialogService service;
    TempFolder temp;
    platform::FileDialogRequest open;
    open.title = "Open DX7 Voice Data File";
    open.initialFolder = temp.folder();
    open.filters = {{"DX7 Voice Files (*.dat,*.syx)", "*.dat;*.syx"}, {"All Files (*.*)", "*.*"}};
    open.filterIndex = 2;
    open.multiSelect = true;
    open.helpTopic = "MDIMain.htm#FileOpen";
    std::unique_ptr<QFileDialog> d(service.makeDialog(open, false));
    EXPECT_EQ(d->windowTitle(), QStringLiteral("Open DX7 Voice Data File"));
    EXPECT_EQ(d->fileMode(), QFileDialog::ExistingFiles);
    EXPECT_EQ(d->acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(d->nameFilters(), (QStringList{QStringLiteral("DX7 Voice Files (*.dat,*.syx) (*.dat *.syx)"),
                                             QStringLiteral("All Files (*.*)")}));
    EXPECT_EQ(d->selectedNameFilter(), QStringLiteral("All Files (*.*)"));
    EXPECT_TRUE(d->testOption(QFileDialog::DontUseNativeDialog));
    auto* buttons = d->findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    QPushButton* help = buttons->button(QDialogButtonBox::Help);
    ASSERT_NE(help, nullptr);
    help->click();
    EXPECT_EQ(scripted.helpTopicsShown(), (std::vector<std::string>{"MDIMain.htm#FileOpen"}));

    platform::FileDialogRequest save;
    save.title = "Save DX7 Voice Data File ";
    save.promptOverwrite = false;
    save.defaultExtension = "dat";
    std::unique_ptr<QFileDialog> s(service.makeDialog(save, true));
    EXPECT_EQ(s->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_TRUE(s->testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_EQ(s->defaultSuffix(), QStringLiteral("dat"));
    EXPECT_EQ(s->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Help), nullptr);
}

TEST(QtFileDialogService, ChosenPathsComeBackInTheFileSystemsEncoding)
{
    QtFileDialogService service;
    TempFolder temp;
    const std::string name = temp.file("B\xC3\xA4nke.dat");  // UTF-8 on disk
    writeFile(name, "x");
    platform::FileDialogRequest open;
    open.initialFolder = temp.folder();
    open.fileName = name;
    std::unique_ptr<QFileDialog> d(service.makeDialog(open, false));
    const platform::FileDialogResult accepted = QtFileDialogService::resultOf(*d, true);
    ASSERT_TRUE(accepted.accepted);
    EXPECT_EQ(accepted.files, (std::vector<std::string>{name}));
    EXPECT_FALSE(QtFileDialogService::resultOf(*d, false).accepted);
}

class HelpTest : public ::testing::Test {
protected:
    frmHelp help;
    bool hasTopic(const QString& topic) const
    {
        for (const HelpSection& s : help.sections())
            if (s.topic() == topic)
                return true;
        return false;
    }
};

TEST_F(HelpTest, EveryTopicTheProgramOpensIsShownWhereItPoints)
{
    // Each topic as the program asks for it (the contents, the menus' help contexts, the
    // dialogs' and the file dialogs' Help buttons) shows its own page and heading, page
    // names and anchors matched without regard to case as in a help file.
    for (const std::string& topic : programHelpTopics()) {
        help.showTopic(QString::fromStdString(topic));
        const QString shown = help.currentTopic();
        EXPECT_EQ(shown.compare(QString::fromStdString(normaliseHelpTopic(topic)), Qt::CaseInsensitive), 0)
            << topic << " showed " << shown.toStdString();
        EXPECT_TRUE(hasTopic(shown)) << topic << " showed " << shown.toStdString();
    }
    // The windows that have pages of their own are found by what they are used for.
    for (const char* word : {"envelope", "drag", "random"})
        EXPECT_FALSE(help.search(QString::fromLatin1(word)).isEmpty()) << word;
    help.close();
}

TEST_F(HelpTest, ShowsTopicsAndFindsWords)
{
    help.showTopic(QStringLiteral("::/MDIMain.htm#EditFind"));
    EXPECT_EQ(help.currentTopic(), QStringLiteral("MDIMain.htm#EditFind"));
    EXPECT_TRUE(help.isVisible());
    help.showTopic(QStringLiteral("Missing.htm#Nowhere"));
    EXPECT_EQ(help.currentTopic(), QStringLiteral("index.htm"));

    const QStringList rename = help.search(QStringLiteral("second BOX esc"));
    EXPECT_TRUE(rename.contains(QStringLiteral("VoiceList.htm#Rename")));
    EXPECT_TRUE(help.search(QStringLiteral("timeout 60 seconds")).contains(QStringLiteral("Options.htm#MIDI")));
    EXPECT_TRUE(help.search(QStringLiteral("xyzzy")).isEmpty());
    EXPECT_TRUE(help.search(QStringLiteral("  ")).isEmpty());
    help.close();
}

TEST(QtHelpService, MakesOneHelpWindowAndShowsTheTopic)
{
    QtHelpService service;
    EXPECT_FALSE(service.windowOpen());
    service.showHelp("::/MDIMain.htm#ToolsOptions");
    ASSERT_TRUE(service.windowOpen());
    frmHelp* first = &service.window();
    EXPECT_EQ(first->currentTopic(), QStringLiteral("MDIMain.htm#ToolsOptions"));
    service.showHelp("");
    EXPECT_EQ(&service.window(), first);
    EXPECT_EQ(first->currentTopic(), QStringLiteral("index.htm"));
    service.showSearch();
    service.showIndex();
    EXPECT_TRUE(first->isVisible());
    first->close();
}

// A click as the user's arrives: through the window system, which drops it on a window
// that a modal dialog blocks.
void clickThroughWindow(QWidget& target, QPoint at)
{
    QWidget* top = target.window();
    QTest::mouseClick(top->windowHandle(), Qt::LeftButton, Qt::NoModifier, target.mapTo(top, at));
}

TEST(QtHelpService, HelpFromAModalDialogComesUpAboveItAndTakesInput)
{
    // The Help button of each modal dialog, clicked while the dialog runs, or F1 pressed in
    // it, with the help window not made yet, on screen, or closed: the help shows the
    // dialog's topic, takes a click in its contents with the dialog still open, and stays
    // when the dialog closes.
    QWidget main;
    main.resize(640, 480);
    main.show();
    QtHelpService service([&main] { return &main; });
    platform::installHelpService(&service);
    QtFileDialogService files([&main] { return &main; });
    std::optional<bool> showSplash = true;
    std::optional<std::int32_t> synthId;
    MidiInitSetup midi;

    enum class Before { NotMade, Shown, Closed };
    enum class Ask { HelpButton, F1 };
    struct Row {
        const char* dialog;
        Before help;
        std::function<void()> exec;
        std::string topic;
        Ask ask = Ask::HelpButton;
    };
    const Row rows[] = {
        {"Open", Before::NotMade,
         [&] {
             platform::FileDialogRequest open;
             open.helpTopic = "MDIMain.htm#FileOpen";
             (void)files.openFile(open);
         },
         "MDIMain.htm#FileOpen"},
        {"Tools > Options", Before::Shown, [&] { frmOptions(showSplash, synthId, midi, &main).exec(); },
         "MDIMain.htm#ToolsOptions"},
        {"MIDI devices", Before::Closed, [&] { frmMidiConfigure(midi.object(), {}, false, &main).exec(); },
         "index.htm#StartingBrevane"},
        {"F1 in Save As", Before::Closed,
         [&] {
             platform::FileDialogRequest save;
             save.helpTopic = "MDIMain.htm#FileSaveAs";
             (void)files.saveFile(save);
         },
         "MDIMain.htm#FileSaveAs", Ask::F1},
        {"F1 in Tools > Options", Before::Shown, [&] { frmOptions(showSplash, synthId, midi, &main).exec(); },
         "MDIMain.htm#ToolsOptions", Ask::F1},
        {"F1 in MIDI devices", Before::Closed, [&] { frmMidiConfigure(midi.object(), {}, false, &main).exec(); },
         "index.htm#StartingBrevane", Ask::F1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.dialog);
        if (row.help == Before::Shown)
            service.showHelp("");
        else if (row.help == Before::Closed)
            service.window().close();
        bool helped = false;
        whenModal<QDialog>([&](QDialog* dialog) {
            if (row.ask == Ask::F1) {
                // Through the window system, to the widget that has the focus.
                QTest::keyClick(dialog->windowHandle(), Qt::Key_F1);
            } else {
                for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>())
                    if (button->isVisible() && button->text().remove(QLatin1Char('&')) == QStringLiteral("Help"))
                        clickThroughWindow(*button, button->rect().center());
            }
            if (service.windowOpen()) {
                frmHelp& help = service.window();
                helped = help.isVisible();
                EXPECT_EQ(help.currentTopic().toStdString(), row.topic);
                EXPECT_EQ(QApplication::activeWindow(), &help);
                auto* contents = help.findChild<QTreeWidget*>();
                for (QTreeWidgetItem* page : contents->findItems(QStringLiteral("Quick Tour"), Qt::MatchExactly))
                    clickThroughWindow(*contents->viewport(), contents->visualItemRect(page).center());
                EXPECT_EQ(help.currentTopic().toStdString(), "QuickTour.htm");
                EXPECT_EQ(QApplication::activeModalWidget(), dialog);
            }
            dialog->reject();
        });
        row.exec();
        EXPECT_TRUE(helped);
        EXPECT_TRUE(service.windowOpen() && service.window().isVisible()) << "it stays when the dialog closes";
    }
    service.window().close();
    platform::installHelpService(nullptr);
}

TEST(frmSplash, PlacedByTheMainWindowsWidthNearTheTopOfTheScreen)
{
    frmSplash splash;
    splash.Form_Load(1000);
    EXPECT_EQ(splash.x(), 500 - splash.width() / 2);
    EXPECT_EQ(splash.y(), 500 / 15);
    // A main window narrower than the splash puts it partly off the screen.
    splash.Form_Load(100);
    EXPECT_LT(splash.x(), 0);
}

TEST(frmAbout, TitleVersionAndTheSystemInformationTool)
{
    ScriptedServices scripted;
    frmAbout about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About Brevane"));
    EXPECT_EQ(about.titleText(), QStringLiteral("Brevane"));
    EXPECT_EQ(about.versionText(), QStringLiteral("Version 1.2.3"));

    TempFolder empty;
    TempFolder tools;
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(empty.path().string()));
    EXPECT_FALSE(about.StartSysInfo());
    ASSERT_EQ(scripted.messagesShown().size(), 1u);
    EXPECT_EQ(scripted.messagesShown()[0].text, "System Information Is Unavailable At This Time");
    EXPECT_EQ(scripted.messagesShown()[0].style, 0);

    // A tool on the PATH is started.
    const std::string marker = tools.file("started");
    const std::string script = tools.file("hardinfo");
    writeFile(script, "#!/bin/sh\n/usr/bin/touch '" + marker + "'\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    const QString path = QString::fromStdString(empty.path().string() + ":" + tools.path().string());
    EXPECT_EQ(frmAbout::findSystemInfoTool(path), QString::fromStdString(script));
    qputenv("PATH", path.toLocal8Bit());
    EXPECT_TRUE(about.StartSysInfo());
    for (int i = 0; i < 3000 && !std::filesystem::exists(marker); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(std::filesystem::exists(marker));
    EXPECT_EQ(scripted.messagesShown().size(), 1u);
    qputenv("PATH", oldPath);
}

}  // namespace
}  // namespace shell
