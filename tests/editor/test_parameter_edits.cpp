// Brevane - edits of a voice, their display texts and what each path sends.
#include "EditorTestSupport.h"

#include "editor/AlgorithmDiagram.h"
#include "editor/AlgorithmTopology.h"
#include "editor/GridMap.h"
#include "editor/ParameterEdits.h"
#include "editor/ParameterTexts.h"
#include "platform/VbText.h"

#include <QCoreApplication>

namespace {

using editor::EditPath;
using editor::ParameterEdits;
using editor::testing::LoadedVoice;
using editor::testing::RecordingOutput;
using editor::testing::plainVoice;

constexpr int op1 = (6 - 1) * 21;  // operator 1's first row
constexpr int kLeftCurve = op1 + 11;
constexpr int kMode = op1 + 17;
constexpr int kCoarse = op1 + 18;
constexpr int kFine = op1 + 19;
constexpr int kDetune = op1 + 20;
constexpr int kOutput = op1 + 16;
constexpr int kWave = 142;
constexpr int kTranspose = 144;

class ParameterEditsTest : public ::testing::Test {
protected:
    ParameterEditsTest() : voice(plainVoice())
    {
        edits.setVoice(voice.voiceData, voice.proxyData);
        editor::RefreshAllTexts(edits.voice(), edits.proxy());
    }
    RecordingOutput out;
    LoadedVoice voice;
    ParameterEdits edits;
};

TEST_F(ParameterEditsTest, EachPathSendsOnceUnderItsCondition)
{
    ASSERT_TRUE(edits.commit(kOutput, 80, EditPath::Spin));
    EXPECT_EQ(edits.value(kOutput), 80);
    ASSERT_EQ(out.parameters, (std::vector<std::pair<int, int>>{{kOutput + 1, 80}}));
    EXPECT_EQ(out.notes, 1);
    EXPECT_EQ(out.scales, 0);

    out.clear();
    ASSERT_TRUE(edits.selectAlgorithm(31));
    EXPECT_EQ(edits.value(ParameterEdits::kAlgorithmRow), 31);
    EXPECT_EQ(out.parameters, (std::vector<std::pair<int, int>>{{135, 31}}));
    EXPECT_EQ(out.scales, 1);
    EXPECT_EQ(out.notes, 0);

    out.clear();
    ASSERT_TRUE(edits.switchOperator(2, false));
    EXPECT_EQ(edits.OperatorStatus(), 63 - 16);
    EXPECT_EQ(out.parameters, (std::vector<std::pair<int, int>>{{156, 47}}));
    EXPECT_EQ(out.scales, 1);

    out.clear();
    ASSERT_TRUE(edits.commit(kOutput, 10, EditPath::Quiet));
    EXPECT_EQ(out.sends(), 0);
}

TEST_F(ParameterEditsTest, CtrlKeepsTheEditsQuietButNotTheOperatorBoxes)
{
    edits.setSendSuppressed(true);
    ASSERT_TRUE(edits.commit(kOutput, 70, EditPath::Spin));
    ASSERT_TRUE(edits.selectAlgorithm(3));
    EXPECT_EQ(edits.value(kOutput), 70);
    EXPECT_EQ(out.sends(), 0);
    EXPECT_EQ(out.notes + out.scales, 0);
    ASSERT_TRUE(edits.switchOperator(1, false));
    EXPECT_EQ(out.parameters, (std::vector<std::pair<int, int>>{{156, 31}}));
    ASSERT_TRUE(edits.commit(kOutput, 71, EditPath::Chart));
    EXPECT_EQ(out.sends(), 2);
}

TEST_F(ParameterEditsTest, ClosedOutputSendsNothingAndOperatorBoxesStay)
{
    out.open = false;
    ASSERT_TRUE(edits.commit(kOutput, 60, EditPath::Spin));
    EXPECT_EQ(edits.value(kOutput), 60);
    EXPECT_FALSE(edits.switchOperator(3, false));
    EXPECT_EQ(edits.OperatorStatus(), 63);
    edits.sendWholeVoice(true);
    EXPECT_EQ(out.sends() + out.voices + out.notes + out.scales, 0);
}

TEST_F(ParameterEditsTest, WholeVoiceFollowsCtrlOnlyWhenAsked)
{
    edits.setSendSuppressed(true);
    edits.sendWholeVoice(false);
    EXPECT_EQ(out.voices, 0);
    edits.sendWholeVoice(true);
    EXPECT_EQ(out.voices, 1);
    EXPECT_EQ(out.scales, 1);
}

TEST_F(ParameterEditsTest, CommitRefusesValuesOutsideTheRowAndTheName)
{
    EXPECT_FALSE(edits.commit(kOutput, 100, EditPath::Spin));
    EXPECT_FALSE(edits.commit(kOutput, -1, EditPath::Spin));
    EXPECT_FALSE(edits.commit(ParameterEdits::kFirstNameRow, 65, EditPath::Spin));
    EXPECT_FALSE(edits.commit(ParameterEdits::kOperatorSwitchRow, 64, EditPath::OperatorSwitch));
    EXPECT_EQ(edits.value(kOutput), 90);
    EXPECT_EQ(out.sends(), 0);
}

TEST_F(ParameterEditsTest, TypedNumbers)
{
    EXPECT_FALSE(edits.typeValue(kOutput, "120"));
    EXPECT_EQ(edits.value(kOutput), 90);
    EXPECT_TRUE(edits.typeValue(kOutput, "12.6"));
    EXPECT_EQ(edits.value(kOutput), 13);
    EXPECT_EQ(out.parameters.back(), (std::pair<int, int>{kOutput + 1, 13}));
    // Halves go to the even neighbour.
    EXPECT_TRUE(edits.typeValue(kOutput, "12.5"));
    EXPECT_EQ(edits.value(kOutput), 12);
    EXPECT_TRUE(edits.typeValue(kOutput, " 7 "));
    EXPECT_EQ(edits.value(kOutput), 7);
    // A text without a number would read as 0: refused.
    out.clear();
    for (const char* text : {"", "   ", "abc", "x5", "-"})
        EXPECT_FALSE(edits.typeValue(kOutput, text)) << text;
    EXPECT_EQ(edits.value(kOutput), 7);
    EXPECT_EQ(out.sends(), 0);
    EXPECT_TRUE(edits.typeValue(kOutput, "0"));
    EXPECT_EQ(edits.value(kOutput), 0);
}

TEST_F(ParameterEditsTest, TypedDisplayTexts)
{
    EXPECT_TRUE(edits.typeValue(kLeftCurve, "+EXP"));
    EXPECT_EQ(edits.value(kLeftCurve), 2);
    EXPECT_EQ(edits.displayText(kLeftCurve), "+EXP");
    EXPECT_FALSE(edits.typeValue(kLeftCurve, "+exp"));
    EXPECT_TRUE(edits.typeValue(kWave, "S/Hold"));
    EXPECT_EQ(edits.value(kWave), 5);
    EXPECT_TRUE(edits.typeValue(kWave, "Square"));
    EXPECT_EQ(edits.value(kWave), 3);
    EXPECT_TRUE(edits.typeValue(kTranspose, "C 3"));
    EXPECT_EQ(edits.value(kTranspose), 24);
    EXPECT_TRUE(edits.typeValue(kDetune, "3"));
    EXPECT_EQ(edits.value(kDetune), 10);
    EXPECT_TRUE(edits.typeValue(kMode, "Fixed"));
    EXPECT_EQ(edits.value(kMode), 1);
}

TEST_F(ParameterEditsTest, EmptyAndForeignDisplayCellsAreNoMatch)
{
    // The lookup's empty cells (detune 15.., wave 5.., curve 4.., transpose 49..) and the
    // texts of values beyond the row's range are never taken.
    edits.setSendSuppressed(true);
    for (const int row : {kDetune, kWave, kLeftCurve, kTranspose})
        EXPECT_FALSE(edits.typeValue(row, " ")) << row;
    EXPECT_FALSE(edits.typeValue(kTranspose, "C 8"));
    EXPECT_EQ(edits.value(kTranspose), 24);
    EXPECT_EQ(edits.value(kDetune), 7);
}

TEST_F(ParameterEditsTest, TypedFrequencyCommitsBothRows)
{
    EXPECT_TRUE(edits.typeValue(kCoarse, "1.5"));
    EXPECT_EQ(edits.value(kCoarse), 1);
    EXPECT_EQ(edits.value(kFine), 50);
    EXPECT_EQ(out.parameters, (std::vector<std::pair<int, int>>{{kFine + 1, 50}, {kCoarse + 1, 1}}));
    EXPECT_EQ(out.notes, 1);
    EXPECT_EQ(edits.displayText(kCoarse), "1.5");
    EXPECT_EQ(edits.displayText(kFine), "1.5");

    out.clear();
    EXPECT_TRUE(edits.typeValue(kFine, "0.505"));
    EXPECT_EQ(edits.value(kCoarse), 0);
    EXPECT_EQ(edits.value(kFine), 1);
    EXPECT_EQ(out.parameters, (std::vector<std::pair<int, int>>{{kCoarse + 1, 0}, {kFine + 1, 1}}));

    out.clear();
    EXPECT_FALSE(edits.typeValue(kFine, "62"));
    EXPECT_EQ(out.sends(), 0);
}

TEST_F(ParameterEditsTest, ModeSwitchRewritesBothFrequencyRows)
{
    using banklib::VoiceDataField::ProxyFieldID;
    EXPECT_EQ(static_cast<int>(platform::Val(edits.voice().text(kCoarse, ProxyFieldID))), 4);
    ASSERT_TRUE(edits.commit(kMode, 1, EditPath::Spin));
    EXPECT_EQ(static_cast<int>(platform::Val(edits.voice().text(kCoarse, ProxyFieldID))), 3);
    EXPECT_EQ(static_cast<int>(platform::Val(edits.voice().text(kFine, ProxyFieldID))), 3);
    EXPECT_EQ(edits.displayText(kMode), "Fixed");
    EXPECT_EQ(edits.displayText(kCoarse), "10.00Hz");
    EXPECT_EQ(edits.displayText(kFine), "10.00Hz");
    EXPECT_TRUE(edits.typeValue(kFine, "263.0Hz"));
    EXPECT_EQ(edits.value(kCoarse), 2);
    EXPECT_EQ(edits.value(kFine), 42);
    ASSERT_TRUE(edits.commit(kMode, 0, EditPath::Spin));
    EXPECT_EQ(static_cast<int>(platform::Val(edits.voice().text(kFine, ProxyFieldID))), 4);
    EXPECT_EQ(edits.displayText(kFine), "2.84");
}

TEST_F(ParameterEditsTest, DisplayTextsOfPlainAndLookupRows)
{
    EXPECT_EQ(edits.displayText(kOutput), "90");
    EXPECT_EQ(edits.displayText(op1 + 12), "+LIN");
    EXPECT_EQ(edits.displayText(op1 + 8), "C 3");
    EXPECT_EQ(edits.displayText(kDetune), "0");
    EXPECT_EQ(edits.displayText(kWave), "Triangle");
}

TEST(AlgorithmBoxTest, TypedAlgorithmNumbers)
{
    EXPECT_EQ(ParameterEdits::algorithmIndexOfText("1"), 0);
    EXPECT_EQ(ParameterEdits::algorithmIndexOfText(" 32"), 31);
    EXPECT_EQ(ParameterEdits::algorithmIndexOfText("2.5"), 2);
    EXPECT_FALSE(ParameterEdits::algorithmIndexOfText("0"));
    EXPECT_FALSE(ParameterEdits::algorithmIndexOfText("33"));
    EXPECT_FALSE(ParameterEdits::algorithmIndexOfText("abc"));
}

TEST(OperatorMaskTest, SwitchingOperatorsSetsAndClearsTheirBits)
{
    ParameterEdits edits;
    EXPECT_EQ(edits.ComputeOperatorMask(6, false), 62);
    EXPECT_EQ(edits.ComputeOperatorMask(1, false), 30);
    EXPECT_EQ(edits.ComputeOperatorMask(6, true), 31);
    edits.setOperatorStatus(0);
    // A mask that never was anything but 0 starts from all on.
    ParameterEdits fresh;
    fresh.setOperatorStatus(0);
    EXPECT_EQ(fresh.ComputeOperatorMask(3, false), 63 - 8);
}

TEST(GridMapTest, EveryParameterRowHasOneGridThatShowsIt)
{
    int shown = 0;
    for (int grid = 0; grid < editor::kGridCount; ++grid) {
        for (const int row : editor::rowsOfGrid(grid)) {
            EXPECT_EQ(editor::gridOfRow(row), grid) << row;
            ++shown;
        }
    }
    EXPECT_EQ(shown, 144);  // every row but the algorithm and the name
    EXPECT_EQ(editor::gridOfRow(134), -1);
    EXPECT_EQ(editor::rowsOfGrid(26), (std::vector<int>{135, 136, 144}));
    EXPECT_EQ(editor::rowsOfGrid(3 + 6), (std::vector<int>{71, 72, 73, 74, 75}));
    EXPECT_EQ(editor::panelOfGrid(3 + 18), 3);
    EXPECT_EQ(editor::gridCaption(3 + 6), "Level Scaling");
}

TEST(AlgorithmTopologyTest, CarriersAndFeedback)
{
    const auto carriers = [](int alg) {
        std::vector<int> c;
        for (int op = 1; op <= 6; ++op)
            if (editor::algorithmTopology(alg).isCarrier(op))
                c.push_back(op);
        return c;
    };
    EXPECT_EQ(carriers(1), (std::vector<int>{1, 3}));
    EXPECT_EQ(carriers(32), (std::vector<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(carriers(16), (std::vector<int>{1}));
    EXPECT_EQ(editor::algorithmTopology(1).feedbackFrom, 6);
    EXPECT_EQ(editor::algorithmTopology(2).feedbackFrom, 2);
    EXPECT_EQ(editor::algorithmTopology(4).feedbackFrom, 4);
    EXPECT_EQ(editor::algorithmTopology(4).feedbackInto, 6);
    static constexpr int kCarrierCounts[32] = {2, 2, 2, 2, 3, 3, 2, 2, 2, 2, 2, 2, 2, 2, 2, 1,
                                               1, 1, 3, 3, 4, 4, 4, 5, 5, 3, 3, 3, 4, 4, 5, 6};
    for (int alg = 1; alg <= 32; ++alg) {
        const auto& t = editor::algorithmTopology(alg);
        EXPECT_EQ(t.number, alg);
        EXPECT_EQ(static_cast<int>(carriers(alg).size()), kCarrierCounts[alg - 1]) << alg;
        // Every operator is a carrier or feeds another one; carriers feed nothing.
        for (int op = 1; op <= 6; ++op) {
            int feeds = 0;
            for (const auto& e : t.connections())
                feeds += e.modulator == op;
            EXPECT_EQ(t.isCarrier(op), feeds == 0) << alg << " op " << op;
        }
        const auto place = editor::AlgorithmDiagram::place(t);
        for (int op = 1; op <= 6; ++op) {
            EXPECT_EQ(place.level[static_cast<std::size_t>(op)] == 0, t.isCarrier(op)) << alg << " op " << op;
            for (const auto& e : t.connections())
                EXPECT_GT(place.level[static_cast<std::size_t>(e.modulator)],
                          place.level[static_cast<std::size_t>(e.target)]);
        }
    }
    EXPECT_EQ(editor::algorithmTopology(0).number, 1);
    EXPECT_EQ(editor::algorithmTopology(40).number, 32);
}

}  // namespace
