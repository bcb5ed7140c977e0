// The public headers carry each member's help string, word for word, as the member's
// documentation comment.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Help {
    const char* header;
    const char* declaration;  // text found on the member's declaration line
    const char* text;
};

const Help kHelp[] = {
    {"INIFile.h", "Sections() const", "The Sections collection, that contains all the individual sections of the INI file."},
    {"INIFile.h", "FileName() const", "The path and name of the INI file"},
    {"INIFile.h", "Text() const", "The textual contents of the INI file."},
    {"INIFile.h", "Error Load(", "Load an INI file."},
    {"INIFile.h", "Error Save(", "Save data to an INI file."},
    {"INIFile.h", "SectionChars() const", "The characters that enclose a section name. Defaul is \"[]\"."},
    {"INIFile.h", "RemarkChars() const",
     "All the characters that can mark the beginning of a remark (must be the first char in a line). Default is "
     "semicolon."},
    {"INIFile.h", "ParsingErrors() const", "Number of errors found when parsing the file"},
    {"Sections.h", "Add(", "Creates a new Section and adds it to the collection."},
    {"Keys.h", "Add(", "Creates a new Key and adds it to the collection."},
    {"Sections.h", "Remove(", "Removes a member from a Collection object"},
    {"Keys.h", "Remove(", "Removes a member from a Collection object"},
    {"Sections.h", "Item(", "Returns a specific member of a Collection object either by position or key"},
    {"Keys.h", "Item(", "Returns a specific member of a Collection object either by position or key"},
    {"Sections.h", "Count()", "Returns the number of members in a collection"},
    {"Keys.h", "Count()", "Returns the number of members in a collection"},
    {"Sections.h", "Clear()", "Removes all members from a Collection object"},
    {"Keys.h", "RemoveAll()", "Removes all members from a Collection object"},
    {"Section.h", "Name() const", "The name of this section (without surrounding brackets)."},
    {"Section.h", "Keys() const", "The Keys collection"},
    {"Section.h", "Remark() const",
     "The comment associated to this section. This is the text that precedes this section in the INI file."},
    {"Section.h", "GetText(",
     "The text of this section header, optionally preceded by the remark and followed by the text of all keys."},
    {"Key.h", "Name() const", "The name of this key (can't be a null string)"},
    {"Key.h", "Value() const", "The value of this key"},
    {"Key.h", "Remark() const",
     "The comment associated to this key. This is the text that precedes this key in the INI file."},
    {"Key.h", "GetText(", "The text of this key, in the Name=Value format."},
};

// The comment lines just above the first line holding the declaration, joined by blanks.
std::string commentAbove(const std::string& header, const std::string& declaration)
{
    std::ifstream in(std::string(TAVISCO_HEADERS) + "/" + header);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].find(declaration) == std::string::npos || lines[i].find("//") != std::string::npos)
            continue;
        std::vector<std::string> block;
        for (std::size_t j = i; j-- > 0;) {
            const std::size_t start = lines[j].find_first_not_of(' ');
            if (start == std::string::npos || lines[j].compare(start, 2, "//") != 0)
                break;
            block.insert(block.begin(), lines[j].substr(std::min(lines[j].size(), start + 3)));
        }
        std::string joined;
        for (const auto& b : block)
            joined += (joined.empty() ? "" : " ") + b;
        return joined;
    }
    return "<no declaration " + declaration + ">";
}

}  // namespace

TEST(Documentation, EveryMemberCarriesItsHelpStringWordForWord)
{
    for (const Help& h : kHelp)
        EXPECT_NE(commentAbove(h.header, h.declaration).find(h.text), std::string::npos)
            << h.header << " " << h.declaration << ": \"" << h.text << "\"";
}
