// Brevane - byte strings to and from Qt text.
//
// Texts below the windows (voice names, file names, messages) are byte strings with one
// character per byte. The windows show them as Latin-1, so every byte 0x00-0xFF stands
// for the character of the same code and a byte string survives the way there and back.
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace platform {

// Each byte becomes the character of the same code (0x80-0xFF included).
[[nodiscard]] QString fromBytes(std::string_view bytes);
[[nodiscard]] QString fromBytes(const std::string& bytes);
[[nodiscard]] QString fromBytes(const char* bytes);  // up to the first byte 0
// A text that may hold a file name (a message, a status text, a caption): file names come
// from the file system in UTF-8, so bytes that are valid UTF-8 are read as such; any other
// text (a voice name with a byte above 0x7F, say) is read byte by byte as above.
[[nodiscard]] QString fromText(std::string_view bytes);
// A text typed for a field that holds a file name, or a name taken from one: UTF-8, as the
// file system and fromText take it, cut to at most maxBytes as cutText cuts.
[[nodiscard]] std::string toText(const QString& text, std::size_t maxBytes = std::string::npos);
// A byte string cut to at most maxBytes. One in UTF-8 is cut before the letter that would
// be split, so that what is left still reads as the same letters.
[[nodiscard]] std::string cutText(std::string bytes, std::size_t maxBytes);
// Texts shown to the user are cut by letters, as fromText reads them: in UTF-8 a letter is
// what the reader sees as one (a letter with its accents, a character of two or more
// bytes); in any other byte string each byte is a letter.
// How many letters a text holds.
[[nodiscard]] std::size_t letterCount(std::string_view text);
// The first n letters of a text; all of it when it has no more.
[[nodiscard]] std::string leftLetters(std::string_view text, std::size_t n);
// Each character of code 0-255 becomes that byte; a character beyond Latin-1 becomes '?'.
[[nodiscard]] std::string toBytes(const QString& text);

}  // namespace platform
