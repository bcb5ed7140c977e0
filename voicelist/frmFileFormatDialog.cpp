// Brevane - the "Save File" layout dialog.
#include "voicelist/frmFileFormatDialog.h"

#include "banklib/AppState.h"
#include "shell/ShellHelpers.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace shell {
namespace {

// Captions by layout, shown from layout 3 down to layout 0.
constexpr const char* kCaptions[4] = {
    "Unpacked voice data without header/footer - 155 bytes per voice (default)",
    "Unpacked voice data with a header/footer for each voice - 163 bytes per voice ",
    "Packed voice data without header/footer - 128 bytes per voice ",
    "Packed voice data with header/footer - 128 bytes per voice -4104 bytes per 32 Voice bulk dump",
};

}  // namespace

frmFileFormatDialog::frmFileFormatDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmFileFormatDialog"));
    setWindowTitle(QStringLiteral("Save File"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(QStringLiteral("Choose a format to apply when saving the file"), this);
    layout->addWidget(label);
    for (int index = 3; index >= 0; --index) {
        auto* option = new QRadioButton(QString::fromLatin1(kCaptions[index]), this);
        option->setObjectName(QStringLiteral("Option1_%1").arg(index));
        connect(option, &QRadioButton::clicked, this, [this, index] { Option1_Click(index); });
        m_option1[static_cast<std::size_t>(index)] = option;
        layout->addWidget(option);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("OKButton"));
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("CancelButton"));
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);
    connect(m_ok, &QPushButton::clicked, this, &frmFileFormatDialog::OKButton_Click);
    connect(m_cancel, &QPushButton::clicked, this, &frmFileFormatDialog::CancelButton_Click);
    Form_Load();
}

void frmFileFormatDialog::Form_Load()
{
    RefreshWindowFrame(this);
    CancelFlag = false;
    m_formatOnLoad = banklib::appState().SaveFileFormat();
}

QRadioButton* frmFileFormatDialog::Option1(int index) const
{
    return index >= 0 && index <= 3 ? m_option1[static_cast<std::size_t>(index)] : nullptr;
}

void frmFileFormatDialog::Option1_Click(int index)
{
    if (!m_restoring)
        banklib::appState().setSaveFileFormat(index);
}

void frmFileFormatDialog::selectLayout(banklib::FileType type)
{
    const int index = banklib::toCode(type);
    if (QRadioButton* option = Option1(index)) {
        option->setChecked(true);
        Option1_Click(index);
    }
}

void frmFileFormatDialog::OKButton_Click() { accept(); }

void frmFileFormatDialog::CancelButton_Click()
{
    CancelFlag = true;
    m_restoring = true;
    if (QRadioButton* option = Option1(m_formatOnLoad))
        option->setChecked(true);
    m_restoring = false;
    reject();
}

std::optional<banklib::FileType> frmFileFormatDialog::choose(banklib::FileType current, QWidget* parent)
{
    frmFileFormatDialog dialog(parent);
    dialog.selectLayout(current);
    const int result = dialog.exec();
    if (result != QDialog::Accepted || dialog.CancelFlag)
        return std::nullopt;
    const std::int32_t chosen = banklib::appState().SaveFileFormat();
    if (chosen < 0 || chosen > 3)
        return std::nullopt;
    return static_cast<banklib::FileType>(chosen);
}

}  // namespace shell
