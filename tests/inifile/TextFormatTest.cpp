// Parsing INI text into sections and keys and building it back.
#include "TestSupport.h"

namespace tavisco::testing {
namespace {

using namespace std::string_literals;
using TextFormat = LibraryTest;

struct ParseCase {
    const char* what;
    std::string input;
    std::string built;
    std::int32_t parsingErrors = 0;
};

// Text in, text out: what the parser keeps and how the builder writes it back.
TEST_F(TextFormat, ParsedTextIsBuiltBackInTheStandardLayout)
{
    const std::vector<ParseCase> cases = {
        {"remark, header, spaced key, blank line, bare name",
         "; about S\r\n[S]\r\n  Key1 = value one  \r\n\r\nBare\r\n",
         "; about S\r\n[S]\r\nKey1=value one\r\nBare\r\n\r\n"},
        {"remark on the header line stays there", "[S]   ; note\r\nk=v", "[S] ; note\r\nk=v\r\n\r\n"},
        {"other text after the header is dropped", "[S] junk\r\nk=v", "[S]\r\nk=v\r\n\r\n"},
        {"a pending remark wins over the header-line remark", ";before\r\n[S] ;inline\r\n",
         ";before\r\n[S]\r\n\r\n"},
        {"empty value and no value are both a bare name", "[S]\r\na=\r\nb\r\n", "[S]\r\na\r\nb\r\n\r\n"},
        {"keys before any header get an unnamed section", "x=1\r\n[S]\r\ny=2\r\n",
         "[]\r\nx=1\r\n\r\n[S]\r\ny=2\r\n\r\n"},
        {"a bare [] line is a key", "[]\r\n", "[]\r\n[]\r\n\r\n"},
        {"LF alone does not end a line", "a=1\nb=2\n", "[]\r\na=1\nb=2\n\r\n\r\n"},
        {"LF alone after a header makes text after the header", "[S]\nk=v\n", "[S]\r\n\r\n"},
        {"lone CR stays in the line", "[S]\r\nk=a\rb\r\n", "[S]\r\nk=a\rb\r\n\r\n"},
        {"a line starting with = is an error but kept", "[S]\r\n=orphan\r\n", "[S]\r\n=orphan\r\n\r\n", 1},
        {"two errors are two", "=a\r\n = b\r\n", "[]\r\n=a\r\n=b\r\n\r\n", 2},
        {"only the first = splits", "[S]\r\nk = a=b \r\n", "[S]\r\nk=a=b\r\n\r\n"},
        {"tabs are not blanks", "[S]\r\n\tk\t=\tv\t\r\n", "[S]\r\n\tk\t=\tv\t\r\n\r\n"},
        {"section name is not trimmed", "[ spaced ]\r\n", "[ spaced ]\r\n\r\n"},
        {"header closes at the first ]", "[a]b]\r\n", "[a]\r\n\r\n"},
        {"header without ] is a key", "[open\r\n", "[]\r\n[open\r\n\r\n"},
        {"remarks are collected for the next key", "[S]\r\n;one\r\n\r\n;two\r\nk=v\r\n;lost at the end",
         "[S]\r\n;one\r\n;two\r\nk=v\r\n\r\n"},
        {"duplicates are kept in order", "[S]\r\nk=1\r\nK=2\r\n[s]\r\nk=3\r\n",
         "[S]\r\nk=1\r\nK=2\r\n\r\n[s]\r\nk=3\r\n\r\n"},
        {"empty text", "", ""},
        {"only blanks and breaks", "  \r\n\r\n   ", ""},
        {"NUL bytes are ordinary characters", "[S\0]\r\nk\0=v\0w\r\n"s, "[S\0]\r\nk\0=v\0w\r\n\r\n"s},
        {"bytes above 127 pass unchanged", "[Gr\xfc\xdf""e]\r\nk=\xe9t\xe9\r\n", "[Gr\xfc\xdf""e]\r\nk=\xe9t\xe9\r\n\r\n"},
    };
    for (const ParseCase& c : cases) {
        Ref<INIFile> ini = newFile();
        ini->setText(c.input);
        EXPECT_EQ(ini->Text(), c.built) << c.what;
        EXPECT_EQ(ini->ParsingErrors(), c.parsingErrors) << c.what;
    }
}

TEST_F(TextFormat, ParsedValuesAreTextAndABareNameIsEmpty)
{
    Ref<INIFile> ini = newFile();
    ini->setText("[StartUp]\r\nSynthID\r\nShowSplash=\r\nLeft= 15\r\n=x\r\n");
    Ref<Section> s = section(ini, "startup");
    EXPECT_TRUE(key(s, "SynthID")->Value().isEmpty());
    EXPECT_EQ(key(s, "ShowSplash")->Value(), Value(""));
    EXPECT_EQ(key(s, "Left")->Value(), Value("15"));
    Ref<Key> unnamed = key(s, 4);
    EXPECT_EQ(unnamed->Name(), "");
    EXPECT_EQ(unnamed->Value(), Value("x"));
}

TEST_F(TextFormat, ADuplicateIsFoundByPositionButANameFindsTheFirst)
{
    Ref<INIFile> ini = newFile();
    ini->setText("[S]\r\nk=1\r\n[S]\r\nk=2\r\nK=3\r\n");
    EXPECT_EQ(ini->Sections()->Count(), 2);
    Ref<Section> second = section(ini, 2);
    EXPECT_EQ(key(second, "k")->Value(), Value("2"));
    EXPECT_EQ(key(second, 2)->Value(), Value("3"));
    EXPECT_EQ(key(section(ini, "s"), "K")->Value(), Value("1"));
    ASSERT_TRUE(second->Keys()->Remove(2).ok()) << "an unkeyed member can be removed by position";
    EXPECT_EQ(second->Keys()->Count(), 1);
}

TEST_F(TextFormat, ParsingReplacesTheSectionsAndResetsTheErrorCount)
{
    Ref<INIFile> ini = newFile();
    ini->setText("=bad\r\n[Old]\r\n");
    Ref<Sections> before = ini->Sections();
    ini->setText("[New]\r\n");
    EXPECT_EQ(ini->ParsingErrors(), 0);
    EXPECT_NE(ini->Sections(), before);
    EXPECT_EQ(before->Count(), 2) << "the old collection stays valid for its holder";
    EXPECT_TRUE(ini->Sections()->Item("Old").failed());
}

TEST_F(TextFormat, CustomRemarkAndSectionCharactersAreReadButNotWritten)
{
    struct Case {
        const char* what;
        const char* sectionChars;
        const char* remarkChars;
        std::string input;
        std::string built;
    };
    const std::vector<Case> cases = {
        {"hash and semicolon remarks", "[]", "#;", "# hash\r\n[S]\r\n;semi\r\nk=v\r\n",
         ";# hash\r\n[S]\r\n;semi\r\nk=v\r\n\r\n"},
        {"hash on the header line", "[]", "#", "[S] # note\r\n", "[S] ;# note\r\n\r\n"},
        {"angle brackets", "<>", ";", "<S>\r\n[T]\r\n", "[S]\r\n[T]\r\n\r\n"},
        {"one character, equal open and close", "|", ";", "|S|\r\n|x\r\nk=v\r\n", "[S]\r\n|x\r\nk=v\r\n\r\n"},
        {"equal characters, closing right after opening", "||", ";", "||x\r\n", "[]\r\n\r\n"},
        {"equal characters, no closing one", "**", ";", "*abc\r\n", "[]\r\n*abc\r\n\r\n"},
        {"no section characters: no headers", "", ";", "[S]\r\nk=v\r\n", "[]\r\n[S]\r\nk=v\r\n\r\n"},
        {"no remark characters: no remarks", "[]", "", "[S]\r\n;k=v\r\n", "[S]\r\n;k=v\r\n\r\n"},
    };
    for (const Case& c : cases) {
        Ref<INIFile> ini = newFile();
        ini->setSectionChars(c.sectionChars);
        ini->setRemarkChars(c.remarkChars);
        ini->setText(c.input);
        EXPECT_EQ(ini->Text(), c.built) << c.what;
    }
}

TEST_F(TextFormat, HeaderAndKeyTextFollowTheirFlags)
{
    Ref<INIFile> ini = newFile();
    ini->setText(";sec\r\n[S] \r\n;rem\r\nk=v\r\n");
    Ref<Section> s = section(ini, 1);
    EXPECT_EQ(s->GetText(), "[S]\r\n") << "no arguments: the header line alone";
    EXPECT_EQ(s->GetText(true), "[S]\r\nk=v\r\n");
    EXPECT_EQ(s->GetText(false, true), ";sec\r\n[S]\r\n");
    EXPECT_EQ(key(s, "k")->GetText(), "k=v\r\n");

    Ref<Key> k = Create<Key>();
    ASSERT_TRUE(k->setName("Name").ok());
    k->setRemark("one line");
    k->setValue(Value(42));
    EXPECT_EQ(k->GetText(true), ";one line\r\nName=42\r\n");
}

TEST_F(TextFormat, VeryLongLinesAndManyKeysSurvive)
{
    const std::string longValue(1 << 20, 'v');
    const std::string longName(100000, 'n');
    std::string text = "[S]\r\n" + longName + "=" + longValue + "\r\n";
    for (int i = 0; i < 20000; ++i)
        text += "k" + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
    Ref<INIFile> ini = newFile();
    ini->setText(text);
    Ref<Section> s = section(ini, "S");
    EXPECT_EQ(s->Keys()->Count(), 20001);
    EXPECT_EQ(key(s, longName)->Value().toText().size(), longValue.size());
    EXPECT_EQ(ini->Text(), text + "\r\n");
}

}  // namespace
}  // namespace tavisco::testing
