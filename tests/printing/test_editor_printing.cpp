// File > Print Voice Data: every open editor on a page of its own, in list order, and
// every editor exactly as it was afterwards, whether the printing worked or not.
#include "../editor/EditorTestSupport.h"
#include "PrintingTestSupport.h"

#include "printing/EditorPrintout.h"
#include "printing/modPrintOps.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QMdiSubWindow>
#include <QTableView>

namespace printing {
namespace {

// Where each control of an editor is and whether it shows.
struct ControlPlaces {
    std::vector<QRect> geometry;
    std::vector<bool> visible;
    QSize window;
    Qt::WindowStates state;
    friend bool operator==(const ControlPlaces&, const ControlPlaces&) = default;
};

ControlPlaces placesOf(editor::frmVoiceEditor& e)
{
    QApplication::processEvents();
    ControlPlaces p;
    std::vector<QWidget*> controls;
    for (int i = 0; i < editor::frmVoiceEditor::kChartCount; ++i)
        controls.push_back(e.chartPlace(i));
    for (int i = 0; i <= 6; ++i) {
        controls.push_back(e.Label3(i));
        controls.push_back(e.Frame3(i));
    }
    for (int i = 0; i < 27; ++i)
        controls.push_back(e.dGrid1(i));
    controls.push_back(e.Combo1());
    controls.push_back(e.picClient());
    for (QWidget* w : controls) {
        p.geometry.push_back(w ? w->geometry() : QRect());
        p.visible.push_back(w && w->isVisibleTo(&e));
    }
    p.window = e.subWindow()->size();
    p.state = e.subWindow()->windowState();
    return p;
}

class EditorPrintingTest : public editor::testing::EditorFixture {
protected:
    EditorPrintingTest() : ops(std::make_unique<testing::ScriptedPrintDialogs>()) {}
    QString pdf(const std::string& name) const { return QString::fromStdString(data.file(name)); }

    modPrintOps ops;
};

TEST_F(EditorPrintingTest, WithoutEditorsNothingIsPrintedOrAsked)
{
    openBank("A.SYX", 32, banklib::FileType::PackedSysex);
    EXPECT_FALSE(ops.PrintVoiceEditors());
    EXPECT_TRUE(ui.fileDialogsShown().empty());
    EXPECT_TRUE(ui.messagesShown().empty());
}

TEST_F(EditorPrintingTest, OnlyTheSecondListsEditorsPrintOnePageEach)
{
    openBank("A.SYX", 32, banklib::FileType::PackedSysex);
    shell::frmVoiceList* second = openBank("B.SYX", 32, banklib::FileType::PackedSysex);
    ASSERT_NE(openEditor(*second, 1), nullptr);
    ASSERT_NE(openEditor(*second, 5), nullptr);
    const std::vector<editor::frmVoiceEditor*> editors = openVoiceEditors();
    ASSERT_EQ(editors.size(), 2u);
    EXPECT_EQ(editors[0]->VoiceNo(), 1);
    EXPECT_EQ(editors[1]->VoiceNo(), 5);
    ui.answerFile(pdf("editors.pdf").toStdString());
    EXPECT_TRUE(ops.PrintVoiceEditors());
    EXPECT_EQ(testing::pdfPageCount(pdf("editors.pdf")), 2);
}

TEST_F(EditorPrintingTest, AfterPrintingEveryControlIsWhereItWas)
{
    shell::frmVoiceList* list = openBank("A.SYX", 32, banklib::FileType::PackedSysex);
    editor::frmVoiceEditor* e = openEditor(*list, 3);
    ASSERT_NE(e, nullptr);
    const ControlPlaces before = placesOf(*e);
    const Qt::WindowStates mainState = main->windowState();
    ui.answerFile(pdf("one.pdf").toStdString());
    EXPECT_TRUE(ops.PrintVoiceEditors());
    EXPECT_EQ(placesOf(*e), before);
    EXPECT_EQ(main->windowState(), mainState);
    EXPECT_EQ(testing::pdfPageCount(pdf("one.pdf")), 1);
}

TEST_F(EditorPrintingTest, TheCompactLayoutHidesTheChartsAndPutsItAllBack)
{
    shell::frmVoiceList* list = openBank("A.SYX", 32, banklib::FileType::PackedSysex);
    editor::frmVoiceEditor* e = openEditor(*list, 1);
    ASSERT_NE(e, nullptr);
    const ControlPlaces before = placesOf(*e);
    const QSize canvas = e->picClient()->size();
    {
        const CompactEditorLayout compact(*e);
        for (int i = 0; i < editor::frmVoiceEditor::kChartCount; ++i)
            EXPECT_TRUE(e->chartPlace(i)->isHidden()) << i;
        EXPECT_TRUE(e->Combo1()->isHidden());
        EXPECT_FALSE(e->dGrid1(1)->isHidden());
        EXPECT_LT(compact.picture().height(), canvas.height());
        EXPECT_LE(compact.picture().width(), canvas.width());
        EXPECT_TRUE(main->windowState() & Qt::WindowMaximized);
        // The operator panels stay three across.
        EXPECT_EQ(e->Frame3(1)->y(), e->Frame3(3)->y());
        EXPECT_LT(e->Frame3(1)->x(), e->Frame3(2)->x());
        EXPECT_LT(e->Frame3(2)->x(), e->Frame3(3)->x());
        EXPECT_GT(e->Frame3(4)->y(), e->Frame3(1)->y());
    }
    EXPECT_EQ(placesOf(*e), before);
}

TEST_F(EditorPrintingTest, AMinimisedEditorPrintsAtItsNormalSizeAndIsMinimisedAgain)
{
    shell::frmVoiceList* list = openBank("A.SYX", 32, banklib::FileType::PackedSysex);
    editor::frmVoiceEditor* e = openEditor(*list, 2);
    ASSERT_NE(e, nullptr);
    e->subWindow()->showMinimized();
    QApplication::processEvents();
    ASSERT_TRUE(e->subWindow()->isMinimized());
    const ControlPlaces before = placesOf(*e);
    bool normalWhilePrinting = false;
    {
        const CompactEditorLayout compact(*e);
        normalWhilePrinting = !e->subWindow()->isMinimized();
    }
    EXPECT_TRUE(normalWhilePrinting);
    ui.answerFile(pdf("minimised.pdf").toStdString());
    EXPECT_TRUE(ops.PrintVoiceEditors());
    EXPECT_TRUE(e->subWindow()->isMinimized());
    EXPECT_EQ(placesOf(*e), before);
    EXPECT_EQ(testing::pdfPageCount(pdf("minimised.pdf")), 1);
}

TEST_F(EditorPrintingTest, AFailingPrinterSaysSoAndLeavesTheEditorsAsTheyWere)
{
    shell::frmVoiceList* list = openBank("A.SYX", 32, banklib::FileType::PackedSysex);
    editor::frmVoiceEditor* e = openEditor(*list, 1);
    ASSERT_NE(e, nullptr);
    const ControlPlaces before = placesOf(*e);
    ui.answerFile(data.file("no/such/folder/x.pdf"));
    EXPECT_FALSE(ops.PrintVoiceEditors());
    ASSERT_FALSE(ui.messagesShown().empty());
    EXPECT_EQ(ui.messagesShown().back().title, "Print");
    EXPECT_EQ(placesOf(*e), before);
}

}  // namespace
}  // namespace printing
