// Brevane - tests of the System Exclusive editor's bytes: the grid, what may be typed
// where, truncation and the check of the edited message.
#include "midi/clsHexEditor.h"
#include "platform/testing/ScriptedServices.h"

#include <gtest/gtest.h>

using midi::clsHexEditor;
using midi::SysexCheck;
using platform::MsgAnswer;
using CellEdit = clsHexEditor::CellEdit;

namespace {

std::string bytes(std::initializer_list<int> list)
{
    std::string s;
    for (int b : list)
        s.push_back(static_cast<char>(b));
    return s;
}

}  // namespace

TEST(HexEditor, AMessageFillsRowsOfSixteenWithTheirOffsets)
{
    platform::testing::ScriptedServices svc;
    clsHexEditor grid;
    std::string message(163, '\x10');
    message[0] = '\xF0';
    message[162] = '\xF7';
    grid.InitHexGrid(message);
    EXPECT_EQ(grid.rowCount(), 11);
    EXPECT_EQ(grid.cellText(0, 0), "0");
    EXPECT_EQ(grid.cellText(10, 0), "160");
    EXPECT_EQ(grid.cellText(0, 1), "240");
    EXPECT_EQ(grid.cellText(10, 3), "247");
    EXPECT_EQ(grid.cellText(10, 4), "") << "past the end";
    EXPECT_TRUE(grid.editable(10, 4)) << "right after the last byte";
    EXPECT_FALSE(grid.editable(10, 5));
    EXPECT_FALSE(grid.editable(0, 0)) << "the offsets are not typed";
    // A whole number of rows leaves one empty row to type into.
    grid.InitHexGrid(std::string(32, '\x01'));
    EXPECT_EQ(grid.rowCount(), 3);
    EXPECT_TRUE(grid.editable(2, 1));
    EXPECT_FALSE(svc.busy());
}

TEST(HexEditor, OnlyWholeNumbersFromZeroTo255CanBeTyped)
{
    struct Case {
        const char* text;
        int value;
    };
    const Case cases[] = {{"0", 0},     {"255", 255}, {" 7 ", 7},   {"007", 7},   {"", -1},
                          {"-1", -1},   {"256", -1},  {"12a", -1},  {"1e2", -1},  {"1.5", -1},
                          {"0x10", -1}, {"1000", -1}, {"+5", -1}};
    for (const Case& c : cases)
        EXPECT_EQ(clsHexEditor::parseByte(c.text), c.value) << '"' << c.text << '"';

    platform::testing::ScriptedServices svc;
    clsHexEditor grid;
    grid.InitHexGrid(bytes({0x90, 0x40, 0x7F}));
    for (const char* bad : {"-1", "256", "12a", "1e2"}) {
        EXPECT_EQ(grid.setCell(0, 2, bad), CellEdit::Refused) << bad;
        EXPECT_FALSE(grid.reason().empty());
    }
    EXPECT_EQ(grid.setCell(0, 2, "200"), CellEdit::Accepted) << "outside System Exclusive any byte goes";
    EXPECT_EQ(grid.setCell(0, 4, "5"), CellEdit::Accepted) << "right after the last byte";
    EXPECT_EQ(grid.setCell(0, 6, "5"), CellEdit::Refused) << "not beyond";
    EXPECT_EQ(grid.bytes(), (std::vector<std::uint8_t>{0x90, 200, 0x7F, 5}));
}

TEST(HexEditor, DataBytesStayBelow128WhereTheyMust)
{
    platform::testing::ScriptedServices svc;
    clsHexEditor voice;
    voice.InitHexGrid(std::string(155, '\x05'), true);
    EXPECT_EQ(voice.setCell(0, 1, "127"), CellEdit::Accepted);
    EXPECT_EQ(voice.setCell(0, 1, "128"), CellEdit::Refused);

    clsHexEditor sysex;
    sysex.InitHexGrid(bytes({0xF0, 0x43, 0x10, 0x01, 0x02, 0x03, 0xF7, 0x90, 0x40}));
    EXPECT_EQ(sysex.setCell(0, 3, "200"), CellEdit::Refused) << "inside F0 ... F7";
    EXPECT_EQ(sysex.setCell(0, 3, "247"), CellEdit::Accepted) << "an F7 ends it";
    EXPECT_EQ(sysex.setCell(0, 1, "240"), CellEdit::Accepted) << "the status byte itself";
    EXPECT_EQ(sysex.setCell(0, 9, "200"), CellEdit::Accepted) << "after the F7";
}

TEST(HexEditor, EmptyingACellTruncatesBeforeIt)
{
    platform::testing::ScriptedServices svc;
    clsHexEditor grid;
    grid.InitHexGrid(std::string(100, '\x01'));
    // The cell of column 5 in the row whose Byte is 32.
    EXPECT_EQ(grid.setCell(2, 5, ""), CellEdit::Truncate);
    EXPECT_EQ(grid.setCell(2, 5, "   "), CellEdit::Truncate);
    EXPECT_EQ(grid.bytes().size(), 100U) << "nothing changes before the user agrees";
    grid.truncateAt(clsHexEditor::offsetOf(2, 5));
    EXPECT_EQ(grid.bytes().size(), 36U);
    EXPECT_EQ(grid.setCell(2, 6, ""), CellEdit::Refused) << "an empty cell after the end is nothing to truncate";
}

TEST(HexEditor, TheEditedMessageIsCheckedByItsLength)
{
    struct Case {
        const char* what;
        std::string message;
        MsgAnswer answer;  // to the question, when one is asked
        const char* title;  // "" when no question is asked
        SysexCheck result;
    };
    const Case cases[] = {
        {"a note on", bytes({0x90, 60, 64}), MsgAnswer::Ok, "", SysexCheck::Accept},
        {"a bad status byte", bytes({100, 1}), MsgAnswer::Yes, "Invalid status byte", SysexCheck::Revise},
        {"a bad status byte kept", bytes({250}), MsgAnswer::No, "Invalid status byte", SysexCheck::Accept},
        {"a dump request", bytes({0xF0, 0x43, 0x20, 0x09, 0xF7}), MsgAnswer::Ok, "", SysexCheck::Accept},
        {"five bytes of nothing", bytes({1, 2, 3, 4, 5}), MsgAnswer::Cancel, "Invalid Message Length",
         SysexCheck::Cancel},
        {"a parameter change", bytes({0xF0, 0x43, 0x10, 1, 2, 3, 0xF7}), MsgAnswer::Ok, "", SysexCheck::Accept},
        {"a parameter change ending in 246", bytes({0xF0, 0x43, 0x10, 1, 2, 3, 246}), MsgAnswer::No,
         "Invalid Parameter Message", SysexCheck::Accept},
        {"eight bytes", std::string(8, '\x01'), MsgAnswer::Ok, "", SysexCheck::Accept},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        platform::testing::ScriptedServices svc;
        svc.answer(c.answer);
        clsHexEditor grid;
        grid.InitHexGrid(c.message);
        std::string result = "unchanged";
        EXPECT_EQ(grid.UpdateRecordset(result), c.result);
        EXPECT_EQ(result, c.result == SysexCheck::Accept ? c.message : std::string("unchanged"));
        if (*c.title) {
            ASSERT_EQ(svc.messagesShown().size(), 1U);
            EXPECT_EQ(svc.messagesShown()[0].title, c.title);
            EXPECT_EQ(svc.messagesShown()[0].style, 67);
        } else {
            EXPECT_TRUE(svc.messagesShown().empty());
        }
    }
    platform::testing::ScriptedServices svc;
    svc.answer(MsgAnswer::Yes);
    clsHexEditor grid;
    grid.InitHexGrid(bytes({0xF0, 0x43, 0x10, 1, 2, 3, 246}));
    std::string result;
    (void)grid.UpdateRecordset(result);
    EXPECT_EQ(svc.messagesShown()[0].text,
              "This parameter change message is invalid - messages must begin with 240 and end with 247.\r\n"
              "Do you want to correct this and continue editing ?");
    EXPECT_EQ(midi::ValidateSysexMessage({}), SysexCheck::Cancel) << "an empty message";
}

TEST(HexEditor, AMegabyteMessageOpensAndConfirmsWhole)
{
    platform::testing::ScriptedServices svc;
    std::string big(1 << 20, '\x11');
    big.front() = '\xF0';
    big.back() = '\xF7';
    clsHexEditor grid;
    grid.InitHexGrid(big);
    EXPECT_EQ(grid.rowCount(), (1 << 20) / 16 + 1);
    EXPECT_EQ(grid.cellText(65535, 16), "247");
    std::string result;
    EXPECT_EQ(grid.UpdateRecordset(result), SysexCheck::Accept);
    EXPECT_EQ(result, big);
}
