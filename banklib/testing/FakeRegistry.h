// Brevane - an in-memory registry of open voice lists for tests.
#pragma once

#include "banklib/VoiceListRegistry.h"
#include "banklib/testing/FakeVoiceList.h"

#include <memory>
#include <string>
#include <vector>

namespace banklib::testing {

class FakeRegistry final : public VoiceListRegistry {
public:
    // Opens a FakeVoiceList for a file as the real registry does: asks about a path that
    // is already open, checks the file and, when it passes, creates, names and
    // registers the list (without reading its voices).
    VoiceListView* Add(const std::string& path, bool& cancel, FileType& fileType) override;
    void Delete(const std::string& listID) override;
    VoiceListView* Item(const std::string& listID) override;
    VoiceListView* Item(std::int32_t position) override;
    std::int32_t count() const override { return static_cast<std::int32_t>(m_lists.size()); }
    std::vector<VoiceListView*> lists() override { return m_lists; }
    std::int16_t NextFileNo() override { return ++m_fileNo; }

    // Registers a list the test owns, giving it the next ListID.
    void registerList(VoiceListView& list);
    std::vector<std::string> deleted;

private:
    std::vector<VoiceListView*> m_lists;
    std::vector<std::unique_ptr<FakeVoiceList>> m_owned;
    std::int16_t m_fileNo = 0;
};

}  // namespace banklib::testing
