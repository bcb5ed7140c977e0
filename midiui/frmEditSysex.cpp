// Brevane - the System Exclusive editor.
#include "midiui/frmEditSysex.h"

#include "midiui/HexGridModel.h"
#include "midiui/MidiDialogPlacement.h"
#include "platform/StatusHelpers.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace shell {
namespace {

constexpr int kByteColumnWidth = 60;
constexpr int kCellWidth = 40;
constexpr int kVisibleRows = 14;

}  // namespace

frmEditSysex::frmEditSysex(std::string message, bool voiceData, QWidget* parent)
    : CancelOnCloseDialog(parent), m_message(std::move(message))
{
    setObjectName(QStringLiteral("frmEditSysex"));
    setWindowTitle(QStringLiteral("Edit Sysex"));
    setModal(true);
    m_editor.InitHexGrid(m_message, voiceData);
    m_model = new HexGridModel(m_editor, this);
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("DataGrid1"));
    m_grid->setModel(m_model);
    QFont bold = m_grid->font();
    bold.setBold(true);
    m_grid->setFont(bold);
    m_grid->horizontalHeader()->setFont(bold);
    m_grid->verticalHeader()->hide();
    // Rows of one height, so that a message of a megabyte opens at once.
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->setColumnWidth(0, kByteColumnWidth);
    for (int c = 1; c < midi::clsHexEditor::kColumns; ++c)
        m_grid->setColumnWidth(c, kCellWidth);
    m_grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed);
    LoadHexGrid();
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] { LoadHexGrid(); });
    connect(m_model, &QAbstractItemModel::headerDataChanged, this, [this] { LoadHexGrid(); });

    const char* captions[2] = {"&OK", "Cancel"};
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (int i = 0; i < 2; ++i) {
        auto* b = new QPushButton(QString::fromLatin1(captions[i]), this);
        b->setObjectName(QStringLiteral("Command1_%1").arg(i));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
        m_command1[static_cast<std::size_t>(i)] = b;
        row->addWidget(b);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_grid);
    layout->addLayout(row);
    const int width = kByteColumnWidth + (midi::clsHexEditor::kColumns - 1) * kCellWidth + 30;
    m_grid->setMinimumSize(width, m_grid->verticalHeader()->defaultSectionSize() * kVisibleRows);
    centreOverMainWindow(*this, parent);
}

void frmEditSysex::LoadHexGrid()
{
    // A message shorter than a row shows its bytes and the cell after them.
    const std::size_t shown = m_editor.size() + 1;
    for (int c = 1; c < midi::clsHexEditor::kColumns; ++c)
        m_grid->setColumnHidden(c, m_editor.size() < midi::clsHexEditor::kBytesPerRow &&
                                       static_cast<std::size_t>(c) > shown);
}

void frmEditSysex::Command1_Click(int index)
{
    if (index == 0) {
        std::string edited;
        switch (m_editor.UpdateRecordset(edited)) {
        case midi::SysexCheck::Revise: return;
        case midi::SysexCheck::Cancel: m_result = m_message; break;
        case midi::SysexCheck::Accept: m_result = std::move(edited); break;
        }
        done(QDialog::Accepted);
        return;
    }
    m_result = m_message;
    done(QDialog::Rejected);
}

std::optional<std::string> frmEditSysex::edit(const std::string& message, bool voiceData, QWidget* parent)
{
    if (message.empty())
        return std::nullopt;
    frmEditSysex dialog(message, voiceData, parent);
    dialog.exec();
    platform::SetBusyCursor(false);
    if (dialog.editedMessage() == message || dialog.editedMessage().empty())
        return std::nullopt;
    return dialog.editedMessage();
}

}  // namespace shell
