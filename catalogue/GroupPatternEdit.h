// Brevane - the pattern entry of one group of the grouping dialog.
//
// Two fields of up to 10 characters with " OR " between them. Its text has the fixed
// layout of the entry's mask: characters 1-10 the first pattern, 11-14 " OR ", 15-24
// the second pattern, each pattern padded with blanks. Patterns are name patterns
// ("*BASS*", "STR*"); the grouping engine checks them.
#pragma once

#include <QWidget>

#include <string>

class QLabel;
class QLineEdit;

namespace shell {

class GroupPatternEdit final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPatternLength = 10;
    // Length of the whole text: two patterns and the literal " OR ".
    static constexpr int kTextLength = 24;
    // 1-based position of the second pattern in the text.
    static constexpr int kSecondStart = 15;

    explicit GroupPatternEdit(QWidget* parent = nullptr);

    // The 24-character text (bytes, Latin-1).
    [[nodiscard]] std::string text() const;
    // Sets both fields from a text of that layout; a shorter text fills what it reaches.
    void setText(const std::string& text);
    void setPatterns(const std::string& first, const std::string& second);

    // Enabled: the fields show their text in the window-text colour; disabled: grey.
    void setGroupEnabled(bool enabled);

    [[nodiscard]] QLineEdit* firstField() const { return m_first; }
    [[nodiscard]] QLineEdit* secondField() const { return m_second; }

private:
    QLineEdit* m_first = nullptr;
    QLabel* m_or = nullptr;
    QLineEdit* m_second = nullptr;
};

}  // namespace shell
