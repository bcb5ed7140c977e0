// Brevane - printing the open voice editors, one page each.
#include "printing/EditorPrintout.h"

#include "banklib/AppState.h"
#include "banklib/VoiceListRegistry.h"
#include "editor/CellSpin.h"
#include "editor/VoiceListEditors.h"
#include "editor/frmVoiceEditor.h"
#include "platform/Latin1.h"
#include "shell/frmStartup.h"
#include "voicelist/frmVoiceList.h"

#include <QApplication>
#include <QComboBox>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QMdiSubWindow>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QScrollArea>

#include <algorithm>

namespace printing {
namespace {

constexpr double kLayoutDpi = 96.0;
constexpr int kOperatorPanels = 6;

double marginPixels(std::int32_t thousandths) { return thousandths * kLayoutDpi / 1000.0; }

}  // namespace

std::vector<editor::frmVoiceEditor*> openVoiceEditors()
{
    std::vector<editor::frmVoiceEditor*> out;
    for (banklib::VoiceListView* view : banklib::appState().colVoiceLists().lists()) {
        auto* list = dynamic_cast<shell::frmVoiceList*>(view);
        if (list == nullptr)
            continue;
        editor::VoiceListEditors* editors = editor::VoiceListEditors::find(*list);
        if (editors == nullptr)
            continue;
        for (editor::frmVoiceEditor* e : editors->Editors().editors())
            if (e != nullptr && !e->unloaded())
                out.push_back(e);
    }
    return out;
}

void CompactEditorLayout::keep(QWidget* w)
{
    if (w != nullptr)
        m_saved.push_back({w, w->isHidden(), w->minimumSize(), w->maximumSize()});
}

CompactEditorLayout::CompactEditorLayout(editor::frmVoiceEditor& e) : m_editor(e)
{
    // The charts (and the zoom boxes that go with them) and the algorithm box go.
    for (int i = 0; i < editor::frmVoiceEditor::kChartCount; ++i)
        keep(e.chartPlace(i));
    for (int i = 0; i <= kOperatorPanels; ++i)
        if (e.UpDown2(i) != nullptr)
            keep(e.UpDown2(i)->parentWidget());
    keep(e.Combo1());
    for (const Saved& s : m_saved)
        s.widget->hide();
    // The panels and the canvas change size.
    for (int i = 0; i <= kOperatorPanels; ++i)
        keep(e.Frame3(i));
    keep(e.picClient());

    // The windows: the main window maximised, the editor at its normal size.
    shell::frmStartup* main = shell::frmStartup::instance();
    m_mainState = main != nullptr ? main->windowState() : Qt::WindowNoState;
    if (main != nullptr)
        main->setWindowState((main->windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
    QWidget* window = e.subWindow() != nullptr ? static_cast<QWidget*>(e.subWindow()) : &e;
    m_editorState = window->windowState();
    m_editorSize = window->size();
    if (window->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))
        window->showNormal();

    // The operator panels shrink to their grids, alike; the non-operator panel spans them.
    QSize panel;
    for (int op = 1; op <= kOperatorPanels; ++op) {
        QFrame* f = e.Frame3(op);
        f->setMinimumSize(0, 0);
        f->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        panel = panel.expandedTo(f->layout()->sizeHint());
    }
    for (int op = 1; op <= kOperatorPanels; ++op)
        e.Frame3(op)->setFixedSize(panel);
    QFrame* nonOperator = e.Frame3(0);
    nonOperator->setMinimumSize(0, 0);
    nonOperator->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    const int spacing = e.picClient()->layout()->spacing();
    QSize wide = nonOperator->layout()->sizeHint();
    wide.setWidth(std::max(wide.width(), 3 * panel.width() + 2 * spacing));
    nonOperator->setFixedSize(wide);
    QWidget* canvas = e.picClient();
    canvas->setMinimumSize(0, 0);
    canvas->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    canvas->layout()->invalidate();
    canvas->setFixedSize(canvas->layout()->sizeHint());
    canvas->layout()->activate();
    // The editor's window fitted to the layout.
    window->resize(window->size() - e.scrollArea()->viewport()->size() + canvas->size());
}

CompactEditorLayout::~CompactEditorLayout()
{
    for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
        it->widget->setMinimumSize(it->minimum);
        it->widget->setMaximumSize(it->maximum);
        it->widget->setHidden(it->hidden);
    }
    if (QLayout* layout = m_editor.picClient()->layout())
        layout->activate();
    QWidget* window = m_editor.subWindow() != nullptr ? static_cast<QWidget*>(m_editor.subWindow()) : &m_editor;
    if (!(m_editorState & (Qt::WindowMinimized | Qt::WindowMaximized)))
        window->resize(m_editorSize);
    window->setWindowState(m_editorState);
    if (!(m_editorState & (Qt::WindowMinimized | Qt::WindowMaximized)))
        window->resize(m_editorSize);
    if (shell::frmStartup* main = shell::frmStartup::instance())
        main->setWindowState(m_mainState);
}

QWidget& CompactEditorLayout::picture() const { return *m_editor.picClient(); }

void drawEditorPage(QPainter& painter, editor::frmVoiceEditor& e, const PaperGeometry& paper)
{
    const CompactEditorLayout compact(e);
    QWidget& picture = compact.picture();

    // Paper measures are in layout pixels; the painter draws in the device's own.
    const double k = painter.device()->logicalDpiX() / kLayoutDpi;
    const double left = marginPixels(paper.margins.left) * k;
    const double top = marginPixels(paper.margins.top) * k;
    const double width = std::max(1.0, paper.width * k - left - marginPixels(paper.margins.right) * k);
    const double height = std::max(1.0, paper.height * k - top - marginPixels(paper.margins.bottom) * k);

    // The caption is set in points, which the device turns into its own pixels: it is
    // drawn unscaled.
    QFont captionFont = picture.font();
    captionFont.setBold(true);
    captionFont.setPointSizeF(QFontInfo(picture.font()).pointSizeF() * 1.5);
    const double captionHeight = QFontMetricsF(captionFont, painter.device()).height() * 1.5;
    painter.save();
    painter.setFont(captionFont);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(left, top, width, captionHeight), Qt::AlignLeft | Qt::AlignVCenter,
                     platform::fromBytes(e.caption()));
    painter.restore();

    // The editor paints at the screen's resolution: scaled to the device, then to fit.
    const double scale = std::min(width / std::max(1, picture.width()),
                                  std::max(1.0, height - captionHeight) / std::max(1, picture.height()));
    painter.save();
    painter.translate(left, top + captionHeight);
    painter.scale(scale, scale);
    picture.render(&painter, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
    painter.restore();
}

bool drawEditorPages(const std::vector<editor::frmVoiceEditor*>& editors, QPagedPaintDevice& device,
                     const PaperGeometry& paper, QString* error)
{
    QPainter painter;
    if (!painter.begin(&device)) {
        if (error)
            *error = QStringLiteral("The printer could not be started.");
        return false;
    }
    bool first = true;
    for (editor::frmVoiceEditor* e : editors) {
        if (!first && !device.newPage()) {
            painter.end();
            if (error)
                *error = QStringLiteral("The printer did not take a new page.");
            return false;
        }
        first = false;
        drawEditorPage(painter, *e, paper);
    }
    if (!painter.end()) {
        if (error)
            *error = QStringLiteral("The printer could not finish the job.");
        return false;
    }
    return true;
}

}  // namespace printing
