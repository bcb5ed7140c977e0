// Brevane - the bytes of one MIDI message as the System Exclusive editor shows them.
//
// The editor (frmEditSysex) shows a message 16 bytes to a row, each byte as a decimal
// number 0 to 255, beside a column giving the offset of the row's first byte. This class
// keeps the bytes and decides what may be typed where: a whole number 0 to 255 (0 to
// 127 in voice data, and between F0h and the F7h that ends a System Exclusive message),
// over a byte or right after the last one. An emptied cell truncates the message there.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace midi {

// Answers of ValidateSysexMessage. The values are pinned.
enum class SysexCheck : std::int16_t {
    Accept = 0,  // the message passed, or the user chose to keep it as it is
    Revise = 1,  // back to editing
    Cancel = 2,  // abandon the edit (also for an empty message)
};

// Checks an edited message, asking the user about one that looks wrong: 1 to 3 bytes need
// a channel status byte (128-239), 4 to 6 bytes must be a whole System Exclusive message
// (F0h ... F7h), 7 bytes a parameter change (240 ... 247); longer ones pass.
[[nodiscard]] SysexCheck ValidateSysexMessage(std::span<const std::uint8_t> message);

class clsHexEditor {
public:
    static constexpr int kBytesPerRow = 16;
    // Grid columns: 0 the offset ("Byte"), 1 to 16 the bytes.
    static constexpr int kColumns = kBytesPerRow + 1;

    // Result of typing into a cell.
    enum class CellEdit : int {
        Accepted = 0,
        Refused = 1,   // not a number the cell can take: reason() says why
        Truncate = 2,  // the cell was emptied: the caller asks, then calls truncateAt
    };

    // Shows message (one character per byte); voiceData: every byte stays below 128.
    void InitHexGrid(std::string_view message, bool voiceData = false);

    [[nodiscard]] const std::vector<std::uint8_t>& bytes() const { return m_bytes; }
    [[nodiscard]] std::size_t size() const { return m_bytes.size(); }
    // Rows: every byte, and room for one more after the last.
    [[nodiscard]] int rowCount() const;
    // Text of a cell: the row's first offset in column 0, a byte in columns 1-16, ""
    // past the end.
    [[nodiscard]] std::string cellText(int row, int column) const;
    // The offset a cell stands for (row * 16 + column - 1); -1 for column 0.
    [[nodiscard]] static std::int64_t offsetOf(int row, int column);
    // Whether a cell can be typed into: a byte, or the place right after the last.
    [[nodiscard]] bool editable(int row, int column) const;

    // Typing text into a cell.
    [[nodiscard]] CellEdit setCell(int row, int column, std::string_view text);
    [[nodiscard]] const std::string& reason() const { return m_reason; }
    // Keeps the bytes before offset.
    void truncateAt(std::int64_t offset);

    // The result of the confirm button: the message is checked (ValidateSysexMessage);
    // Accept gives the bytes in message.
    [[nodiscard]] SysexCheck UpdateRecordset(std::string& message) const;

    // A whole number 0-255 written in decimal digits (blanks around it allowed), or -1.
    [[nodiscard]] static int parseByte(std::string_view text);

private:
    [[nodiscard]] bool insideSysex(std::size_t offset) const;

    std::vector<std::uint8_t> m_bytes;
    bool m_voiceData = false;
    std::string m_reason;
};

}  // namespace midi
