// Brevane - the bytes of one MIDI message as the System Exclusive editor shows them.
#include "midi/clsHexEditor.h"

#include "platform/Services.h"
#include "platform/StatusHelpers.h"

#include <algorithm>

namespace midi {
namespace {

constexpr std::uint8_t kSysexStart = 0xF0;
constexpr std::uint8_t kSysexEnd = 0xF7;
constexpr int kHighestByte = 255;
constexpr int kHighestDataByte = 127;
constexpr int kLowestChannelStatus = 128;
constexpr int kHighestChannelStatus = 239;
// Yes/No/Cancel with the information icon.
constexpr int kQuestionStyle = platform::MsgStyle::YesNoCancel + platform::MsgStyle::Information;

SysexCheck ask(const std::string& text, const std::string& title)
{
    switch (platform::messages().messageBox(text, kQuestionStyle, title)) {
    case platform::MsgAnswer::Yes: return SysexCheck::Revise;
    case platform::MsgAnswer::No: return SysexCheck::Accept;
    default: return SysexCheck::Cancel;
    }
}

}  // namespace

SysexCheck ValidateSysexMessage(std::span<const std::uint8_t> message)
{
    const std::size_t n = message.size();
    if (n == 0)
        return SysexCheck::Cancel;
    const std::string again = "Do you want to correct this and continue editing ?";
    if (n <= 3) {
        if (message[0] >= kLowestChannelStatus && message[0] <= kHighestChannelStatus)
            return SysexCheck::Accept;
        return ask("This message appears to be a Channel Information Message but the status byte is invalid." + again,
                   "Invalid status byte");
    }
    if (n <= 6) {
        // A whole System Exclusive message of this size is a valid one (a dump request).
        if (message[0] == kSysexStart && message[n - 1] == kSysexEnd)
            return SysexCheck::Accept;
        return ask("This message is invalid." + again, "Invalid Message Length");
    }
    if (n == 7) {
        if (message[0] == kSysexStart && message[6] == kSysexEnd)
            return SysexCheck::Accept;
        return ask("This parameter change message is invalid - messages must begin with 240 and end with 247.\r\n" +
                       again,
                   "Invalid Parameter Message");
    }
    return SysexCheck::Accept;
}

void clsHexEditor::InitHexGrid(std::string_view message, bool voiceData)
{
    if (message.empty())
        return;
    platform::SetBusyCursor(true);
    platform::ShowStatusMessage("Please wait - Initialising Sysex Editor (0 of " + std::to_string(message.size()) +
                                ")");
    m_bytes.assign(message.begin(), message.end());
    m_voiceData = voiceData;
    platform::ShowStatusMessage("", 0, 1);
    platform::SetBusyCursor(false);
}

int clsHexEditor::rowCount() const { return static_cast<int>(m_bytes.size() / kBytesPerRow) + 1; }

std::int64_t clsHexEditor::offsetOf(int row, int column)
{
    if (column < 1 || column > kBytesPerRow || row < 0)
        return -1;
    return static_cast<std::int64_t>(row) * kBytesPerRow + column - 1;
}

std::string clsHexEditor::cellText(int row, int column) const
{
    if (row < 0 || row >= rowCount())
        return {};
    if (column == 0)
        return std::to_string(static_cast<std::int64_t>(row) * kBytesPerRow);
    const std::int64_t offset = offsetOf(row, column);
    if (offset < 0 || offset >= static_cast<std::int64_t>(m_bytes.size()))
        return {};
    return std::to_string(m_bytes[static_cast<std::size_t>(offset)]);
}

bool clsHexEditor::editable(int row, int column) const
{
    const std::int64_t offset = offsetOf(row, column);
    return offset >= 0 && offset <= static_cast<std::int64_t>(m_bytes.size());
}

int clsHexEditor::parseByte(std::string_view text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return -1;
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    if (text.size() > 3)
        return -1;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value <= kHighestByte ? value : -1;
}

bool clsHexEditor::insideSysex(std::size_t offset) const
{
    // Inside when an F0h comes before the offset and no F7h closes it before the offset.
    for (std::size_t i = std::min(offset, m_bytes.size()); i-- > 0;) {
        if (m_bytes[i] == kSysexEnd)
            return false;
        if (m_bytes[i] == kSysexStart)
            return true;
    }
    return false;
}

clsHexEditor::CellEdit clsHexEditor::setCell(int row, int column, std::string_view text)
{
    m_reason.clear();
    if (!editable(row, column)) {
        m_reason = "Bytes can be typed over the message or right after its last byte.";
        return CellEdit::Refused;
    }
    const auto offset = static_cast<std::size_t>(offsetOf(row, column));
    if (text.find_first_not_of(' ') == std::string_view::npos)
        return offset < m_bytes.size() ? CellEdit::Truncate : CellEdit::Refused;
    const int value = parseByte(text);
    if (value < 0) {
        m_reason = "Please type a whole number from 0 to 255.";
        return CellEdit::Refused;
    }
    if (value > kHighestDataByte) {
        if (m_voiceData) {
            m_reason = "Voice data bytes are whole numbers from 0 to 127.";
            return CellEdit::Refused;
        }
        if (value != kSysexEnd && insideSysex(offset)) {
            m_reason = "The bytes inside a System Exclusive message are whole numbers from 0 to 127 (247 ends it).";
            return CellEdit::Refused;
        }
    }
    if (offset == m_bytes.size())
        m_bytes.push_back(static_cast<std::uint8_t>(value));
    else
        m_bytes[offset] = static_cast<std::uint8_t>(value);
    return CellEdit::Accepted;
}

void clsHexEditor::truncateAt(std::int64_t offset)
{
    if (offset >= 0 && offset < static_cast<std::int64_t>(m_bytes.size()))
        m_bytes.resize(static_cast<std::size_t>(offset));
}

SysexCheck clsHexEditor::UpdateRecordset(std::string& message) const
{
    const SysexCheck check = ValidateSysexMessage(m_bytes);
    if (check == SysexCheck::Accept)
        message.assign(m_bytes.begin(), m_bytes.end());
    return check;
}

}  // namespace midi
