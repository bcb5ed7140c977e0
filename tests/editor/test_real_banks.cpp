// Brevane - editing one voice of a real-world bank changes that voice's bytes alone.
#include "EditorTestSupport.h"

#include "banklib/VoiceFormat.h"
#include "editor/ChartPointDrag.h"
#include "editor/VoiceChart.h"
#include "editor/VoiceElements.h"
#include "voicelist/frmFileFormatDialog.h"

#include <QPushButton>
#include <QRadioButton>

#include <cstdlib>
#include <filesystem>

namespace {

using banklib::FileType;
using editor::EditPath;

// The shared real-world banks (BREVANE_REAL_BANKS_DIR overrides the folder).
std::filesystem::path realBanks()
{
    if (const char* dir = std::getenv("BREVANE_REAL_BANKS_DIR"))
        return dir;
    return BREVANE_REAL_BANKS;
}

struct RealBank {
    const char* name;  // of the test
    const char* file;
    FileType type;
    std::size_t voiceStart;  // offset of voice 1
    std::size_t voiceSize;
    std::size_t checksumAt;  // 0: no checksum
};

class RealBankEditTest : public editor::testing::EditorFixture, public ::testing::WithParamInterface<RealBank> {
protected:
    // File > Save on a list, in its own layout.
    void saveList(shell::frmVoiceList& list, const std::string& path, FileType type)
    {
        main->mdiArea()->setActiveSubWindow(list.subWindow());
        ui.answerFile(path);
        bool asked = false;
        shell::testing::whenModal<shell::frmFileFormatDialog>([&](shell::frmFileFormatDialog* d) {
            asked = true;
            EXPECT_TRUE(d->Option1(banklib::toCode(type))->isChecked());
            d->OKButton()->click();
        });
        main->mnufile_Click(4);
        EXPECT_TRUE(asked);
    }
    static std::string editorVoice(editor::frmVoiceEditor& e)
    {
        std::string voice;
        for (int r = 0; r < banklib::kVoiceDataRows; ++r)
            voice += r < editor::ParameterEdits::kFirstNameRow
                         ? static_cast<char>(e.edits().value(r))
                         : e.edits().voice().text(r, banklib::VoiceDataField::Value).at(0);
        return voice;
    }
    // A point of chart n dragged to chart values (x, y): pressed, moved twice, released.
    static void dragPoint(editor::frmVoiceEditor& e, int n, int point, double x, double y)
    {
        const editor::PlotBox box = editor::PlotBox::ofChart(n);
        const double xMax = e.MSChart1(n)->xAxisMaximum();
        const QPointF mouse(editor::PlotBox::kLeft + x / xMax * (editor::PlotBox::kRight - editor::PlotBox::kLeft),
                            box.bottom + y / editor::ChartPointDrag::yAxisMaximum(n) * (box.top - box.bottom));
        e.MSChart1_MouseDown(n, point, Qt::LeftButton, Qt::NoModifier);
        e.MSChart1_MouseMove(n, mouse, Qt::NoModifier);
        e.MSChart1_MouseMove(n, mouse, Qt::NoModifier);
        e.MSChart1_MouseUp(n, Qt::LeftButton);
    }
};

TEST_P(RealBankEditTest, EditingAndSavingOneVoiceChangesOnlyItsBytes)
{
    const RealBank& bank = GetParam();
    const std::filesystem::path source = realBanks() / bank.file;
    if (!std::filesystem::exists(source))
        GTEST_SKIP() << "no real-world banks at " << realBanks();
    const std::string copy = data.file(bank.file);
    std::filesystem::copy_file(source, copy);
    const auto before = banklib::test::readBytes(copy);

    shell::frmVoiceList* list = open(copy);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->fileType(), bank.type);
    constexpr int kVoice = 5;
    editor::frmVoiceEditor* e = openEditor(*list, kVoice);
    ASSERT_NE(e, nullptr);
    // Operator 1's output level, and operator 3's frequency typed as a ratio.
    constexpr int kOutput = (6 - 1) * 21 + 16;
    constexpr int kCoarse3 = (6 - 3) * 21 + 18;
    const int level = e->edits().value(kOutput);
    ASSERT_TRUE(e->edits().commit(kOutput, level == 99 ? 98 : level + 1, EditPath::Spin));
    ASSERT_TRUE(e->edits().commit(kCoarse3 - 1, 0, EditPath::Spin));
    ASSERT_TRUE(e->edits().typeValue(kCoarse3, "2.5"));
    ui.clear();
    ui.answer(platform::MsgAnswer::Yes);
    ASSERT_TRUE(e->unload());
    ASSERT_EQ(ui.messagesShown().size(), 1u);
    // File > Save on the list.
    main->mdiArea()->setActiveSubWindow(list->subWindow());
    ui.answerFile(copy);
    bool asked = false;
    shell::testing::whenModal<shell::frmFileFormatDialog>([&](shell::frmFileFormatDialog* d) {
        asked = true;
        // The layout offered is the list's own.
        EXPECT_TRUE(d->Option1(banklib::toCode(bank.type))->isChecked());
        d->OKButton()->click();
    });
    main->mnufile_Click(4);
    EXPECT_TRUE(asked);
    EXPECT_EQ(ui.messagesShown().size(), 1u);

    const auto after = banklib::test::readBytes(copy);
    ASSERT_EQ(after.size(), before.size());
    const std::size_t first = bank.voiceStart + (kVoice - 1) * bank.voiceSize;
    const std::size_t last = first + bank.voiceSize;
    int changed = 0;
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (before[i] == after[i])
            continue;
        ++changed;
        EXPECT_TRUE((i >= first && i < last) || (bank.checksumAt != 0 && i == bank.checksumAt)) << "byte " << i;
    }
    EXPECT_GT(changed, 0);
    // The list read again holds the edits.
    const std::string voice = storedVoice(*list, kVoice);
    EXPECT_EQ(static_cast<std::uint8_t>(voice[kOutput]), level == 99 ? 98 : level + 1);
    EXPECT_EQ(static_cast<std::uint8_t>(voice[kCoarse3]), 2);
    EXPECT_EQ(static_cast<std::uint8_t>(voice[kCoarse3 + 1]), 25);
}

TEST_P(RealBankEditTest, DraggedChartPointsAndACopiedOperatorChangeOnlyThoseParameters)
{
    const RealBank& bank = GetParam();
    const std::filesystem::path source = realBanks() / bank.file;
    if (!std::filesystem::exists(source))
        GTEST_SKIP() << "no real-world banks at " << realBanks();
    const std::string copy = data.file(bank.file);
    std::filesystem::copy_file(source, copy);
    const auto before = banklib::test::readBytes(copy);
    shell::frmVoiceList* list = open(copy);
    ASSERT_NE(list, nullptr);
    constexpr int kVoiceA = 5;
    constexpr int kVoiceB = 6;
    const std::string otherVoice = storedVoice(*list, 1);
    editor::frmVoiceEditor* a = openEditor(*list, kVoiceA);
    editor::frmVoiceEditor* b = openEditor(*list, kVoiceB);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    // The voices as the editors hold them: as stored, except that a bank whose bytes
    // carry stray high bits is read within each parameter's range.
    std::string expectedA = editorVoice(*a);
    std::string expectedB = editorVoice(*b);
    if (std::string_view(bank.name) != "PackedWithHighBits") {
        EXPECT_EQ(expectedA, storedVoice(*list, kVoiceA));
        EXPECT_EQ(expectedB, storedVoice(*list, kVoiceB));
    }
    auto expect = [](std::string& voice, int row, int value) {
        voice[static_cast<std::size_t>(row)] = static_cast<char>(value);
    };

    // Operator 2's envelope: point 3 to the width of rate 20 after point 2, at level 33.
    const int op2 = (6 - 2) * 21;
    const auto x = editor::EnvelopeGeometry::CalcEGChartX(editor::ChartPointDrag::envelopeOf(a->edits(), 2));
    dragPoint(*a, 2, 3, x.x[0] + editor::EnvelopeGeometry::segmentWidth(20, 2.0), 33.0);
    expect(expectedA, op2 + 1, 20);
    expect(expectedA, op2 + 5, 33);
    // Its last point to level 7 (L4).
    dragPoint(*a, 2, 6, 0.0, 7.0);
    expect(expectedA, op2 + 7, 7);
    // Operator 4's scaling: the break point to 45.7, the right handle to 150 (depth 51,
    // rising).
    const int op4 = (6 - 4) * 21;
    dragPoint(*a, 10, 2, 45.7, 99.0);
    expect(expectedA, op4 + 8, 45);
    const int rightCurve = a->edits().value(op4 + 12);
    dragPoint(*a, 10, 3, 99.0, 150.0);
    expect(expectedA, op4 + 10, 51);
    expect(expectedA, op4 + 12, rightCurve == 0 ? 3 : rightCurve == 1 ? 2 : rightCurve);
    // Operator 3 of voice 5 copied onto operator 1 of voice 6.
    const int op3 = (6 - 3) * 21;
    const int op1 = (6 - 1) * 21;
    ASSERT_TRUE(b->CopyVoiceElementData(a->element(editor::ElementKind::Title, 3), editor::ElementKind::Title, 1));
    for (int i = 0; i < 21; ++i)
        expectedB[static_cast<std::size_t>(op1 + i)] = expectedA[static_cast<std::size_t>(op3 + i)];

    ui.clear();
    ui.answer(platform::MsgAnswer::Yes);
    ui.answer(platform::MsgAnswer::Yes);
    ASSERT_TRUE(a->unload());
    ASSERT_TRUE(b->unload());
    EXPECT_EQ(ui.messagesShown().size(), 2u);
    saveList(*list, copy, bank.type);

    EXPECT_EQ(storedVoice(*list, kVoiceA), expectedA);
    EXPECT_EQ(storedVoice(*list, kVoiceB), expectedB);
    EXPECT_EQ(storedVoice(*list, 1), otherVoice);
    // In the file, only the two voices' bytes (and a bank's checksum) differ.
    const auto after = banklib::test::readBytes(copy);
    ASSERT_EQ(after.size(), before.size());
    const std::size_t first = bank.voiceStart + (kVoiceA - 1) * bank.voiceSize;
    const std::size_t last = first + 2 * bank.voiceSize;
    for (std::size_t i = 0; i < before.size(); ++i)
        if (before[i] != after[i]) {
            EXPECT_TRUE((i >= first && i < last) || (bank.checksumAt != 0 && i == bank.checksumAt)) << "byte " << i;
        }
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, RealBankEditTest,
    ::testing::Values(RealBank{"BulkDump", "yamaha__DX7-ROM1__ROM1A.syx", FileType::PackedSysex, 6, 128, 4102},
                      RealBank{"Unpacked", "yamaha__TX802__TX802BankA1.SYX", FileType::Unpacked, 0, 155, 0},
                      RealBank{"PackedWithHighBits", "Christopher-Pardy-Pat-__pat-13.SYX", FileType::Packed, 0, 128,
                               0}),
    [](const ::testing::TestParamInfo<RealBank>& info) { return std::string(info.param.name); });

}  // namespace
