// Brevane - the pattern entry of one group of the grouping dialog.
#include "catalogue/GroupPatternEdit.h"

#include "platform/Latin1.h"
#include "platform/VbText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>

namespace shell {
namespace {

// The grey of a group that is not in use (&HC0C0C0).
const QColor kUnusedText(0xC0, 0xC0, 0xC0);

std::string padded(const QLineEdit* field)
{
    std::string s = platform::toBytes(field->text()).substr(0, GroupPatternEdit::kPatternLength);
    s.resize(GroupPatternEdit::kPatternLength, ' ');
    return s;
}

}  // namespace

GroupPatternEdit::GroupPatternEdit(QWidget* parent) : QWidget(parent)
{
    m_first = new QLineEdit(this);
    m_first->setObjectName(QStringLiteral("Pattern1"));
    m_first->setMaxLength(kPatternLength);
    m_or = new QLabel(QStringLiteral("OR"), this);
    m_second = new QLineEdit(this);
    m_second->setObjectName(QStringLiteral("Pattern2"));
    m_second->setMaxLength(kPatternLength);
    const int width = m_first->fontMetrics().horizontalAdvance(QString(kPatternLength + 2, QLatin1Char('W')));
    m_first->setMinimumWidth(width);
    m_second->setMinimumWidth(width);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_first);
    layout->addWidget(m_or);
    layout->addWidget(m_second);
}

std::string GroupPatternEdit::text() const { return padded(m_first) + " OR " + padded(m_second); }

void GroupPatternEdit::setText(const std::string& text)
{
    setPatterns(platform::RTrim(platform::Mid(text, 1, kPatternLength)),
                platform::RTrim(platform::Mid(text, kSecondStart, kPatternLength)));
}

void GroupPatternEdit::setPatterns(const std::string& first, const std::string& second)
{
    m_first->setText(platform::fromBytes(first.substr(0, kPatternLength)));
    m_second->setText(platform::fromBytes(second.substr(0, kPatternLength)));
}

void GroupPatternEdit::setGroupEnabled(bool enabled)
{
    setEnabled(enabled);
    for (QLineEdit* field : {m_first, m_second}) {
        QPalette p = field->palette();
        const QColor colour = enabled ? palette().color(QPalette::Active, QPalette::WindowText) : kUnusedText;
        p.setColor(QPalette::Active, QPalette::Text, colour);
        p.setColor(QPalette::Inactive, QPalette::Text, colour);
        p.setColor(QPalette::Disabled, QPalette::Text, colour);
        field->setPalette(p);
    }
}

}  // namespace shell
