// The Patch Generator window: its tree following the lists, ticks, the controls, and
// single and continuous runs into the work list.
#include "tools/frmRandomiseVoices.h"

#include "../voicelist/VoiceListTestSupport.h"

#include "banklib/AppState.h"
#include "editor/VoiceListEditors.h"
#include "editor/frmAlgorithms.h"
#include "midi/TimedPhrase.h"
#include "midi/clsMIDIInit.h"
#include "midi/clsMidiManagerData.h"
#include "midi/testing/TimedNotes.h"
#include "platform/VbText.h"
#include "platform/midi/LoopbackMidiBackend.h"
#include "voicelist/frmFileFormatDialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

using banklib::FileType;
using shell::frmVoiceList;
using shell::testing::ManualDeferredCall;
using tools::frmRandomiseVoices;
using tools::GeneratorTree;
using Node = GeneratorTree::VoiceNode;

// A bank of unpacked voices "ALG nn" whose algorithm bytes are given.
std::string writeAlgorithmBank(const std::string& path, const std::vector<int>& algorithms)
{
    std::vector<std::uint8_t> data;
    std::mt19937 rng(31);
    for (std::size_t i = 0; i < algorithms.size(); ++i) {
        auto v = banklib::test::randomVoice(rng);
        v[banklib::Unpacked::kAlgorithm] = static_cast<std::uint8_t>(algorithms[i]);
        banklib::test::setName(v, "ALG " + std::to_string(i + 1));
        data.insert(data.end(), v.begin(), v.end());
    }
    banklib::clsVoiceNames writer;
    EXPECT_FALSE(writer.SaveVoiceDataToFileByt(data, path, FileType::Unpacked, false));
    return path;
}

// Makes a folder the process's current folder for as long as it lives, and the one before
// it current again however the test ends (before the folder itself goes).
class CurrentFolder {
public:
    explicit CurrentFolder(const std::filesystem::path& folder)
    {
        std::error_code error;
        m_before = std::filesystem::current_path(error);
        if (!error)
            std::filesystem::current_path(folder, error);
        m_ok = !error;
    }
    ~CurrentFolder()
    {
        std::error_code error;
        if (m_ok)
            std::filesystem::current_path(m_before, error);
    }
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;
    [[nodiscard]] bool ok() const { return m_ok; }

private:
    std::filesystem::path m_before;
    bool m_ok = false;
};

class GeneratorFixture : public shell::testing::VoiceListFixture {
protected:
    GeneratorFixture()
    {
        frmRandomiseVoices::setDeferredCallFactory([] { return std::make_unique<ManualDeferredCall>(); });
        editor::installVoiceListHooks(true);
        gen = &frmRandomiseVoices::install(*main);
        gen->setGenerator(std::make_unique<tools::clsPatchGenerator>(5));
    }
    ~GeneratorFixture() override
    {
        // An audition still playing ends with the test, sending nothing more.
        midi::ForgetTimedNotes();
        midi::objMIDIInit().MidiOutOpen = false;
        midi::objMIDIInit().setBackend(nullptr);
        frmRandomiseVoices::setDeferredCallFactory({});
        editor::installVoiceListHooks(false);
    }

    GeneratorTree& tree() { return *gen->TreeView1(); }
    std::vector<Node*> nodes() { return tree().voiceNodes(); }
    QTreeWidgetItem* item(const std::string& key) { return tree().findKey(key); }
    // Ticks or unticks a node as a click on its box does.
    static void tick(QTreeWidgetItem* item, bool on = true) { item->setCheckState(0, on ? Qt::Checked : Qt::Unchecked); }
    static bool ticked(const QTreeWidgetItem* item) { return GeneratorTree::isChecked(item); }
    static std::string text(const QTreeWidgetItem* item) { return item->text(0).toStdString(); }
    ManualDeferredCall& pause() { return dynamic_cast<ManualDeferredCall&>(gen->pause()); }
    frmVoiceList* workList() { return gen->PatchGenList(); }
    std::string name(frmVoiceList& list, int voice)
    {
        platform::Recordset& rs = list.rsmfimage();
        rs.setAbsolutePosition(voice);
        const std::string n = rs.text(banklib::VoiceListField::Names);
        rs.moveFirst();
        return n;
    }
    std::string body(frmVoiceList& list, int voice)
    {
        platform::Recordset& rs = list.rsmfimage();
        rs.setAbsolutePosition(voice);
        tools::UnpackedVoiceBytes bytes{};
        EXPECT_TRUE(tools::ReadSourceVoice(rs, rs.bookmark(), bytes));
        rs.moveFirst();
        return std::string(bytes.begin(), bytes.begin() + tools::kBodySize);
    }
    // The output open on a loopback device that records what is sent.
    void openMidiOutput()
    {
        (void)main->objMIDIInit();  // the main window's settings object is the program's
        midi::clsMIDIInit& init = midi::objMIDIInit();
        init.setBackend(&loop);
        loop.refreshDevices();
        ASSERT_EQ(loop.openOutput(0), platform::MidiResult::NoError);
        init.MidiOutOpen = true;
        gen->SetPatchGenControls();
    }

    // The child windows the Window menu lists as the opened menu shows them.
    std::vector<std::string> windowMenuEntries()
    {
        QMenu* menu = main->findChild<QMenu*>(QStringLiteral("mnuWindow"));
        menu->popup(main->mapToGlobal(QPoint(0, 0)));
        std::vector<std::string> entries;
        for (std::size_t slot = 0; slot < shell::kWindowListSlots; ++slot) {
            const QAction* a = main->action(shell::windowListCommand(slot));
            if (a->isVisible())
                entries.push_back(a->text().mid(a->text().indexOf(QLatin1Char(' ')) + 1).toStdString());
        }
        menu->close();
        return entries;
    }

    platform::LoopbackMidiBackend loop;
    frmRandomiseVoices* gen = nullptr;
};

// ---------------------------------------------------------------- the tree

TEST_F(GeneratorFixture, TheTreeHoldsANodePerOpenListUnderFiles)
{
    EXPECT_EQ(tree().rootNode(), nullptr);
    frmVoiceList* a = openBank("a.dat", 40, FileType::Packed);
    frmVoiceList* b = openBank("b.dat", 8, FileType::Unpacked);
    ASSERT_TRUE(a && b);
    ASSERT_NE(tree().rootNode(), nullptr);
    EXPECT_EQ(text(tree().rootNode()), "Files");
    EXPECT_EQ(GeneratorTree::keyOf(tree().rootNode()), "Root");
    ASSERT_EQ(tree().rootNode()->childCount(), 2);
    EXPECT_EQ(text(tree().rootNode()->child(0)), data.file("a.dat"));
    EXPECT_EQ(GeneratorTree::keyOf(tree().rootNode()->child(1)), "L0002");

    click(*a, 2);
    click(*b, 0);
    EXPECT_EQ(gen->SourceVoiceCount(), 2);
    ASSERT_TRUE(a->unload());
    processEvents();
    EXPECT_EQ(tree().listNode("L0001"), nullptr);
    EXPECT_EQ(gen->SourceVoiceCount(), 1) << "a closed list takes its voices with it";
    ASSERT_TRUE(b->unload());
    processEvents();
    EXPECT_EQ(tree().rootNode(), nullptr);
    EXPECT_FALSE(gen->Command1()->isEnabled());
    EXPECT_FALSE(gen->Check1(0)->isEnabled());
    EXPECT_FALSE(gen->Check1(1)->isEnabled());
}

TEST_F(GeneratorFixture, AVoiceNodeHasItsFiftyOneNodesInTheirOrder)
{
    frmVoiceList* a = openBank("a.dat", 40, FileType::Packed);
    click(*a, 11);
    ASSERT_EQ(nodes().size(), 1U);
    const Node& voice = *nodes().front();
    EXPECT_EQ(GeneratorTree::keyOf(voice.item), "L0001: 12:");
    EXPECT_EQ(voice.bookmark, a->selectedBookmarks().front());
    EXPECT_TRUE(text(voice.item).starts_with("VOICE 0012 (Alg"));

    std::vector<std::string> texts;
    std::vector<std::string> keys;
    for (QTreeWidgetItemIterator it(voice.item->child(0)); *it != nullptr; ++it) {
        texts.push_back(text(*it));
        keys.push_back(GeneratorTree::keyOf(*it));
    }
    ASSERT_EQ(texts.size(), 51U);
    EXPECT_EQ(texts[0], "Operator");
    EXPECT_EQ(texts[1], "Operator  1");
    EXPECT_EQ(texts[2], "EG Rate");
    EXPECT_EQ(keys[2], "L0001: 12:op 1:grp 1: 1");
    EXPECT_EQ(texts[7], "Oscillator");
    EXPECT_EQ(texts[36], "Operator  6");
    EXPECT_EQ(keys[42], "L0001: 12:op 6:grp 6: 6");
    EXPECT_EQ(texts[43], "Non-Operator");
    EXPECT_EQ(keys[43], "L0001: 12:nonop:");
    EXPECT_EQ(texts[44], "Algorithm");
    EXPECT_EQ(keys[44], "L0001: 12:nonop:grp 11");
    EXPECT_EQ(texts[50], "Transpose");
    EXPECT_EQ(GeneratorTree::VoiceKeyOfNode(item("L0001: 12:op 3:grp 3: 4")), "L0001: 12:");
    EXPECT_EQ(GeneratorTree::VoiceKeyOfNode(item("L0001: 12:op")), "True");
    // The group table follows the layout, not index arithmetic.
    EXPECT_EQ(voice.groups[tools::GroupPosition(banklib::unpackedOperatorOffset(3, 16)) - 1],
              item("L0001: 12:op 3:grp 3: 4"));
    EXPECT_EQ(voice.groups[36], item("L0001: 12:nonop:grp 11"));
    EXPECT_EQ(voice.groups[42], item("L0001: 12:nonop:grp 17"));
}

TEST_F(GeneratorFixture, TheSelectionDecidesTheSourcesAndNeverMoreThanTen)
{
    frmVoiceList* a = openBank("a.dat", 40, FileType::Packed);
    frmVoiceList* b = openBank("b.dat", 40, FileType::Unpacked);
    click(*a, 2);
    click(*a, 4, Qt::ControlModifier);
    EXPECT_EQ(nodes().size(), 2U);
    click(*a, 6);
    ASSERT_EQ(nodes().size(), 1U);
    EXPECT_EQ(GeneratorTree::keyOf(nodes().front()->item), "L0001: 7:");

    click(*a, 0);
    click(*a, 11, Qt::ShiftModifier);  // voices 1..12
    EXPECT_EQ(gen->SourceVoiceCount(), 10);
    EXPECT_EQ(GeneratorTree::keyOf(nodes().back()->item), "L0001: 10:");
    click(*b, 0);
    EXPECT_EQ(gen->SourceVoiceCount(), 10) << "the tree is full";
    click(*a, 30);
    EXPECT_EQ(gen->SourceVoiceCount(), 1);
    // The other list's selection is looked at again when it next changes.
    click(*b, 3, Qt::ControlModifier);
    EXPECT_EQ(gen->SourceVoiceCount(), 3);
}

TEST_F(GeneratorFixture, SourcesLeaveWhenTheirListIsSortedOrThinnedOut)
{
    frmVoiceList* a = openBank("a.dat", 10, FileType::Packed);
    click(*a, 9);
    tick(nodes().front()->item);
    ASSERT_EQ(gen->SourceVoiceCount(), 1);
    // Five voices go by their records: voice 10 is now voice 5, and no longer selected.
    std::vector<platform::Bookmark> first;
    const auto all = a->rsmfimage().bookmarks();
    first.assign(all.begin(), all.begin() + 5);
    (void)a->EditDelete(false, first, nullptr, true);
    EXPECT_EQ(gen->SourceVoiceCount(), 0) << "no node names voice 10 of a list of 5";
    EXPECT_FALSE(gen->Command1()->isEnabled());

    click(*a, 1);
    click(*a, 3, Qt::ControlModifier);
    ASSERT_EQ(gen->SourceVoiceCount(), 2);
    edit(*a, 8);  // Sort Voice List
    EXPECT_EQ(gen->SourceVoiceCount(), 0);
}

TEST_F(GeneratorFixture, TicksSpreadDownAndUpTheTree)
{
    frmVoiceList* a = openBank("a.dat", 40, FileType::Packed);
    click(*a, 0);
    const std::string v = "L0001: 1:";
    tick(item(v));
    for (int n = 1; n <= 6; ++n)
        for (int g = 1; g <= 6; ++g)
            EXPECT_TRUE(ticked(item(v + "op" + platform::Str(n) + ":grp" + platform::Str(n) + ":" + platform::Str(g))));
    EXPECT_FALSE(ticked(item(v + "nonop:")));
    for (int g = 11; g <= 17; ++g)
        EXPECT_FALSE(ticked(item(v + "nonop:grp" + platform::Str(g))));
    EXPECT_TRUE(ticked(item("L0001"))) << "its only voice is ticked";
    EXPECT_TRUE(ticked(tree().rootNode()));

    tick(item(v + "nonop:"));
    for (int g = 11; g <= 17; ++g)
        EXPECT_TRUE(ticked(item(v + "nonop:grp" + platform::Str(g))));

    tick(item(v + "op 2:grp 2: 3"), false);
    EXPECT_FALSE(ticked(item(v + "op 2:")));
    EXPECT_FALSE(ticked(item(v + "op")));
    EXPECT_FALSE(ticked(item(v)));
    EXPECT_FALSE(ticked(item("L0001")));
    EXPECT_FALSE(ticked(tree().rootNode()));
    EXPECT_TRUE(ticked(item(v + "op 1:"))) << "siblings keep their ticks";

    tick(item(v + "op 2:grp 2: 3"));
    EXPECT_TRUE(ticked(item(v + "op 2:"))) << "its last unticked group ticks the operator";
    EXPECT_TRUE(ticked(item(v + "op"))) << "and all six operators tick \"Operator\"";
}

TEST_F(GeneratorFixture, TheBaseMarkGoesToTheFirstSourceAndComesOffCleanly)
{
    frmVoiceList* a = openBank("a.dat", 40, FileType::Packed);
    click(*a, 2);
    click(*a, 5, Qt::ControlModifier);
    Node* first = nodes()[0];
    Node* second = nodes()[1];
    const std::string before = text(first->item);
    EXPECT_FALSE(gen->Command1()->isEnabled());
    // Ticked lower voice first: the base is still the one higher in the tree.
    tick(item("L0001: 6:op 1:grp 1: 4"));
    EXPECT_TRUE(text(second->item).ends_with(" BASE"));
    EXPECT_EQ(gen->Label2()->text().toStdString(), "&Single Patch Variance");
    tick(item("L0001: 3:op"));
    EXPECT_EQ(text(first->item), before + " BASE");
    EXPECT_FALSE(text(second->item).ends_with("BASE"));
    EXPECT_EQ(gen->Label2()->text().toStdString(), "&Multiple Patch Variance");
    EXPECT_TRUE(gen->Command1()->isEnabled());
    const auto sources = tree().snapshot();
    ASSERT_EQ(sources.size(), 2U);
    EXPECT_EQ(sources[0].bookmark, first->bookmark);
    EXPECT_TRUE(sources[0].groups[0]);
    EXPECT_FALSE(sources[0].groups[36]);
    EXPECT_TRUE(sources[1].groups[3]);

    tick(item("L0001: 3:op"), false);
    EXPECT_EQ(text(first->item), before) << "the text is as it was before the mark";
    EXPECT_TRUE(text(second->item).ends_with(" BASE"));
    EXPECT_EQ(gen->Label2()->text().toStdString(), "&Single Patch Variance");
}

TEST_F(GeneratorFixture, AVoiceNodeClickShowsItsAlgorithm)
{
    frmVoiceList* a = open(writeAlgorithmBank(data.file("alg.dat"), {4, 11, 40}));
    ASSERT_NE(a, nullptr);
    click(*a, 0);
    click(*a, 1, Qt::ControlModifier);
    click(*a, 2, Qt::ControlModifier);
    ASSERT_EQ(nodes().size(), 3U);
    EXPECT_TRUE(text(nodes()[0]->item).ends_with("(Alg 5)"));
    EXPECT_TRUE(text(nodes()[2]->item).ends_with("(Alg 32)")) << "as the voice model loads it";
    tick(nodes()[0]->item);
    ASSERT_TRUE(text(nodes()[0]->item).ends_with(" BASE"));
    std::vector<int> shown;
    for (Node* n : nodes()) {
        gen->TreeView1_NodeClick(n->item);
        ASSERT_NE(editor::frmAlgorithms::instance(), nullptr);
        shown.push_back(editor::frmAlgorithms::instance()->UpDown1());
    }
    EXPECT_EQ(shown, (std::vector<int>{4, 11, 31}));
    ASSERT_NE(editor::frmAlgorithms::instance()->subWindow(), nullptr);
    EXPECT_TRUE(editor::frmAlgorithms::instance()->subWindow()->isVisible());
    EXPECT_FALSE(editor::frmAlgorithms::instance()->subWindow()->isMinimized());
    gen->TreeView1_NodeClick(item("L0001"));
    EXPECT_EQ(editor::frmAlgorithms::instance()->UpDown1(), 31) << "a list node shows nothing new";
    // Closing the generator with no editor open takes the viewer away.
    gen->close();
    processEvents();
    EXPECT_EQ(editor::frmAlgorithms::instance(), nullptr);
}

// ---------------------------------------------------------------- the controls

TEST_F(GeneratorFixture, TheVarianceTextSetsTheSpinOnlyWithANumberInRange)
{
    QLineEdit& text1 = *gen->Text1();
    text1.setText("30");
    EXPECT_EQ(gen->UpDown1()->value(), 30);
    text1.setText("100.4");
    EXPECT_EQ(gen->UpDown1()->value(), 100);
    text1.setText("101");
    EXPECT_EQ(gen->UpDown1()->value(), 100);
    text1.setText("abc");
    EXPECT_EQ(gen->UpDown1()->value(), 100);
    text1.setText("55,5");
    EXPECT_EQ(gen->UpDown1()->value(), 100) << "a decimal point in every locale";
    text1.setText("20.5");
    EXPECT_EQ(gen->UpDown1()->value(), 20) << "a half goes to the even number";
    gen->UpDown1()->stepBy(3);
    EXPECT_EQ(text1.text().toStdString(), "23");
}

TEST_F(GeneratorFixture, ThePrefixTakesSixVoiceNameCharactersAndNamesTheVoices)
{
    EXPECT_EQ(gen->MaskEdBox1()->text().toStdString(), "RandVc");
    EXPECT_EQ(gen->voiceName(1), "RandVc 1  ");
    EXPECT_EQ(gen->voiceName(999), "RandVc 999");
    EXPECT_EQ(gen->voiceName(1000), "RandVc 100") << "\" 1000\" cut to four characters";
    gen->MaskEdBox1()->clear();
    QTest::keyClicks(gen->MaskEdBox1(), "It's a pad");
    EXPECT_EQ(gen->MaskEdBox1()->text().toStdString(), "Its a ");
    gen->MaskEdBox1()->setText("Ab");
    EXPECT_EQ(gen->voiceName(12), "Ab     12 ");
}

// ---------------------------------------------------------------- runs

TEST_F(GeneratorFixture, StartMakesAVoiceInTheWorkListInTheDataFolder)
{
    // Nothing lands in the folder the program was started from.
    shell::testing::TempFolder elsewhere;
    const CurrentFolder moved(elsewhere.path());
    ASSERT_TRUE(moved.ok()) << "cannot work in " << elsewhere.folder();

    frmVoiceList* a = openBank("a.dat", 40, FileType::Packed);
    ASSERT_NE(a, nullptr) << "the source bank " << data.file("a.dat") << " could not be written or opened";
    click(*a, 4);
    for (const char* key : {"L0001: 5:", "L0001: 5:nonop:"}) {
        QTreeWidgetItem* node = item(key);
        ASSERT_NE(node, nullptr) << "the generator's tree has no node " << key;
        tick(node);
    }
    gen->Text1()->setText("0");
    gen->Command1_Click();
    ASSERT_NE(workList(), nullptr);
    EXPECT_EQ(workList()->FileName(), data.file("PatchGen.dat"));
    EXPECT_EQ(workList()->SavedCRC(), banklib::kSavedCrcTemporary);
    EXPECT_EQ(workList()->VoiceCount(), 1);
    EXPECT_EQ(name(*workList(), 1), "RandVc 1  ");
    EXPECT_EQ(body(*workList(), 1), body(*a, 5)) << "no variance copies the source";
    EXPECT_EQ(gen->PatchCount(), 1);
    EXPECT_EQ(gen->WorkListFlag(), 1);
    EXPECT_FALSE(gen->running());
    EXPECT_TRUE(gen->Command1()->isEnabled());
    EXPECT_EQ(gen->Command1()->text().toStdString(), "Start");

    gen->Command1_Click();
    ASSERT_NE(workList(), nullptr);
    EXPECT_EQ(workList()->VoiceCount(), 2);
    EXPECT_EQ(workList()->caption(), "PatchGen [ 2 patches ]");
    EXPECT_EQ(name(*workList(), 2), "RandVc 2  ");
    EXPECT_TRUE(std::filesystem::is_empty(elsewhere.path()));
}

TEST_F(GeneratorFixture, Voice33OfTheWorkListIsShownOnBankTwo)
{
    frmVoiceList* a = openBank("a.dat", 4, FileType::Packed);
    click(*a, 0);
    tick(item("L0001: 1:"));
    for (int i = 0; i < 32; ++i)
        gen->Command1_Click();
    ASSERT_NE(workList(), nullptr);
    EXPECT_EQ(workList()->bankPage(), 1);
    gen->Command1_Click();
    EXPECT_EQ(workList()->VoiceCount(), 33);
    EXPECT_EQ(workList()->bankPage(), 2);
    EXPECT_EQ(entries(*workList()).size(), 1U);
}

TEST_F(GeneratorFixture, AWorkListVoiceChosenAsSourceStaysWhileVoicesAreAdded)
{
    frmVoiceList* a = openBank("a.dat", 4, FileType::Packed);
    click(*a, 0);
    tick(item("L0001: 1:"));
    gen->Command1_Click();
    frmVoiceList* work = workList();
    ASSERT_NE(work, nullptr);
    click(*work, 0);
    EXPECT_EQ(gen->SourceVoiceCount(), 2);
    gen->Command1_Click();
    EXPECT_EQ(work->VoiceCount(), 2);
    EXPECT_EQ(gen->SourceVoiceCount(), 2);
    EXPECT_EQ(shownSelected(*work), std::vector<int>{1});
}

TEST_F(GeneratorFixture, LoadVoiceOnCreationOpensTheVoiceJustAdded)
{
    frmVoiceList* a = openBank("a.dat", 4, FileType::Packed);
    click(*a, 0);
    tick(item("L0001: 1:"));
    ASSERT_TRUE(gen->Check1(1)->isEnabled());
    gen->Check1(1)->setChecked(true);
    gen->Command1_Click();
    gen->Command1_Click();
    frmVoiceList* work = workList();
    ASSERT_NE(work, nullptr);
    QSignalSpy opened(work, &frmVoiceList::voiceOpenRequested);
    // The user takes voice 1 out of the work list: the next voice is record 2, not 3.
    const auto marks = work->rsmfimage().bookmarks();
    (void)work->EditDelete(false, std::vector<platform::Bookmark>{marks.front()}, nullptr, true);
    gen->Command1_Click();
    EXPECT_EQ(gen->PatchCount(), 3);
    EXPECT_EQ(work->VoiceCount(), 2);
    EXPECT_EQ(name(*work, 2), "RandVc 3  ");
    ASSERT_EQ(opened.count(), 1);
    EXPECT_EQ(opened.at(0).at(0).toInt(), 2);
    // Each voice opened in an editor of its own.
    editor::VoiceListEditors* editors = editor::VoiceListEditors::find(*work);
    ASSERT_NE(editors, nullptr);
    EXPECT_EQ(editors->Editors().count(), 3);
    EXPECT_NE(editors->editorOf(work->rsmfimage().bookmarks().back()), nullptr);

    // The algorithm viewer the editors keep up to date only holds the diagrams: with the
    // main window maximised as well, it is neither shown nor listed until a voice node
    // clicked asks for it.
    ASSERT_NE(editor::frmAlgorithms::instance(), nullptr);
    QMdiSubWindow* viewer = editor::frmAlgorithms::instance()->subWindow();
    ASSERT_NE(viewer, nullptr);
    main->showMaximized();
    processEvents();
    EXPECT_FALSE(viewer->isVisible());
    EXPECT_FALSE(std::ranges::count(windowMenuEntries(), "Algorithms"));
    gen->TreeView1_NodeClick(nodes().front()->item);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_FALSE(viewer->isMinimized());
    EXPECT_EQ(std::ranges::count(windowMenuEntries(), "Algorithms"), 1);
}

TEST_F(GeneratorFixture, ContinuousRunsOneVoiceASecondUntilStop)
{
    frmVoiceList* a = openBank("a.dat", 4, FileType::Packed);
    click(*a, 0);
    tick(item("L0001: 1:"));
    EXPECT_FALSE(gen->Check1(0)->isEnabled()) << "continuous needs the MIDI output";
    openMidiOutput();
    ASSERT_TRUE(gen->Check1(0)->isEnabled());
    gen->Check1(0)->setChecked(true);
    gen->Check1_Click(0);
    EXPECT_FALSE(gen->Check1(1)->isEnabled());

    gen->Command1_Click();
    EXPECT_EQ(gen->Command1()->text().toStdString(), "Stop");
    EXPECT_TRUE(gen->Command1()->isEnabled());
    ASSERT_NE(workList(), nullptr);
    EXPECT_EQ(workList()->VoiceCount(), 1);
    // The voice went out as a single-voice dump, then the 13-note audition, played whole
    // before the pause.
    EXPECT_FALSE(pause().isActive());
    midi::testing::PlayOutTimedNotes();
    ASSERT_EQ(loop.sentMessages().size(), 27U);
    EXPECT_EQ(loop.sentMessages()[0].size(), banklib::kSingleVoiceDumpSize);
    ASSERT_TRUE(pause().isActive());
    EXPECT_EQ(pause().delayMs, frmRandomiseVoices::kContinuousPauseMs);
    ASSERT_TRUE(pause().fire());
    EXPECT_EQ(workList()->VoiceCount(), 2);
    midi::testing::PlayOutTimedNotes();

    // Stop in the pause: no further voice.
    gen->Command1_Click();
    EXPECT_EQ(gen->Command1()->text().toStdString(), "Start");
    EXPECT_FALSE(gen->running());
    EXPECT_FALSE(pause().fire());
    EXPECT_EQ(workList()->VoiceCount(), 2);
    EXPECT_TRUE(gen->StopRequested());

    // The stop asked for in the pause does not swallow the next run.
    gen->Command1_Click();
    EXPECT_EQ(workList()->VoiceCount(), 3);
    EXPECT_TRUE(gen->running());
    midi::testing::PlayOutTimedNotes();
    EXPECT_TRUE(pause().isActive());

    // A scale asked for during an audition (a right press on an editor) whose release of
    // the audition's note the device refuses: the next voice comes while the error is
    // shown. Its audition gives way to the scale, and the run goes on.
    ASSERT_TRUE(pause().fire());
    ASSERT_TRUE(midi::testing::TimedNotesPlaying());
    loop.failSends(1);
    ui.whileMessageShown([&](const std::string&) {
        platform::eventLoop().processEvents(0);
        EXPECT_TRUE(pause().fire()) << "the audition's end is told";
    });
    midi::clsMidiManagerData().SendAScale();
    ui.whileMessageShown({});
    EXPECT_EQ(workList()->VoiceCount(), 5);
    midi::testing::PlayOutTimedNotes();
    EXPECT_TRUE(gen->running());
    ASSERT_TRUE(pause().isActive()) << "the next voice's end is told";
    ASSERT_TRUE(pause().fire());
    EXPECT_EQ(workList()->VoiceCount(), 6);
}

TEST_F(GeneratorFixture, ClosingTheProgramEndsAContinuousRun)
{
    frmVoiceList* a = openBank("a.dat", 4, FileType::Packed);
    click(*a, 0);
    tick(item("L0001: 1:"));
    openMidiOutput();
    gen->Check1(0)->setChecked(true);
    gen->Check1_Click(0);
    gen->Command1_Click();
    midi::testing::PlayOutTimedNotes();
    ASSERT_TRUE(pause().isActive());
    QCloseEvent close;
    QApplication::sendEvent(main.get(), &close);
    EXPECT_FALSE(gen->running());
    EXPECT_FALSE(pause().isActive());
    EXPECT_EQ(gen->Command1()->text().toStdString(), "Start");
}

TEST_F(GeneratorFixture, StopDuringAVoiceEndsTheRunWhenThatVoiceIsDone)
{
    frmVoiceList* a = openBank("a.dat", 4, FileType::Packed);
    click(*a, 0);
    tick(item("L0001: 1:"));
    openMidiOutput();
    gen->Check1(0)->setChecked(true);
    gen->Check1_Click(0);
    gen->Command1_Click();
    midi::testing::PlayOutTimedNotes();
    ASSERT_TRUE(pause().fire());
    midi::testing::PlayOutTimedNotes();
    ASSERT_EQ(workList()->VoiceCount(), 2);
    // The third voice's audition: Stop is pressed between its notes, and the audition
    // still plays whole before the run ends.
    bool pressed = false;
    bool runningAfterStop = false;
    ui.onProcessEvents([&](std::int64_t) {
        if (!pressed && gen->Command1()->text() == "Stop" && loop.sentMessages().size() > 4) {
            pressed = true;
            gen->Command1_Click();
            runningAfterStop = gen->running();
        }
    });
    loop.clearSent();
    ASSERT_TRUE(pause().fire());
    midi::testing::PlayOutTimedNotes();
    ui.onProcessEvents({});
    EXPECT_TRUE(pressed);
    EXPECT_TRUE(runningAfterStop);
    EXPECT_EQ(loop.sentMessages().size(), 27U) << "the voice and its whole audition";
    EXPECT_EQ(workList()->VoiceCount(), 3);
    EXPECT_FALSE(gen->running());
    EXPECT_FALSE(pause().isActive());
    EXPECT_EQ(gen->Command1()->text().toStdString(), "Start");
    EXPECT_TRUE(gen->Command1()->isEnabled());
}

TEST_F(GeneratorFixture, ClosingTheWorkListMidRunStartsANewOne)
{
    frmVoiceList* a = openBank("a.dat", 4, FileType::Packed);
    click(*a, 0);
    tick(item("L0001: 1:"));
    openMidiOutput();
    gen->Check1(0)->setChecked(true);
    gen->Check1_Click(0);
    gen->Command1_Click();
    midi::testing::PlayOutTimedNotes();
    ASSERT_TRUE(pause().fire());
    midi::testing::PlayOutTimedNotes();
    ASSERT_EQ(workList()->VoiceCount(), 2);
    ui.answer(platform::MsgAnswer::No);  // "must be saved under a different name": not saved
    ASSERT_TRUE(workList()->unload());
    processEvents();
    EXPECT_EQ(workList(), nullptr);
    EXPECT_EQ(gen->PatchCount(), 0);
    ASSERT_TRUE(pause().fire());
    ASSERT_NE(workList(), nullptr);
    EXPECT_EQ(workList()->VoiceCount(), 1);
    EXPECT_EQ(name(*workList(), 1), "RandVc 1  ");
    EXPECT_EQ(gen->PatchCount(), 1);
}

TEST_F(GeneratorFixture, TheWorkListReplacesNoFileAndNoOpenListWithoutAYes)
{
    // "PatchGen.dat" of an earlier session is open, and changed since it was opened.
    const std::string path = shell::testing::writeBankFile(data.file("PatchGen.dat"), 3, FileType::Unpacked);
    const std::string onDisk = shell::testing::readFile(path);
    frmVoiceList* old = open(path);
    ASSERT_NE(old, nullptr);
    (void)old->EditDelete(false, std::vector<platform::Bookmark>{old->rsmfimage().bookmarks().front()}, nullptr, true);
    ASSERT_TRUE(old->isWindowModified());
    frmVoiceList* a = openBank("a.dat", 4, FileType::Packed);
    click(*a, 0);
    tick(item("L0002: 1:"));
    auto nothingDone = [&] {
        EXPECT_EQ(shell::testing::readFile(path), onDisk);
        EXPECT_EQ(workList(), nullptr);
        EXPECT_EQ(gen->PatchCount(), 0);
        EXPECT_FALSE(gen->running());
        EXPECT_TRUE(gen->Command1()->isEnabled());
    };

    // No to "Revert to last saved version ?": the file and the open list stay as they were.
    ui.clear();
    ui.answer(platform::MsgAnswer::No);
    gen->Command1_Click();
    ASSERT_EQ(ui.messagesShown().size(), 1U);
    EXPECT_EQ(ui.messagesShown()[0].title, "File already open");
    nothingDone();
    EXPECT_EQ(old->VoiceCount(), 2);
    EXPECT_TRUE(old->isWindowModified());

    // Yes lets the list go (its changes not saved); the file is still the user's.
    ui.clear();
    ui.answer(platform::MsgAnswer::Yes);
    ui.answer(platform::MsgAnswer::No);  // "PatchGen.dat has changed OK to save ?"
    ui.answer(platform::MsgAnswer::No);  // "... already exists. Do you want to replace it ?"
    gen->Command1_Click();
    processEvents();
    ASSERT_EQ(ui.messagesShown().size(), 3U);
    EXPECT_EQ(ui.messagesShown()[2].text, path + " already exists. Do you want to replace it ? ");
    EXPECT_EQ(ui.messagesShown()[2].title, "Replace file ?");
    EXPECT_EQ(voiceLists->openListCount(), 1);
    nothingDone();

    // Only a Yes replaces it.
    ui.clear();
    ui.answer(platform::MsgAnswer::Yes);
    gen->Command1_Click();
    ASSERT_NE(workList(), nullptr);
    EXPECT_EQ(std::filesystem::file_size(path), banklib::kUnpackedVoiceSize);
    EXPECT_EQ(ui.unexpectedMessages(), 0);
}

TEST_F(GeneratorFixture, ClosingAListOfTheSameNameFromAnotherFolderLeavesTheWorkListCounting)
{
    frmVoiceList* a = openBank("a.dat", 4, FileType::Packed);
    click(*a, 0);
    tick(item("L0001: 1:"));
    gen->Command1_Click();
    gen->Command1_Click();
    ASSERT_EQ(gen->PatchCount(), 2);
    shell::testing::TempFolder elsewhere;
    frmVoiceList* other = open(shell::testing::writeBankFile(elsewhere.file("PatchGen.dat"), 3, FileType::Unpacked));
    ASSERT_NE(other, nullptr);
    ASSERT_TRUE(other->unload());
    processEvents();
    EXPECT_EQ(gen->PatchCount(), 2);
    gen->Command1_Click();
    EXPECT_EQ(workList()->VoiceCount(), 3);
    EXPECT_EQ(name(*workList(), 3), "RandVc 3  ");
}

TEST_F(GeneratorFixture, AWorkListThatCannotBeWrittenStopsTheRun)
{
    shell::testing::writeFile(data.file("blocker"), "not a folder");
    frmRandomiseVoices blocked(data.file("blocker") + "/sub/");
    frmVoiceList* a = openBank("a.dat", 4, FileType::Packed);
    click(*a, 0);
    // The second generator is no registered one: its tree is filled by hand.
    blocked.listAdded(*a);
    blocked.TreeView1()->UpdateGeneratorSources(*a);
    tick(blocked.TreeView1()->voiceNodes().front()->item);
    ui.clear();
    blocked.Command1_Click();
    EXPECT_EQ(ui.messagesShown().size(), 1U) << "the writer says why";
    EXPECT_EQ(blocked.PatchCount(), 0);
    EXPECT_EQ(blocked.PatchGenList(), nullptr);
    EXPECT_FALSE(blocked.running());
}

TEST_F(GeneratorFixture, BredVoicesLoadAndSaveLikeAnyOther)
{
    // From a real bank when the shared ones are there.
    const std::string real = std::string(BREVANE_REAL_BANKS) + "/DXCARTFO__CART1A.SYX";
    frmVoiceList* source = std::filesystem::exists(real) ? open(real) : openBank("a.dat", 40, FileType::PackedSysex);
    ASSERT_NE(source, nullptr);
    click(*source, 0);
    click(*source, 5, Qt::ControlModifier);
    tick(item("L0001"));
    tick(item("L0001: 1:nonop:"));
    tick(item("L0001: 6:nonop:"));
    gen->Text1()->setText("100");
    gen->Check1(1)->setChecked(true);
    ui.clear();
    for (int i = 0; i < 3; ++i)
        gen->Command1_Click();
    frmVoiceList* work = workList();
    ASSERT_NE(work, nullptr);
    ASSERT_EQ(work->VoiceCount(), 3);
    ASSERT_NE(editor::VoiceListEditors::find(*work), nullptr);
    EXPECT_EQ(editor::VoiceListEditors::find(*work)->Editors().count(), 3);
    EXPECT_TRUE(ui.messagesShown().empty()) << "every value loads without a range warning";

    // Closed with Yes, the work list is saved under a name of the user's; its own file goes.
    const std::string kept = data.file("bred.dat");
    ui.answer(platform::MsgAnswer::Yes);
    ui.answerFile(kept);
    QTimer::singleShot(0, [] {
        if (auto* d = qobject_cast<shell::frmFileFormatDialog*>(QApplication::activeModalWidget()))
            d->OKButton()->click();
    });
    ASSERT_TRUE(work->unload());
    processEvents();
    EXPECT_EQ(gen->PatchCount(), 0);
    EXPECT_FALSE(std::filesystem::exists(data.file("PatchGen.dat")));
    EXPECT_EQ(std::filesystem::file_size(kept), 3 * banklib::kUnpackedVoiceSize);
    frmVoiceList* again = open(kept);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->VoiceCount(), 3);
    EXPECT_EQ(name(*again, 3), "RandVc 3  ");
}

TEST_F(GeneratorFixture, ClosingTheWindowOnlyHidesIt)
{
    frmVoiceList* a = openBank("a.dat", 4, FileType::Packed);
    click(*a, 0);
    gen->showWindow();
    ASSERT_TRUE(gen->isVisible());
    EXPECT_FALSE(gen->close());
    EXPECT_FALSE(gen->isVisible());
    EXPECT_EQ(frmRandomiseVoices::instance(), gen);
    EXPECT_EQ(gen->SourceVoiceCount(), 1);
    EXPECT_EQ(&banklib::appState().frmRandomiseVoices(), gen);
    // With no list left (the program exiting) it closes, so it never holds the exit up.
    ASSERT_TRUE(a->unload());
    gen->showWindow();
    EXPECT_TRUE(gen->close());
    EXPECT_EQ(frmRandomiseVoices::instance(), gen);
}

TEST_F(GeneratorFixture, ItOpensWithItsWholeFrameOnTheScreen)
{
    // The frame's corner goes 0.375 across the main window and a pixel below its top, moved
    // only as far as the screen's available area needs: the title bar stays in reach.
    const QRect area = main->screen()->availableGeometry();
    main->resize(600, 400);
    struct Case {
        const char* what;
        QPoint mainCorner;
    };
    for (const Case& c : {Case{"main window at the top edge", area.topLeft()},
                          Case{"main window partly above the screen", area.topLeft() + QPoint(20, -60)},
                          Case{"main window near the right edge", QPoint(area.right() - 150, area.top() + 50)}}) {
        SCOPED_TRACE(c.what);
        main->move(c.mainCorner);
        const QRect owner = main->frameGeometry();
        const QPoint wanted(owner.left() + owner.width() * 3 / 8, owner.top() + 1);
        frmRandomiseVoices window(data.folder(), main.get());
        window.showWindow();
        const QRect frame = window.frameGeometry();
        EXPECT_TRUE(area.contains(frame)) << frame.x() << "," << frame.y() << " " << frame.width() << "x"
                                          << frame.height();
        EXPECT_EQ(frame.top(), std::max(wanted.y(), area.top()));
        EXPECT_EQ(frame.left(), std::min(wanted.x(), area.right() + 1 - frame.width()));
    }
}

}  // namespace
