// File > Print Voice Data: every open editor on a page of its own, in list order, and
// every editor exactly as it was afterwards, whether the printing worked or not.
#include "../editor/EditorTestSupport.h"
#include "PrintingTestSupport.h"

#include "platform/Latin1.h"
#include "printing/EditorPrintout.h"
#include "printing/PagePrinter.h"
#include "printing/modPrintOps.h"

#include <QComboBox>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPainter>
#include <QShortcutEvent>
#include <QTableView>
#include <QTest>
#include <QTextEdit>

#include <algorithm>

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

// Catches every shortcut a key reaches before it runs anything, and says whether Qt found
// two commands for it (and so ran neither).
class ShortcutCatcher final : public QObject {
public:
    ShortcutCatcher() { qApp->installEventFilter(this); }
    ~ShortcutCatcher() override { qApp->removeEventFilter(this); }
    std::vector<std::string> ambiguous;
    int caught = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::Shortcut)
            return false;
        ++caught;
        const auto* shortcut = static_cast<QShortcutEvent*>(event);
        if (shortcut->isAmbiguous())
            ambiguous.push_back(shortcut->key().toString().toStdString());
        return true;
    }
};

// Every key the program's windows bind (menu and toolbar commands, the preview's menu, the
// menu titles' Alt keys) is pressed for real with the focus in the print preview, in a
// voice editor and in a voice list: each reaches one command at most.
TEST_F(EditorPrintingTest, NoKeyReachesTwoCommandsWhereverTheFocusIs)
{
    shell::frmVoiceList* list = openBank("A.SYX", 32, banklib::FileType::PackedSysex);
    ASSERT_NE(list, nullptr);
    editor::frmVoiceEditor* e = openEditor(*list, 1);
    ASSERT_NE(e, nullptr);
    ops.showPreview();
    ASSERT_TRUE(ops.preview());

    std::vector<QKeyCombination> keys;
    auto add = [&keys](const QKeySequence& k) {
        if (k.count() == 1 && std::find(keys.begin(), keys.end(), k[0]) == keys.end())
            keys.push_back(k[0]);
    };
    for (QWidget* window : QApplication::topLevelWidgets()) {
        for (QAction* a : window->findChildren<QAction*>())
            for (const QKeySequence& k : a->shortcuts())
                add(k);
        for (QMenuBar* bar : window->findChildren<QMenuBar*>())
            for (QAction* title : bar->actions())
                add(QKeySequence::mnemonic(title->text()));
    }
    ASSERT_GT(keys.size(), 30u);

    ShortcutCatcher catcher;
    struct Place {
        const char* what;
        QWidget* focus;
    };
    for (const Place& place : {Place{"the print preview", ops.preview()->RichTextBox1()},
                               Place{"a voice editor", e->dGrid1(0)}, Place{"a voice list", list->List1()}}) {
        SCOPED_TRACE(place.what);
        QApplication::setActiveWindow(place.focus->window());
        if (place.focus->window() == main.get())
            main->mdiArea()->setActiveSubWindow(place.what == std::string("a voice editor") ? e->subWindow()
                                                                                            : list->subWindow());
        place.focus->setFocus();
        catcher.ambiguous.clear();
        catcher.caught = 0;
        for (const QKeyCombination key : keys)
            QTest::keyClick(QApplication::focusWidget(), key.key(), key.keyboardModifiers());
        EXPECT_GT(catcher.caught, 0);
        EXPECT_TRUE(catcher.ambiguous.empty()) << ::testing::PrintToString(catcher.ambiguous);
    }
}

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

TEST_F(EditorPrintingTest, TheCaptionPrintsWholeAtItsOwnSizeOnAPrinterPage)
{
    shell::frmVoiceList* list = openBank("A.SYX", 32, banklib::FileType::PackedSysex);
    editor::frmVoiceEditor* e = openEditor(*list, 1);
    ASSERT_NE(e, nullptr);
    const QString caption = platform::fromBytes(e->caption());
    ASSERT_FALSE(caption.trimmed().isEmpty());

    // The top of a 600-dpi page: the margin, the caption and an inch of the editor below it.
    constexpr int kDpi = 600;
    const PaperGeometry paper = paperGeometry(ops.metrics(), ops.margins());
    const int marginRows = paper.margins.top * kDpi / 1000;
    QImage page(static_cast<int>(paper.width * kDpi / 96), marginRows + kDpi, QImage::Format_RGB32);
    page.setDotsPerMeterX(qRound(kDpi / 0.0254));
    page.setDotsPerMeterY(qRound(kDpi / 0.0254));
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        drawEditorPage(painter, *e, paper);
    }

    // The caption is the first band of rows with ink; a white row parts it from the editor.
    auto inkOf = [&page](int y) {
        std::pair<int, int> span{-1, -1};
        const auto* row = reinterpret_cast<const QRgb*>(page.constScanLine(y));
        for (int x = 0; x < page.width(); ++x)
            if (qGray(row[x]) < 160) {
                if (span.first < 0)
                    span.first = x;
                span.second = x;
            }
        return span;
    };
    int y = 0;
    while (y < page.height() && inkOf(y).first < 0)
        ++y;
    QRect ink;
    for (std::pair<int, int> span; y < page.height() && (span = inkOf(y)).first >= 0; ++y)
        ink |= QRect(QPoint(span.first, y), QPoint(span.second, y));
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_LT(y, page.height());

    QFont font = e->picClient()->font();
    font.setBold(true);
    font.setPointSizeF(QFontInfo(e->picClient()->font()).pointSizeF() * 1.5);
    const QFontMetricsF metrics(font, &page);
    const QRectF expected = metrics.tightBoundingRect(caption);
    // Below the margin with room above it, and as tall and as wide as the text set in its font.
    EXPECT_GT(ink.top(), marginRows + metrics.height() / 10);
    EXPECT_NEAR(ink.height(), expected.height(), expected.height() / 10);
    EXPECT_NEAR(ink.width(), expected.width(), expected.width() / 10);
    EXPECT_NEAR(ink.left(), paper.margins.left * kDpi / 1000.0 + expected.left(), metrics.height() / 4);
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
