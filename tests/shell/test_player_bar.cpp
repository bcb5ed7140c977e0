// Brevane - the main window's MIDI file player bar: the toolbar buttons, the slider and
// the tempo spinner drive the player, Timer1 moves the slider, hiding the bar or closing
// the program closes the file and frees the Mapper.
#include "ShellTestSupport.h"

#include "midi/MidiSetupRules.h"
#include "midi/testing/MidiFileBuilder.h"
#include "midiui/MidiInitSetup.h"
#include "platform/midi/LoopbackMidiBackend.h"
#include "platform/testing/ScriptedServices.h"
#include "shell/MidiFilePlayerBar.h"
#include "shell/frmStartup.h"

#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <functional>

using namespace shell;
using namespace shell::testing;
using midi::testing::TrackBuilder;

namespace {

class PlayerBarTest : public ::testing::Test {
protected:
    PlayerBarTest()
    {
        StartupOptions options;
        options.paths.programFolder = program.folder();
        options.paths.settingsFile = program.file("Brevane.ini");
        options.paths.dataBaseFolder = program.folder();
        options.paths.besideProgram = true;
        options.splashMs = 0;
        options.makeMidiSetup = [this] {
            auto backend = std::make_unique<platform::LoopbackMidiBackend>();
            backend->setMapperPresent(true);
            loop = backend.get();
            auto setup = std::make_unique<MidiInitSetup>(std::move(backend));
            setup->useHeadlessSetup();
            return setup;
        };
        main = std::make_unique<frmStartup>(std::move(options));
        (void)main->objMIDIInit();
        main->playerBar().objMIDIFilePlayer().setEngineTiming(midi::MidiPlayerEngine::Timing::Manual,
                                                             [this] { return ui.nowMs() * 1000; });
        main->show();
    }

    std::string song()
    {
        TrackBuilder t;
        t.tempo(0, 1'000'000).program(0, 0, 5);  // 60 BPM: a quarter note a second
        for (int i = 0; i < 10; ++i)
            t.noteOn(i == 0 ? 0 : 480, 0, 60 + i, 100);
        t.end(480);  // 10 s
        const auto bytes = midi::testing::buildMidiFile(0, 480, {t});
        const std::string path = program.file("A Song.mid");
        writeFile(path, std::string(bytes.begin(), bytes.end()));
        return path;
    }
    void openSong()
    {
        main->mnuTools_Click(2);
        ui.answerFile(song());
        main->Toolbar1_ButtonClick(QStringLiteral("Open Mid File"));
    }
    void tick(int times)
    {
        for (int i = 0; i < times; ++i) {
            ui.advance(50);
            emit main->Timer1_Timer();
        }
    }
    platform::RecordingMapperPort& mapper() { return loop->recordingMapper(); }

    platform::testing::ScriptedServices ui;
    TempFolder program;
    platform::LoopbackMidiBackend* loop = nullptr;
    std::unique_ptr<frmStartup> main;
};

}  // namespace

TEST_F(PlayerBarTest, TheButtonsPlayAFileAndTimer1MovesTheSlider)
{
    // A click on Play with no file open asks for one, with the button drawn up again first.
    main->mnuTools_Click(2);
    ui.answerFile(song());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
    auto* play = qobject_cast<QToolButton*>(
        main->findChild<QToolBar*>(QStringLiteral("Toolbar1"))->widgetForAction(main->action(CommandId::PlayerPlay)));
    ASSERT_NE(play, nullptr);
    bool drawnDownBeforeTheDialog = false;
    PaintWatch watch(*play, [&] {
        if (ui.fileDialogsShown().empty())
            drawnDownBeforeTheDialog = play->isDown();
    });
    QTest::mouseClick(play, Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !ui.fileDialogsShown().empty(); }, 2000));
    EXPECT_FALSE(drawnDownBeforeTheDialog);
    EXPECT_TRUE(main->IsOpen() && main->IsPlaying() && main->IsMIDIMapperAllocated());
    EXPECT_EQ(main->MidiFileTitle(), "A Song");
    EXPECT_EQ(main->Slider1()->maximum(), 10);
    EXPECT_EQ(main->UpDown1()->value(), 60);
    EXPECT_EQ(ui.statusText(2), "Opened : A Song");
    tick(40);
    EXPECT_EQ(main->Slider1()->value(), 2);
    EXPECT_EQ(ui.statusText(2), "Playing : A Song");

    main->Toolbar1_ButtonClick(QStringLiteral("Pause"));
    EXPECT_FALSE(main->IsPlaying());
    EXPECT_EQ(ui.statusText(2), "Paused : A Song");
    main->Toolbar1_ButtonClick(QStringLiteral("Play"));
    EXPECT_TRUE(main->IsPlaying());
    main->Toolbar1_ButtonClick(QStringLiteral("Stop"));
    main->Toolbar1_ButtonClick(QStringLiteral("Stop"));
    EXPECT_EQ(main->Slider1()->value(), 0);
    EXPECT_EQ(ui.statusText(2), "Stopped : A Song");
}

TEST_F(PlayerBarTest, ThePositionSliderAndTheTempoSpinnerAreTheUsersOwn)
{
    openSong();
    tick(8);
    // A page step to the right (a click beside the thumb) jumps and plays on from there.
    main->Slider1()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(main->Slider1()->value(), 1);
    EXPECT_TRUE(main->IsPlaying());
    EXPECT_EQ(main->playerBar().objMIDIFilePlayer().SeqStatus(midi::SeqStatusItem::Position), 1000);

    // Doubling the tempo doubles the speed at once.
    main->UpDown1()->setValue(120);
    tick(20);
    EXPECT_EQ(main->playerBar().objMIDIFilePlayer().SeqStatus(midi::SeqStatusItem::Position), 3000);
    EXPECT_EQ(main->UpDown1()->minimum(), midi::kPlayerMinTempo);
    EXPECT_EQ(main->UpDown1()->maximum(), midi::kPlayerMaxTempo);

    // A tempo typed and taken with Enter is set whole, and only then: the digits typed
    // before it change nothing. One beyond the range becomes its nearest limit, never the
    // digits typed before the one that went past it.
    struct Typed {
        const char* keys;
        int tempo;
    };
    QSpinBox* spinner = main->UpDown1();
    for (const Typed row : {Typed{"99999999", midi::kPlayerMaxTempo}, Typed{"0", midi::kPlayerMinTempo},
                            Typed{"400", 400}}) {
        SCOPED_TRACE(row.keys);
        const int before = main->playerBar().objMIDIFilePlayer().SeqStatus(midi::SeqStatusItem::Tempo);
        spinner->setFocus();
        QTest::keyClick(spinner, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(spinner, QString::fromLatin1(row.keys));
        EXPECT_EQ(main->playerBar().objMIDIFilePlayer().SeqStatus(midi::SeqStatusItem::Tempo), before);
        QTest::keyClick(spinner, Qt::Key_Return);
        EXPECT_EQ(spinner->value(), row.tempo);
        EXPECT_EQ(spinner->text().toStdString(), std::to_string(row.tempo) + " BPM");
        EXPECT_EQ(main->playerBar().objMIDIFilePlayer().SeqStatus(midi::SeqStatusItem::Tempo), row.tempo);
    }
    // The song is at 60 BPM: at 400, 150 ms play a second of it.
    tick(3);
    EXPECT_EQ(main->playerBar().objMIDIFilePlayer().SeqStatus(midi::SeqStatusItem::Position), 4000);
}

TEST_F(PlayerBarTest, HidingTheBarOrClosingTheProgramClosesTheFile)
{
    openSong();
    tick(4);
    main->mnuTools_Click(2);
    EXPECT_FALSE(main->IsOpen() || main->IsPlaying() || main->IsMIDIMapperAllocated());
    EXPECT_EQ(main->statusPanelText(2), QString());
    EXPECT_EQ(mapper().holder(), platform::MapperHolder::None);
    EXPECT_EQ(mapper().sent().back().bytes, (std::vector<std::uint8_t>{0xB0, 123, 0}));

    EXPECT_FALSE(midi::MidiMapperAllocated());
    openSong();
    EXPECT_EQ(mapper().holder(), platform::MapperHolder::Player);
    EXPECT_TRUE(midi::MidiMapperAllocated()) << "the device dialog refuses the Mapper meanwhile";
    EXPECT_TRUE(main->Form_Load());
    EXPECT_TRUE(main->close());
    EXPECT_EQ(mapper().holder(), platform::MapperHolder::None);
}
