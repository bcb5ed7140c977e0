// Helpers shared by the INI library tests.
#pragma once

#include "inifile/ClassFactory.h"
#include "inifile/INIFile.h"
#include "inifile/PropertyBag.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace tavisco {

// Readable values in test failure messages.
inline void PrintTo(const Value& value, std::ostream* os)
{
    if (value.isEmpty())
        *os << "<empty>";
    else
        *os << static_cast<int>(value.type()) << ":\"" << value.toText() << "\"";
}

}  // namespace tavisco

namespace tavisco::testing {

// Every test must leave no object of the library alive.
class LibraryTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(DllCanUnloadNow(), Status::Ok) << "library objects still alive"; }

    static Ref<INIFile> newFile()
    {
        Ref<INIFile> ini = Create<INIFile>();
        EXPECT_TRUE(ini);
        return ini;
    }
    static Ref<Section> section(const Ref<INIFile>& ini, const Index& index)
    {
        Result<Ref<Section>> found = ini->Sections()->Item(index);
        EXPECT_TRUE(found.ok()) << found.error.description;
        return found.value;
    }
    static Ref<Key> key(const Ref<Section>& s, const Index& index)
    {
        Result<Ref<Key>> found = s->Keys()->Item(index);
        EXPECT_TRUE(found.ok()) << found.error.description;
        return found.value;
    }
};

// A folder of its own under the system's temporary folder, removed afterwards.
class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tavisco-test-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data());
        std::filesystem::permissions(m_path, std::filesystem::perms(0755));
    }
    ~TempFolder()
    {
        std::error_code ec;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(m_path, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    [[nodiscard]] std::string file(const std::string& name) const { return (m_path / name).string(); }
    [[nodiscard]] const std::filesystem::path& path() const { return m_path; }
    [[nodiscard]] std::vector<std::string> entries() const
    {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(m_path))
            names.push_back(e.path().filename().string());
        return names;
    }

private:
    std::filesystem::path m_path;
};

inline std::string readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// An object with a fixed set of properties. Names not in the set cannot be read or written;
// names in `refusing` are readable but refuse every assignment; names in `throwing` throw
// from both calls.
class FakeObject : public PropertyBag {
public:
    std::map<std::string, Value> properties;
    std::set<std::string> refusing;
    std::set<std::string> throwing;
    std::vector<std::string> reads;
    std::vector<std::string> writes;

    std::optional<Value> readProperty(const std::string& name) override
    {
        reads.push_back(name);
        if (throwing.contains(name))
            throw std::runtime_error("property failed");
        const auto it = properties.find(name);
        if (it == properties.end())
            return std::nullopt;
        return it->second;
    }
    bool writeProperty(const std::string& name, const Value& value) override
    {
        writes.push_back(name);
        if (throwing.contains(name))
            throw std::runtime_error("property failed");
        const auto it = properties.find(name);
        if (it == properties.end() || refusing.contains(name))
            return false;
        it->second = value;
        return true;
    }
};

}  // namespace tavisco::testing
