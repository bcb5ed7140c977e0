// Brevane - the algorithm viewer: one of the 32 algorithm diagrams, stepped with a spin.
#include "editor/frmAlgorithms.h"

#include "editor/AlgorithmDiagram.h"
#include "editor/CellSpin.h"

#include <QGridLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace editor {
namespace {

QPointer<frmAlgorithms>& viewer()
{
    static QPointer<frmAlgorithms> instance;
    return instance;
}

}  // namespace

frmAlgorithms* frmAlgorithms::instance() { return viewer().data(); }

frmAlgorithms& frmAlgorithms::load(QMdiArea* area)
{
    if (!viewer())
        viewer() = new frmAlgorithms(area);
    return *viewer();
}

void frmAlgorithms::unloadViewer()
{
    if (frmAlgorithms* v = viewer().data()) {
        viewer() = nullptr;
        if (v->m_subWindow)
            v->m_subWindow->close();
        else
            v->close();
    }
}

frmAlgorithms::frmAlgorithms(QMdiArea* area) : m_area(area)
{
    setWindowTitle(QStringLiteral("Algorithms"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(3, 3, 3, 3);
    m_label = new QLabel(this);
    m_spin = new CellSpin(this);
    m_spin->setRange(0, 31);
    m_spin->setFixedHeight(m_label->sizeHint().height() + 6);
    m_diagram = new AlgorithmDiagram(this);
    layout->addWidget(m_label, 0, 0);
    layout->addWidget(m_spin, 0, 1, Qt::AlignRight);
    layout->addWidget(m_diagram, 1, 0, 1, 2);
    connect(m_spin, &CellSpin::valueChanged, this, &frmAlgorithms::UpDown1_Change);
    UpDown1_Change();
    if (m_area != nullptr) {
        m_subWindow = m_area->addSubWindow(this);
        m_subWindow->setAttribute(Qt::WA_DeleteOnClose);
        m_subWindow->resize(std::max(kSize, sizeHint().width() + 12), std::max(kSize, sizeHint().height() + 30));
        // Hidden on purpose: a child window not hidden so would come up with the main
        // window (shown or maximised later) and be listed in its Window menu.
        m_subWindow->hide();
    }
}

int frmAlgorithms::UpDown1() const { return m_spin->value(); }

void frmAlgorithms::setUpDown1(int value)
{
    m_spin->setValue(value);
    UpDown1_Change();
}

void frmAlgorithms::UpDown1_Change()
{
    m_diagram->setAlgorithm(m_spin->value() + 1);
    m_label->setText(QStringLiteral("Algorithm %1").arg(m_spin->value() + 1));
}

void frmAlgorithms::showViewer()
{
    if (m_subWindow) {
        m_subWindow->showNormal();
        m_subWindow->raise();
    } else {
        QWidget::showNormal();
        raise();
    }
}

}  // namespace editor
