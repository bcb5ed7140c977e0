// Brevane - voice lists with chosen names and contents, for the catalogue tests.
#pragma once

#include "BankTestSupport.h"

#include "banklib/CatalogueHooks.h"
#include "banklib/VoiceListRecordset.h"
#include "banklib/clsVoiceNames.h"
#include "banklib/testing/FakeAppState.h"
#include "platform/VbText.h"
#include "platform/testing/ScriptedServices.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace banklib::test {

// One voice: its name and a number that decides its parameters (equal numbers give
// equal parameters).
struct VoiceSpec {
    std::string name;
    unsigned body = 0;
};

inline std::array<std::uint8_t, kUnpackedVoiceSize> voiceOf(const VoiceSpec& spec)
{
    std::mt19937 rng(spec.body * 7919u + 17u);
    auto v = randomVoice(rng);
    setName(v, spec.name);
    return v;
}

// Bare bank data of the voices in a layout (0 unpacked, 2 packed).
inline std::vector<std::uint8_t> bankOf(const std::vector<VoiceSpec>& voices, FileType type = FileType::Packed)
{
    std::vector<std::uint8_t> out;
    for (const auto& spec : voices) {
        const auto v = voiceOf(spec);
        if (isPackedLayout(type)) {
            std::array<std::uint8_t, kPackedVoiceSize> packed{};
            clsVoiceData::packVoice(v, packed);
            out.insert(out.end(), packed.begin(), packed.end());
        } else {
            out.insert(out.end(), v.begin(), v.end());
        }
    }
    return out;
}

inline platform::Recordset listOf(const std::vector<VoiceSpec>& voices, FileType type = FileType::Packed)
{
    clsVoiceNames names;
    platform::Recordset rs;
    bool repaired = false;
    if (names.BuildRecordsetFromBytes(type, "list", rs, bankOf(voices, type), repaired))
        ADD_FAILURE() << "could not build the list";
    return rs;
}

// n voices named "V0001".. with different parameters.
inline std::vector<VoiceSpec> distinctVoices(int n, unsigned firstBody = 1000)
{
    std::vector<VoiceSpec> out;
    for (int i = 0; i < n; ++i)
        out.push_back({"V" + platform::Format(i + 1, "0000"), firstBody + static_cast<unsigned>(i)});
    return out;
}

inline std::vector<std::string> namesOf(platform::Recordset& rs)
{
    std::vector<std::string> out;
    rs.forEach([&](const platform::RowRef& row) { out.push_back(platform::RTrim(row.text(VoiceListField::Names))); });
    return out;
}

// The scripted main window with one list open in a temporary data folder. Files that the
// catalogue opens are read into new fake lists of the registry.
struct Catalogue {
    platform::testing::ScriptedServices ui;
    testing::FakeAppState app;
    TempFolder folder;
    std::unique_ptr<testing::FakeVoiceList> list;
    std::vector<std::string> opened;
    std::vector<bool> openedTemporary;

    explicit Catalogue(const std::vector<VoiceSpec>& voices, FileType type = FileType::Packed,
                       const std::string& title = "Strings.dat")
    {
        app.dataDirectory = folder.folder();
        list = std::make_unique<testing::FakeVoiceList>(folder.path(title), type, listOf(voices, type));
        app.registry.registerList(*list);
        setVoiceListOpener([this](const std::string& path, bool temporary, bool) -> VoiceListView* {
            opened.push_back(path);
            openedTemporary.push_back(temporary);
            bool cancel = false;
            FileType ft = FileType::NotFound;
            VoiceListView* view = app.registry.Add(path, cancel, ft);
            if (view == nullptr)
                return nullptr;
            clsVoiceNames reader;
            platform::Recordset rs;
            if (reader.OpenFileAsRecordsetByt(path, view->FileTitle(), ft, rs) == -1)
                return nullptr;
            view->setRsmfimage(std::move(rs));
            view->setVoiceCount(view->rsmfimage().recordCount());
            return view;
        });
    }
    ~Catalogue() { setVoiceListOpener({}); }
    Catalogue(const Catalogue&) = delete;
    Catalogue& operator=(const Catalogue&) = delete;

    platform::Recordset& rs() { return list->rsmfimage(); }
    std::vector<std::string> names() { return namesOf(list->rsmfimage()); }
    std::vector<std::string> titles() const
    {
        std::vector<std::string> out;
        for (const auto& m : ui.messagesShown())
            out.push_back(m.title);
        return out;
    }
    // Names of the voices whose DelSelected mark is set, in list order.
    std::vector<std::string> markedNames()
    {
        std::vector<std::string> out;
        rs().forEach([&](const platform::RowRef& row) {
            if (row.boolean(VoiceListField::DelSelected))
                out.push_back(platform::RTrim(row.text(VoiceListField::Names)));
        });
        return out;
    }
};

}  // namespace banklib::test
