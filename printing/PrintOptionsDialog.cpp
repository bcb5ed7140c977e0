// Brevane - the print options dialog.
#include "printing/PrintOptionsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace printing {

PrintOptionsDialog::PrintOptionsDialog(PrintChoices& choices, QWidget* parent) : QDialog(parent), m_choices(choices)
{
    setObjectName(QStringLiteral("PrintOptionsDialog"));
    setWindowTitle(QStringLiteral("Print"));

    m_kind = new QComboBox(this);
    m_kind->setObjectName(QStringLiteral("Combo1600"));
    for (const std::string& k : m_choices.kinds())
        m_kind->addItem(QString::fromStdString(k));
    m_selected = new QCheckBox(QStringLiteral("&Selected voices only"), this);
    m_selected->setObjectName(QStringLiteral("Check1003"));
    m_omit = new QCheckBox(QStringLiteral("&Leave out the BANK/PATCH line"), this);
    m_omit->setObjectName(QStringLiteral("Check1004"));

    auto* range = new QGroupBox(QStringLiteral("Print range"), this);
    m_all = new QRadioButton(QStringLiteral("&All banks"), range);
    m_selection = new QRadioButton(QStringLiteral("The bank &shown"), range);
    m_pages = new QRadioButton(QStringLiteral("&Banks"), range);
    m_from = new QSpinBox(range);
    m_to = new QSpinBox(range);
    for (QSpinBox* box : {m_from, m_to})
        box->setRange(1, m_choices.bankCount());
    auto* pagesRow = new QHBoxLayout;
    pagesRow->addWidget(m_pages);
    pagesRow->addWidget(new QLabel(QStringLiteral("from"), range));
    pagesRow->addWidget(m_from);
    pagesRow->addWidget(new QLabel(QStringLiteral("to"), range));
    pagesRow->addWidget(m_to);
    pagesRow->addStretch();
    auto* rangeLayout = new QVBoxLayout(range);
    rangeLayout->addWidget(m_all);
    rangeLayout->addWidget(m_selection);
    rangeLayout->addLayout(pagesRow);

    m_toFile = new QCheckBox(QStringLiteral("Print to &file"), this);

    auto* buttons = new QDialogButtonBox(this);
    m_preview = buttons->addButton(QStringLiteral("Pre&view"), QDialogButtonBox::ActionRole);
    m_print = buttons->addButton(QStringLiteral("&Print..."), QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    m_print->setDefault(true);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Print &what:"), m_kind);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_selected);
    layout->addWidget(m_omit);
    layout->addWidget(range);
    layout->addWidget(m_toFile);
    layout->addWidget(buttons);

    showChoices();

    connect(m_kind, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (m_showing)
            return;
        m_choices.chooseKind(index);
        showChoices();
    });
    connect(m_selected, &QCheckBox::toggled, this, [this](bool on) {
        if (m_showing)
            return;
        m_choices.setSelectedOnly(on);
        showChoices();
    });
    connect(m_omit, &QCheckBox::toggled, this, [this](bool on) {
        if (!m_showing)
            m_choices.setOmitBankLine(on);
    });
    connect(m_all, &QRadioButton::toggled, this, [this](bool on) {
        if (on && !m_showing)
            m_choices.setRange(BankRange::All);
    });
    connect(m_selection, &QRadioButton::toggled, this, [this](bool on) {
        if (on && !m_showing)
            m_choices.setRange(BankRange::Selection);
    });
    connect(m_pages, &QRadioButton::toggled, this, [this](bool on) {
        if (on && !m_showing)
            m_choices.setRange(BankRange::Pages);
    });
    connect(m_from, &QSpinBox::valueChanged, this, [this](int v) {
        if (!m_showing)
            m_choices.setFromBank(v);
    });
    connect(m_to, &QSpinBox::valueChanged, this, [this](int v) {
        if (!m_showing)
            m_choices.setToBank(v);
    });
    connect(m_toFile, &QCheckBox::toggled, this, [this](bool on) { m_choices.setPrintToFile(on); });
    connect(m_preview, &QPushButton::clicked, this, [this] {
        m_choices.pressPreview();
        accept();
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void PrintOptionsDialog::showChoices()
{
    m_showing = true;
    m_kind->setCurrentIndex(m_choices.kindIndex());
    m_selected->setChecked(m_choices.selectedOnlyChecked());
    m_omit->setChecked(m_choices.omitBankLineChecked());
    const bool boxesChange = m_selected->isHidden() == m_choices.dataOptionsVisible();
    m_selected->setVisible(m_choices.dataOptionsVisible());
    m_omit->setVisible(m_choices.dataOptionsVisible());
    for (QWidget* w : std::initializer_list<QWidget*>{m_all, m_selection, m_pages, m_from, m_to})
        w->setEnabled(m_choices.rangeEnabled());
    m_all->setChecked(m_choices.range() == BankRange::All);
    m_selection->setChecked(m_choices.range() == BankRange::Selection);
    m_pages->setChecked(m_choices.range() == BankRange::Pages);
    m_from->setValue(m_choices.fromBank());
    m_to->setValue(m_choices.toBank());
    m_toFile->setChecked(m_choices.printToFile());
    m_showing = false;
    // The dialog grows for the two boxes and shrinks back when they go, keeping its width.
    if (boxesChange && isVisible()) {
        layout()->activate();
        resize(width(), sizeHint().height());
    }
}

}  // namespace printing
