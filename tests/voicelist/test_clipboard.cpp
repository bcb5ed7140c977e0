// The patch clipboard and the Edit commands on real voice-list windows, and dragging
// voices between and within lists: layouts converted on the paste, whole records moved,
// paste positions kept inside the list, one Copy pasting once, the bank stepping of a
// hovering drag, and drags that are not this program's changing nothing.
#include "VoiceListTestSupport.h"

#include "banklib/clsVoiceData.h"
#include "voicelist/PatchClipboard.h"
#include "voicelist/VoiceDrag.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QScrollBar>
#include <QTest>
#include <QWindow>

namespace shell {
namespace {

using banklib::FileType;
using banklib::VoiceListField::Data;
using banklib::VoiceListField::Names;
using testing::nameOf;
using testing::VoiceListFixture;

// Edit menu indexes.
constexpr int kCut = 0;
constexpr int kCopy = 1;
constexpr int kPaste = 2;
constexpr int kDelete = 3;
constexpr int kSort = 8;

class Clipboard : public VoiceListFixture {
protected:
    Clipboard() { patchClipboard().clear(); }
    ~Clipboard() override
    {
        frmVoiceList::setDragRunner({});
        patchClipboard().clear();
    }

    // Selects exactly these voices (1-based), as Ctrl-clicks would.
    static void select(frmVoiceList& w, std::initializer_list<int> voices)
    {
        w.ResetTracker();
        for (int v : voices)
            (void)w.AddTracker(v, v);
    }
    // Every name of a list, in order.
    static std::vector<std::string> names(frmVoiceList& w)
    {
        std::vector<std::string> out;
        w.rsmfimage().forEach([&](const platform::RowRef& row) { out.push_back(row.text(Names)); });
        return out;
    }
    static std::string dataOf(frmVoiceList& w, int voice)
    {
        const auto marks = w.rsmfimage().bookmarks();
        return std::get<std::string>(w.rsmfimage().valueAt(marks.at(static_cast<std::size_t>(voice - 1)), Data));
    }
    // The point of a voice on the bank shown, and a click on it.
    static QPoint at(frmVoiceList& w, int voice) { return pointOf(w, (voice - 1) % 32); }
    static void clickVoice(frmVoiceList& w, int voice, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        click(w, (voice - 1) % 32, modifiers);
    }
    bool pasteEnabled() const { return main->commandState().isEnabled(CommandId::EditPaste); }
};

std::string unpacked(const std::string& packedData, const std::string& name)
{
    std::array<std::uint8_t, banklib::kPackedVoiceSize> in{};
    std::memcpy(in.data(), packedData.data(), banklib::kPackedDataSize);
    std::memcpy(in.data() + banklib::kPackedDataSize, name.data(), banklib::kNameLength);
    std::array<std::uint8_t, banklib::kUnpackedVoiceSize> out{};
    banklib::clsVoiceData::unpackVoice(in, out);
    return {reinterpret_cast<const char*>(out.data()), banklib::kUnpackedDataSize};
}

TEST_F(Clipboard, PasteConvertsBetweenPackedAndUnpackedListsAndKeepsNames)
{
    frmVoiceList* packed = openBank("packed.syx", 40, FileType::PackedSysex);
    frmVoiceList* unpackedList = openBank("single.dat", 5, FileType::Unpacked);
    frmVoiceList* wrapped = openBank("wrapped.syx", 4, FileType::UnpackedSysex);
    ASSERT_TRUE(packed && unpackedList && wrapped);
    // A fingerprint of the old bytes must not travel with the voice.
    const auto sourceMark = packed->rsmfimage().bookmarks()[2];
    packed->rsmfimage().setValueAt(sourceMark, banklib::VoiceListField::CRCAll, std::string(" 123"));

    select(*packed, {3, 4, 35});
    const std::string packedData3 = dataOf(*packed, 3);
    const std::string packedData35 = dataOf(*packed, 35);
    edit(*packed, kCopy);
    EXPECT_EQ(patchClipboard().count(), 3);
    EXPECT_TRUE(pasteEnabled());

    unpackedList->setCurrentVoice(2);
    edit(*unpackedList, kPaste);
    EXPECT_EQ(unpackedList->VoiceCount(), 8);
    EXPECT_EQ(unpackedList->PastedCount(), 3);
    EXPECT_EQ(names(*unpackedList),
              (std::vector<std::string>{nameOf(1, FileType::Unpacked), nameOf(3, FileType::Packed),
                                        nameOf(4, FileType::Packed), nameOf(35, FileType::Packed),
                                        nameOf(2, FileType::Unpacked), nameOf(3, FileType::Unpacked),
                                        nameOf(4, FileType::Unpacked), nameOf(5, FileType::Unpacked)}));
    EXPECT_EQ(dataOf(*unpackedList, 2).size(), banklib::kUnpackedDataSize);
    EXPECT_EQ(dataOf(*unpackedList, 2), unpacked(packedData3, nameOf(3, FileType::Packed)));
    EXPECT_EQ(dataOf(*unpackedList, 4), unpacked(packedData35, nameOf(35, FileType::Packed)));
    const auto pastedMark = unpackedList->rsmfimage().bookmarks()[1];
    EXPECT_TRUE(std::holds_alternative<std::monostate>(
        unpackedList->rsmfimage().valueAt(pastedMark, banklib::VoiceListField::CRCAll)));
    // The pasted voices are the selection, and the clipboard is spent.
    EXPECT_EQ(shownSelected(*unpackedList), (std::vector<int>{2, 3, 4}));
    EXPECT_EQ(patchClipboard().count(), 0);
    EXPECT_FALSE(pasteEnabled());
    EXPECT_TRUE(unpackedList->isWindowModified());

    // And back: unpacked to packed gives the original bytes; unpacked to unpacked with
    // headers changes nothing.
    select(*unpackedList, {2});
    edit(*unpackedList, kCopy);
    packed->setCurrentVoice(1);
    edit(*packed, kPaste);
    EXPECT_EQ(dataOf(*packed, 1), packedData3);
    EXPECT_EQ(names(*packed).front(), nameOf(3, FileType::Packed));

    select(*unpackedList, {1});
    const std::string plain = dataOf(*unpackedList, 1);
    edit(*unpackedList, kCopy);
    edit(*wrapped, kPaste);
    EXPECT_EQ(dataOf(*wrapped, wrapped->CurrentVoice()), plain);
    EXPECT_TRUE(ui.messagesShown().empty());
}

TEST_F(Clipboard, CutThenPasteMovesTheVoicesInOrderAndOneCopyPastesOnce)
{
    frmVoiceList* w = openBank("ten.dat", 10, FileType::Packed);
    ASSERT_NE(w, nullptr);
    const auto moved = w->rsmfimage().bookmarks()[4];
    clickVoice(*w, 5);
    clickVoice(*w, 3, Qt::ControlModifier);
    clickVoice(*w, 8, Qt::ControlModifier);
    ASSERT_EQ(w->TotalSelections(), 3);
    edit(*w, kCut);
    EXPECT_EQ(w->VoiceCount(), 7);
    EXPECT_EQ(w->TotalSelections(), 0);
    EXPECT_EQ(patchClipboard().count(), 3);

    clickVoice(*w, 6);  // old voice 9
    edit(*w, kPaste);
    const auto n = [](int v) { return nameOf(static_cast<std::size_t>(v), FileType::Packed); };
    EXPECT_EQ(names(*w), (std::vector<std::string>{n(1), n(2), n(4), n(6), n(7), n(3), n(5), n(8), n(9), n(10)}));
    EXPECT_EQ(w->CurrentVoice(), 6);
    EXPECT_EQ(shownSelected(*w), (std::vector<int>{6, 7, 8}));
    // A voice cut and pasted back into its own list is the same record.
    EXPECT_EQ(w->rsmfimage().positionOf(moved), 7);

    // The clipboard is empty now: a second Paste does nothing.
    EXPECT_FALSE(pasteEnabled());
    EXPECT_EQ(w->EditPaste(), -1);
    EXPECT_EQ(w->VoiceCount(), 10);

    // Copy with nothing selected leaves the clipboard as it was.
    w->ResetTracker();
    EXPECT_EQ(w->EditCopy(), -1);
    EXPECT_EQ(w->EditDelete(false, {}, nullptr, true), -1);
    EXPECT_EQ(w->VoiceCount(), 10);

    // Paste stays enabled while another window is active, as long as voices are held.
    select(*w, {1});
    edit(*w, kCopy);
    frmVoiceList* other = openBank("other.dat", 3, FileType::Packed);
    ASSERT_NE(other, nullptr);
    EXPECT_TRUE(pasteEnabled());
    edit(*other, kDelete);  // nothing selected there: nothing happens
    EXPECT_EQ(other->VoiceCount(), 3);

    // Voices added at the end by another part of the program are selected from the first.
    other->InitList(1, true, 2);
    EXPECT_EQ(shownSelected(*other), (std::vector<int>{2, 3}));
}

TEST_F(Clipboard, PastePositionStaysInsideTheListAfterDeletes)
{
    frmVoiceList* w = openBank("twenty.dat", 20, FileType::Packed);
    ASSERT_NE(w, nullptr);
    const auto n = [](int v) { return nameOf(static_cast<std::size_t>(v), FileType::Packed); };

    // The current voice was the last one; deleting voices before it shortens the list
    // under it.
    clickVoice(*w, 20);
    select(*w, {1, 2, 3, 4, 5, 20});
    edit(*w, kCut);
    EXPECT_EQ(w->VoiceCount(), 14);
    EXPECT_LE(w->CurrentVoice(), 14);
    edit(*w, kPaste);
    EXPECT_EQ(w->VoiceCount(), 20);
    const std::vector<std::string> all = names(*w);
    EXPECT_EQ(std::count(all.begin(), all.end(), std::string(10, ' ')), 0);
    EXPECT_EQ(all.back(), n(19));
    EXPECT_EQ(all[static_cast<std::size_t>(w->CurrentVoice() - 1)], n(1));

    // A position past the end is an append; 0 is the start.
    select(*w, {1});
    edit(*w, kCopy);
    w->setCurrentVoice(99);
    edit(*w, kPaste);
    EXPECT_EQ(w->VoiceCount(), 21);
    EXPECT_EQ(w->CurrentVoice(), 21);
    EXPECT_EQ(names(*w).back(), all[0]);
    select(*w, {2});
    edit(*w, kCopy);
    w->setCurrentVoice(0);
    edit(*w, kPaste);
    EXPECT_EQ(w->CurrentVoice(), 1);
    EXPECT_EQ(names(*w).front(), all[1]);

    // Deleting every voice leaves no current voice; a paste then fills the empty list.
    edit(*w, kCopy);
    w->ResetTracker();
    (void)w->AddTracker(1, w->VoiceCount());
    edit(*w, kDelete);
    EXPECT_EQ(w->VoiceCount(), 0);
    EXPECT_EQ(w->CurrentVoice(), 0);
    EXPECT_EQ(w->Label1(0)->text().toStdString(), "File is empty");
    edit(*w, kPaste);
    EXPECT_EQ(w->VoiceCount(), 1);
    EXPECT_EQ(w->CurrentVoice(), 1);
    EXPECT_EQ(names(*w), (std::vector<std::string>{all[1]}));
}

TEST_F(Clipboard, SortVoiceListOrdersByNameAndClearsTheSelection)
{
    banklib::clsVoiceNames writer;
    auto bytes = banklib::test::packedVoices(3);
    const char* names3[] = {"zebra     ", "Brass 1   ", "apple     "};
    for (std::size_t i = 0; i < 3; ++i)
        std::memcpy(bytes.data() + i * banklib::kPackedVoiceSize + banklib::kPackedDataSize, names3[i], 10);
    ASSERT_FALSE(writer.SaveVoiceDataToFileByt(bytes, data.file("sort.dat"), FileType::Packed, false));
    frmVoiceList* w = open(data.file("sort.dat"));
    ASSERT_NE(w, nullptr);
    select(*w, {1});
    EXPECT_TRUE(main->commandState().isEnabled(CommandId::EditSort));
    edit(*w, kSort);
    EXPECT_EQ(names(*w), (std::vector<std::string>{"apple     ", "Brass 1   ", "zebra     "}));
    EXPECT_EQ(w->TotalSelections(), 0);
    EXPECT_TRUE(shownSelected(*w).empty());
}

// ---------------------------------------------------------------- dragging

class VoiceDragging : public Clipboard {
protected:
    // Drag data as this program makes it.
    static std::unique_ptr<QMimeData> dragOf(frmVoiceList& source)
    {
        return makeVoiceDragData(source.BuildDragText());
    }
};

TEST_F(VoiceDragging, TheDragLineNamesTheSelectedVoices)
{
    frmVoiceList* w = openBank("forty.dat", 40, FileType::Packed);
    ASSERT_NE(w, nullptr);
    select(*w, {3, 17});
    const std::string line = w->BuildDragText();
    EXPECT_EQ(line, "2," + w->ListID() + ", 2, 3, 17,:");
    EXPECT_EQ(frmVoiceList::FindSelectionsBeforeTarget(line, 17), 1);
    EXPECT_EQ(frmVoiceList::FindSelectionsBeforeTargetB(splitDragText(line), 18), 2);
    for (const char* bad : {"", "2,L0001, 1,:", "2,L0001, 2, 3,:", "2,L0001, 2, 5, 3,:", "7,L0001, 1, 1,:",
                            "2,L0001, 1, 0,:", "2,L0001, 1, 1,", "2,L0001, 1, x,:"})
        EXPECT_FALSE(parseDragText(bad).has_value()) << bad;
}

TEST_F(VoiceDragging, DropWithinAListMovesTheVoicesBeforeTheTarget)
{
    frmVoiceList* w = openBank("twelve.dat", 12, FileType::Packed);
    ASSERT_NE(w, nullptr);
    const auto n = [](int v) { return nameOf(static_cast<std::size_t>(v), FileType::Packed); };
    select(*w, {3, 5});
    auto data = dragOf(*w);
    EXPECT_EQ(w->List1_OLEDragOver(data.get(), at(*w, 10), Qt::NoModifier), Qt::MoveAction);
    ASSERT_TRUE(w->List1_OLEDragDrop(data.get(), at(*w, 10), Qt::NoModifier));
    // Voice 10 is 8th once 3 and 5 have left: they go in before it.
    EXPECT_EQ(names(*w), (std::vector<std::string>{n(1), n(2), n(4), n(6), n(7), n(8), n(9), n(3), n(5), n(10),
                                                   n(11), n(12)}));
    EXPECT_EQ(w->CurrentVoice(), 8);
    EXPECT_EQ(shownSelected(*w), (std::vector<int>{8, 9}));
    // The drag went through the clipboard, which the paste emptied.
    EXPECT_EQ(patchClipboard().count(), 0);

    // Onto voice 1 from later positions: they go first.
    select(*w, {8, 9});
    data = dragOf(*w);
    ASSERT_TRUE(w->List1_OLEDragDrop(data.get(), at(*w, 1), Qt::NoModifier));
    EXPECT_EQ(names(*w).at(0), n(3));
    EXPECT_EQ(names(*w).at(1), n(5));

    // One voice dropped on itself, and a drop beside the names, do nothing.
    select(*w, {4});
    data = dragOf(*w);
    EXPECT_FALSE(w->List1_OLEDragDrop(data.get(), at(*w, 4), Qt::NoModifier));
    EXPECT_FALSE(w->List1_OLEDragDrop(data.get(), at(*w, 20), Qt::NoModifier));
    EXPECT_EQ(w->List1_OLEDragOver(data.get(), at(*w, 20), Qt::NoModifier), Qt::IgnoreAction);
    EXPECT_EQ(w->VoiceCount(), 12);

    // Ctrl (or Alt) copies: the source keeps its voices. This drop comes through the
    // list box as Qt delivers it.
    select(*w, {1});
    data = dragOf(*w);
    QDragEnterEvent enter(at(*w, 12), Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w->List1(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent dropEvent(QPointF(at(*w, 12)), Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton,
                         Qt::AltModifier);
    QCoreApplication::sendEvent(w->List1(), &dropEvent);
    EXPECT_TRUE(dropEvent.isAccepted());
    EXPECT_EQ(dropEvent.dropAction(), Qt::CopyAction);
    EXPECT_EQ(w->List1_OLEDragOver(data.get(), at(*w, 12), Qt::ControlModifier), Qt::CopyAction);
    EXPECT_EQ(w->VoiceCount(), 13);
    EXPECT_EQ(names(*w).at(0), n(3));
    EXPECT_EQ(names(*w).at(11), n(3));
}

TEST_F(VoiceDragging, DropOnAnotherListMovesOrCopiesAndConvertsTheLayout)
{
    frmVoiceList* source = openBank("packed.dat", 6, FileType::Packed);
    frmVoiceList* target = openBank("single.dat", 4, FileType::Unpacked);
    ASSERT_TRUE(source && target);
    select(*source, {2, 6});
    const std::string data2 = dataOf(*source, 2);
    auto data = dragOf(*source);
    ASSERT_TRUE(target->List1_OLEDragDrop(data.get(), at(*target, 3), Qt::NoModifier));
    EXPECT_EQ(source->VoiceCount(), 4);
    EXPECT_EQ(target->VoiceCount(), 6);
    EXPECT_EQ(names(*target).at(2), nameOf(2, FileType::Packed));
    EXPECT_EQ(names(*target).at(3), nameOf(6, FileType::Packed));
    EXPECT_EQ(dataOf(*target, 3), unpacked(data2, nameOf(2, FileType::Packed)));
    EXPECT_EQ(main->mdiArea()->activeSubWindow(), target->subWindow());

    // Into an empty list, anywhere: the voices become voices 1 and up.
    select(*target, {1, 2, 3, 4, 5, 6});
    edit(*target, kDelete);
    ASSERT_EQ(target->VoiceCount(), 0);
    select(*source, {1});
    data = dragOf(*source);
    EXPECT_EQ(target->List1_OLEDragOver(data.get(), QPoint(5, 5), Qt::NoModifier), Qt::MoveAction);
    ASSERT_TRUE(target->List1_OLEDragDrop(data.get(), QPoint(5, 5), Qt::ControlModifier));
    EXPECT_EQ(target->VoiceCount(), 1);
    EXPECT_EQ(target->CurrentVoice(), 1);
    EXPECT_EQ(source->VoiceCount(), 4);
}

TEST_F(VoiceDragging, AForeignDragChangesNothingAndTheListStillTakesClicks)
{
    frmVoiceList* w = openBank("eight.dat", 8, FileType::Packed);
    ASSERT_NE(w, nullptr);
    select(*w, {2});
    const std::string line = w->BuildDragText();

    // Text from another program, and our format from another copy of the program.
    QMimeData text;
    text.setText(QString::fromStdString(line));
    QMimeData otherProcess;
    otherProcess.setData(QString::fromLatin1(kVoiceDragMimeType), QByteArray("another-token\n") + line.c_str());
    for (const QMimeData* foreign : {static_cast<const QMimeData*>(&text), static_cast<const QMimeData*>(&otherProcess)}) {
        EXPECT_EQ(w->List1_OLEDragOver(foreign, at(*w, 5), Qt::NoModifier), Qt::IgnoreAction);
        EXPECT_FALSE(w->List1_OLEDragDrop(foreign, at(*w, 5), Qt::NoModifier));
        w->List1_OLEDragLeave();
        // The list box refuses it when it enters, so it gets no further events.
        QDragEnterEvent enter(at(*w, 5), Qt::CopyAction | Qt::MoveAction, foreign, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w->List1(), &enter);
        EXPECT_FALSE(enter.isAccepted());
    }
    EXPECT_FALSE(DragInProgress);
    EXPECT_EQ(w->VoiceCount(), 8);
    EXPECT_EQ(patchClipboard().count(), 0);
    clickVoice(*w, 6);
    EXPECT_EQ(w->CurrentVoice(), 6);
    EXPECT_EQ(shownSelected(*w), (std::vector<int>{6}));
}

TEST_F(VoiceDragging, TheDragStartsAfter250MsOfMovingAndAlwaysEndsCleared)
{
    frmVoiceList* w = openBank("eight.dat", 8, FileType::Packed);
    frmVoiceList* target = openBank("four.dat", 4, FileType::Packed);
    ASSERT_TRUE(w && target);
    int drags = 0;
    bool pressIgnored = false;
    bool drop = false;
    frmVoiceList::setDragRunner([&](frmVoiceList& source, std::unique_ptr<QMimeData> data) {
        ++drags;
        EXPECT_EQ(&source, w);
        EXPECT_TRUE(DragInProgress);
        // A press meanwhile (here on the target) is ignored.
        const std::int32_t before = target->CurrentVoice();
        target->List1_MouseDown(Qt::LeftButton, Qt::NoModifier, at(*target, 3));
        pressIgnored = target->CurrentVoice() == before;
        if (drop) {
            EXPECT_TRUE(target->List1_OLEDragDrop(data.get(), at(*target, 2), Qt::NoModifier));
        }
    });

    w->List1_MouseDown(Qt::LeftButton, Qt::NoModifier, at(*w, 3));
    w->List1_MouseMove(Qt::LeftButton, Qt::NoModifier, at(*w, 3));
    ui.advance(250);
    w->List1_MouseMove(Qt::LeftButton, Qt::NoModifier, at(*w, 4));
    EXPECT_EQ(drags, 0);
    ui.advance(1);
    w->List1_MouseMove(Qt::NoButton, Qt::NoModifier, at(*w, 4));
    EXPECT_EQ(drags, 0);
    w->List1_MouseMove(Qt::LeftButton, Qt::NoModifier, at(*w, 4));
    EXPECT_EQ(drags, 1);  // given up without a drop
    EXPECT_TRUE(pressIgnored);
    EXPECT_FALSE(DragInProgress);
    EXPECT_EQ(w->VoiceCount(), 8);

    // A release starts the timing afresh; the next drag is dropped.
    w->List1_MouseUp(Qt::LeftButton, Qt::NoModifier, at(*w, 3));
    drop = true;
    w->List1_MouseDown(Qt::LeftButton, Qt::NoModifier, at(*w, 3));
    w->List1_MouseMove(Qt::LeftButton, Qt::NoModifier, at(*w, 3));
    w->List1_MouseMove(Qt::LeftButton, Qt::NoModifier, at(*w, 3));
    EXPECT_EQ(drags, 1);
    ui.advance(300);
    w->List1_MouseMove(Qt::LeftButton, Qt::NoModifier, at(*w, 3));
    EXPECT_EQ(drags, 2);
    EXPECT_FALSE(DragInProgress);
    EXPECT_EQ(w->VoiceCount(), 7);
    EXPECT_EQ(target->VoiceCount(), 5);
    EXPECT_EQ(names(*target).at(1), nameOf(3, FileType::Packed));

    // The source list takes clicks again.
    clickVoice(*w, 1);
    EXPECT_EQ(shownSelected(*w), (std::vector<int>{1}));
}

TEST_F(VoiceDragging, HoveringNearTheBottomStepsBanksFasterAndStopsAtTheLast)
{
    frmVoiceList* w = openBank("long.dat", 32 * 6, FileType::Packed);
    ASSERT_NE(w, nullptr);
    select(*w, {1});
    auto data = dragOf(*w);
    const QPoint bottom(w->List1()->width() / 4, w->List1()->height() - 2);
    const auto hover = [&](std::int64_t ms) {
        ui.advance(ms);
        (void)w->List1_OLEDragOver(data.get(), bottom, Qt::NoModifier);
        return w->bankPage();
    };
    EXPECT_EQ(hover(0), 1);     // arms
    EXPECT_EQ(hover(999), 1);
    EXPECT_EQ(hover(1), 2);     // 1000 ms
    EXPECT_EQ(hover(0), 2);     // arms again
    EXPECT_EQ(hover(1000), 3);  // 1000 ms
    EXPECT_EQ(hover(0), 3);
    EXPECT_EQ(hover(332), 3);
    EXPECT_EQ(hover(1), 4);     // 333 ms
    EXPECT_EQ(hover(0), 4);
    EXPECT_EQ(hover(200), 5);   // 200 ms
    EXPECT_EQ(hover(0), 5);
    EXPECT_EQ(hover(143), 6);   // 143 ms
    EXPECT_EQ(hover(0), 6);
    EXPECT_EQ(hover(5000), 6);  // the last bank
    // In the middle of the list nothing steps.
    w->HScroll1()->setValue(2);
    const QPoint middle(w->List1()->width() / 4, w->List1()->height() / 2);
    (void)w->List1_OLEDragOver(data.get(), middle, Qt::NoModifier);
    ui.advance(5000);
    (void)w->List1_OLEDragOver(data.get(), middle, Qt::NoModifier);
    EXPECT_EQ(w->bankPage(), 2);
    w->List1_OLEDragLeave();
}


TEST_F(VoiceDragging, TheProgramsOwnDragGivenUpLeavesTheListsTakingClicks)
{
    // Through the main window as the mouse drives it; the platform here gives every
    // drag up at once, so this is a drag that ends without a drop.
    frmVoiceList* w = openBank("a.dat", 8, FileType::Packed);
    ASSERT_NE(w, nullptr);
    QWindow* window = main->windowHandle();
    ASSERT_NE(window, nullptr);
    select(*w, {2, 3});
    // Each drag the list starts is a child object of its list box.
    struct DragCounter : QObject {
        int count = 0;
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::ChildAdded)
                ++count;
            return false;
        }
    } drags;
    w->List1()->installEventFilter(&drags);
    const QPoint from = w->List1()->mapTo(main.get(), at(*w, 2));
    QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(window, from + QPoint(1, 0));
    ui.advance(300);
    QTest::mouseMove(window, from + QPoint(2, 0));
    EXPECT_EQ(drags.count, 1);
    QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, from + QPoint(2, 0));
    EXPECT_FALSE(DragInProgress);
    EXPECT_EQ(w->VoiceCount(), 8);
    const QPoint other = w->List1()->mapTo(main.get(), at(*w, 6));
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, other);
    EXPECT_EQ(w->CurrentVoice(), 6);
    EXPECT_EQ(shownSelected(*w), (std::vector<int>{6}));
}

}  // namespace
}  // namespace shell
