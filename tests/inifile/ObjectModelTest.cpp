// The INI object model: creation by class identifier, collections, keys, remarks, values.
#include "TestSupport.h"

#include <clocale>
#include <locale>

namespace tavisco::testing {
namespace {

using ObjectModel = LibraryTest;

std::vector<std::string> names(const Ref<Keys>& keys)
{
    std::vector<std::string> out;
    for (const Ref<Key>& k : keys->NewEnum())
        out.push_back(k->Name());
    return out;
}

TEST_F(ObjectModel, EveryClassIdentifierCreatesItsClassWhateverTheLetterCase)
{
    for (const char* id : {kClsidINIFile, kClsidSections, kClsidSection, kClsidKeys, kClsidKey}) {
        std::string lower(id);
        for (char& c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        for (const std::string& asked : {std::string(id), lower}) {
            Object* object = nullptr;
            ASSERT_EQ(DllGetClassObject(asked.c_str(), &object), Status::Ok) << asked;
            ASSERT_NE(object, nullptr);
            EXPECT_EQ(DllCanUnloadNow(), Status::False);
            object->Release();
        }
    }
    EXPECT_TRUE(Create<INIFile>()->Sections());
    EXPECT_EQ(Create<Sections>()->Count(), 0);
    EXPECT_TRUE(Create<Section>()->Keys());
    EXPECT_EQ(Create<Keys>()->Count(), 0);
    EXPECT_EQ(Create<Key>()->Name(), "");
}

TEST_F(ObjectModel, FactoryRefusesUnknownClassesAndNullPointers)
{
    Object* object = reinterpret_cast<Object*>(1);
    EXPECT_EQ(DllGetClassObject("00000000-0000-0000-0000-000000000000", &object), Status::ClassNotAvailable);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(DllGetClassObject(nullptr, &object), Status::InvalidPointer);
    EXPECT_EQ(DllGetClassObject(kClsidINIFile, nullptr), Status::InvalidPointer);
    EXPECT_EQ(DllRegisterServer(), Status::Ok);
    EXPECT_EQ(DllUnregisterServer(), Status::Ok);
}

TEST_F(ObjectModel, ReleasingTheFileReleasesTheTreeButHeldPartsStayUsable)
{
    Ref<Section> kept;
    {
        Ref<INIFile> ini = newFile();
        ini->setText("[A]\r\nx=1\r\n[B]\r\ny=2\r\n");
        kept = section(ini, "b");
    }
    EXPECT_EQ(DllCanUnloadNow(), Status::False);
    EXPECT_EQ(key(kept, "Y")->Value(), Value("2"));
    kept.reset();
    EXPECT_EQ(DllCanUnloadNow(), Status::Ok);
}

TEST_F(ObjectModel, EmptyKeyNameIsRefusedWith1001AndKeepsTheOldName)
{
    Ref<Key> k = Create<Key>();
    ASSERT_TRUE(k->setName("Left").ok());
    const Error e = k->setName("");
    EXPECT_EQ(e.number, 1001);
    EXPECT_EQ(e.source, "Key");
    EXPECT_EQ(e.description, "Invalid Key name");
    EXPECT_EQ(k->Name(), "Left");

    Ref<Keys> keys = Create<Keys>();
    Result<Ref<Key>> added = keys->Add("", Value("v"));
    EXPECT_TRUE(added.error.is(ErrorNumber::InvalidKeyName));
    EXPECT_FALSE(added.value);
    EXPECT_EQ(keys->Count(), 0);
}

TEST_F(ObjectModel, NamesCompareWithoutRegardToCase)
{
    Ref<INIFile> ini = newFile();
    Ref<Sections> sections = ini->Sections();
    ASSERT_TRUE(sections->Add("StartUp", "MDI initialisation").ok());
    Ref<Section> s = section(ini, "STARTUP");
    EXPECT_EQ(s->Name(), "StartUp");
    EXPECT_EQ(s->Remark(), ";MDI initialisation");

    EXPECT_TRUE(sections->Add("startup").error.is(ErrorNumber::DuplicateKey));
    EXPECT_EQ(sections->Count(), 1);

    Ref<Keys> keys = s->Keys();
    ASSERT_TRUE(keys->Add("Left", Value(10)).ok());
    Result<Ref<Key>> dup = keys->Add("LEFT", Value(20));
    EXPECT_TRUE(dup.error.is(ErrorNumber::DuplicateKey));
    EXPECT_EQ(dup.error.source, "Keys");
    EXPECT_EQ(keys->Count(), 1);
    EXPECT_EQ(key(s, "left")->Value(), Value(10));
}

TEST_F(ObjectModel, LookupsOfMissingMembersFailWithTheCollectionErrors)
{
    Ref<Keys> keys = Create<Keys>();
    ASSERT_TRUE(keys->Add("a").ok());
    struct Case {
        Index index;
        ErrorNumber expected;
    };
    const Case cases[] = {{Index("b"), ErrorNumber::InvalidArgument},
                          {Index(0), ErrorNumber::SubscriptOutOfRange},
                          {Index(2), ErrorNumber::SubscriptOutOfRange},
                          {Index(-1), ErrorNumber::SubscriptOutOfRange},
                          {Index(), ErrorNumber::InvalidArgument}};
    for (const Case& c : cases) {
        EXPECT_TRUE(keys->Item(c.index).error.is(c.expected));
        EXPECT_TRUE(keys->Remove(c.index).is(c.expected));
    }
    EXPECT_EQ(keys->Count(), 1);
    EXPECT_TRUE(keys->Remove(Index("A")).ok());
    EXPECT_EQ(keys->Count(), 0);
    EXPECT_TRUE(keys->Add("a").ok()) << "a removed name can be added again";
}

TEST_F(ObjectModel, BeforeAndAfterPlaceTheNewMember)
{
    struct Case {
        const char* what;
        Index before;
        Index after;
        std::vector<std::string> order;  // empty: the add fails
    };
    const std::vector<Case> cases = {
        {"at the end", {}, {}, {"a", "b", "c", "n"}},
        {"before position 1", 1, {}, {"n", "a", "b", "c"}},
        {"before name", "C", {}, {"a", "b", "n", "c"}},
        {"after position 3", {}, 3, {"a", "b", "c", "n"}},
        {"after name", {}, "a", {"a", "n", "b", "c"}},
        {"before a missing name", "zz", {}, {}},
        {"after position 4", {}, 4, {}},
        {"both given", 1, 2, {}},
    };
    for (const Case& c : cases) {
        Ref<Keys> keys = Create<Keys>();
        for (const char* n : {"a", "b", "c"})
            ASSERT_TRUE(keys->Add(n).ok());
        const Result<Ref<Key>> added = keys->Add("n", std::nullopt, {}, c.before, c.after);
        if (c.order.empty()) {
            EXPECT_TRUE(added.failed()) << c.what;
            EXPECT_EQ(keys->Count(), 3) << c.what;
        } else {
            EXPECT_TRUE(added.ok()) << c.what;
            EXPECT_EQ(names(keys), c.order) << c.what;
            EXPECT_EQ(keys->Item(Index("N")).value, added.value) << c.what;
        }
    }
}

TEST_F(ObjectModel, ClearAndRemoveAllEmptyTheCollections)
{
    Ref<INIFile> ini = newFile();
    ini->setText("[a]\r\nk=1\r\nj\r\n[b]\r\n");
    Ref<Section> a = section(ini, "a");
    a->Keys()->RemoveAll();
    EXPECT_EQ(a->Keys()->Count(), 0);
    ini->Sections()->Clear();
    EXPECT_EQ(ini->Sections()->Count(), 0);
    EXPECT_EQ(ini->Text(), "");
}

TEST_F(ObjectModel, SettingARemarkPutsASemicolonBeforeEveryTextLine)
{
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},
        {"one line", ";one line"},
        {";already", ";already"},
        {"first\r\n\r\nsecond", ";first\r\n\r\n;second"},
        {"trailing\r\n", ";trailing\r\n"},
        {"#hash", ";#hash"},
        {" blank first", "; blank first"},
        {"lone\nfeed", ";lone\nfeed"},
    };
    for (const auto& [given, stored] : cases) {
        Ref<Key> k = Create<Key>();
        k->setRemark(given);
        EXPECT_EQ(k->Remark(), stored) << given;
        Ref<Section> s = Create<Section>();
        s->setRemark(given);
        EXPECT_EQ(s->Remark(), stored) << given;
    }
}

TEST_F(ObjectModel, ValueKeepsEmptyApartFromTheEmptyText)
{
    EXPECT_TRUE(Value().isEmpty());
    EXPECT_EQ(Value().type(), Value::Type::Empty);
    EXPECT_FALSE(Value("").isEmpty());
    EXPECT_EQ(Value("").type(), Value::Type::String);
    EXPECT_NE(Value(), Value(""));
    EXPECT_EQ(Value().toText(), "");

    Ref<Key> k = Create<Key>();
    EXPECT_TRUE(k->Value().isEmpty()) << "a new key's value is empty";
    k->setValue(Value(""));
    EXPECT_EQ(k->Value(), Value(""));
}

TEST_F(ObjectModel, ValueTextFormIsTheSameInEveryLocale)
{
    struct CommaDecimal : std::numpunct<char> {
        char do_decimal_point() const override { return ','; }
        char do_thousands_sep() const override { return '.'; }
        std::string do_grouping() const override { return "\3"; }
    };
    const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new CommaDecimal));
    const char* previousC = std::setlocale(LC_NUMERIC, nullptr);
    const std::string savedC = previousC ? previousC : "C";
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");  // when installed

    const std::pair<Value, const char*> cases[] = {
        {Value(true), "True"},       {Value(false), "False"},   {Value(0), "0"},
        {Value(-7), "-7"},           {Value(1234567), "1234567"}, {Value(0.5), "0.5"},
        {Value(-1.25), "-1.25"},     {Value(1e20), "1e+20"},    {Value("text"), "text"},
        {Value(std::int64_t{-9007199254740993}), "-9007199254740993"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(value.toText(), text);

    std::setlocale(LC_NUMERIC, savedC.c_str());
    std::locale::global(previous);
}

}  // namespace
}  // namespace tavisco::testing
