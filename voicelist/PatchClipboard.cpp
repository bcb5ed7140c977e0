// Brevane - the program-wide clipboard of voices.
#include "voicelist/PatchClipboard.h"

#include "banklib/BusyCursor.h"
#include "banklib/VoiceListRecordset.h"
#include "banklib/VoiceListView.h"
#include "banklib/clsVoiceData.h"
#include "platform/StatusHelpers.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>
#include <vector>

namespace shell {
namespace {

using banklib::FileType;
using banklib::VoiceListField::Count;
using platform::Bookmark;
using platform::Recordset;
using platform::Value;

// Copies of the listed records of a list, in the list's order, as an independent table.
Recordset copyOf(Recordset& list, std::span<const Bookmark> bookmarks)
{
    Recordset view = list.clone();
    view.setFilter(bookmarks);
    Recordset out = view.copy();
    out.moveFirst();
    return out;
}

bool isVoiceList(const Recordset& rs) { return rs.fieldCount() == Count; }

std::string_view textOf(const Value& v)
{
    const auto* s = std::get_if<std::string>(&v);
    return s != nullptr ? std::string_view(*s) : std::string_view();
}

}  // namespace

PatchClipboard::PatchClipboard() : m_records(banklib::voiceListFields()) {}

void PatchClipboard::clear()
{
    m_records = Recordset(banklib::voiceListFields());
    m_count = 0;
    m_sourceListId.clear();
}

std::int32_t PatchClipboard::fill(Recordset& list, std::span<const Bookmark> bookmarks, FileType format,
                                  const std::string& sourceListId)
{
    if (!isVoiceList(list)) {
        clear();
        return 0;
    }
    m_records = copyOf(list, bookmarks);
    m_count = m_records.recordCount();
    m_format = format;
    m_sourceListId = sourceListId;
    return m_count;
}

std::int32_t PatchClipboard::pasteInto(Recordset& list, std::int32_t position, FileType target,
                                       const std::string& targetListId)
{
    if (m_count == 0 || !isVoiceList(list) || m_records.fieldCount() != list.fieldCount())
        return 0;
    banklib::BusyCursor busy;
    ConvertClipboardPatches(m_records, m_format, target);

    const std::vector<Bookmark> before = list.bookmarks();
    const auto oldCount = static_cast<std::int32_t>(before.size());
    const std::size_t at = static_cast<std::size_t>(std::clamp(position, 1, oldCount + 1) - 1);
    // Only a voice that comes back to the list it was cut from is the same voice there.
    const bool keepBookmarks = !targetListId.empty() && targetListId == m_sourceListId;

    std::vector<Bookmark> added;
    added.reserve(static_cast<std::size_t>(m_count));
    list.reserve(static_cast<std::size_t>(m_count));
    m_records.forEach([&](const platform::RowRef& row) {
        std::vector<Value> values;
        values.reserve(static_cast<std::size_t>(Count));
        for (int f = 0; f < Count; ++f)
            values.push_back(row.value(f));
        for (int f : {banklib::VoiceListField::CRCAll, banklib::VoiceListField::CRCExName,
                      banklib::VoiceListField::ChecksumAll, banklib::VoiceListField::ChecksumExName})
            values[static_cast<std::size_t>(f)] = Value{};
        values[banklib::VoiceListField::DelSelected] = false;
        added.push_back(list.appendRecord(std::move(values), keepBookmarks ? row.bookmark() : platform::kNoBookmark));
    });
    if (at < before.size()) {
        std::vector<Bookmark> order;
        order.reserve(before.size() + added.size());
        order.insert(order.end(), before.begin(), before.begin() + static_cast<std::ptrdiff_t>(at));
        order.insert(order.end(), added.begin(), added.end());
        order.insert(order.end(), before.begin() + static_cast<std::ptrdiff_t>(at), before.end());
        list.reorder(order);
    }
    list.moveFirst();
    const auto pasted = static_cast<std::int32_t>(added.size());
    clear();
    return pasted;
}

PatchClipboard& patchClipboard()
{
    static PatchClipboard clipboard;
    return clipboard;
}

std::int32_t GetClipboardCount() { return patchClipboard().count(); }

void CopySelectedPatches(banklib::VoiceListView& list, std::span<const Bookmark> bookmarks)
{
    banklib::BusyCursor busy;
    (void)patchClipboard().fill(list.rsmfimage(), bookmarks, list.fileType(), list.ListID());
}

std::int32_t DeleteSelectedPatches(banklib::VoiceListView& list, std::span<const Bookmark> bookmarks, bool keep,
                                   Recordset& deleted)
{
    banklib::BusyCursor busy;
    Recordset& rs = list.rsmfimage();
    if (keep)
        deleted = copyOf(rs, bookmarks);
    const int gone = rs.deleteRecords(bookmarks);
    rs.moveFirst();
    list.setVoiceCount(rs.recordCount());
    return gone;
}

std::int32_t PastePatches(banklib::VoiceListView& list)
{
    PatchClipboard& clipboard = patchClipboard();
    if (clipboard.count() == 0)
        return 0;
    const std::int32_t count = list.rsmfimage().recordCount();
    const std::int32_t position = std::clamp(list.CurrentVoice(), 1, count + 1);
    list.setCurrentVoice(position);
    const std::int32_t pasted = clipboard.pasteInto(list.rsmfimage(), position, list.fileType(), list.ListID());
    list.setVoiceCount(list.rsmfimage().recordCount());
    return pasted;
}

void ConvertClipboardPatches(Recordset& rs, FileType sourceFormat, FileType targetFormat)
{
    const bool toPacked = banklib::isUnpackedLayout(sourceFormat) && banklib::isPackedLayout(targetFormat);
    const bool toUnpacked = banklib::isPackedLayout(sourceFormat) && banklib::isUnpackedLayout(targetFormat);
    if (!toPacked && !toUnpacked)
        return;
    banklib::BusyCursor busy;
    platform::ShowStatusMessage("Please Wait - converting patches");
    using banklib::kNameLength;
    using banklib::kPackedVoiceSize;
    using banklib::kUnpackedVoiceSize;
    const std::size_t inData = (toPacked ? kUnpackedVoiceSize : kPackedVoiceSize) - kNameLength;
    const std::size_t outData = (toPacked ? kPackedVoiceSize : kUnpackedVoiceSize) - kNameLength;
    std::array<std::uint8_t, kUnpackedVoiceSize> in{};
    std::array<std::uint8_t, kUnpackedVoiceSize> out{};
    for (const Bookmark b : rs.bookmarks()) {
        // The voice as Data followed by its name; a short Data is zero-padded, a short
        // name blank-padded, so every voice converts from a whole record.
        const std::string_view data = textOf(rs.valueAt(b, banklib::VoiceListField::Data));
        const std::string_view name = textOf(rs.valueAt(b, banklib::VoiceListField::Names));
        in.fill(0);
        std::memcpy(in.data(), data.data(), std::min(data.size(), inData));
        std::fill(in.begin() + static_cast<std::ptrdiff_t>(inData),
                  in.begin() + static_cast<std::ptrdiff_t>(inData + kNameLength), std::uint8_t{' '});
        std::memcpy(in.data() + inData, name.data(), std::min(name.size(), kNameLength));
        if (toPacked)
            banklib::clsVoiceData::packVoice(std::span<const std::uint8_t, kUnpackedVoiceSize>(in.data(), kUnpackedVoiceSize),
                                             std::span<std::uint8_t, kPackedVoiceSize>(out.data(), kPackedVoiceSize));
        else
            banklib::clsVoiceData::unpackVoice(std::span<const std::uint8_t, kPackedVoiceSize>(in.data(), kPackedVoiceSize),
                                               std::span<std::uint8_t, kUnpackedVoiceSize>(out.data(), kUnpackedVoiceSize));
        rs.setValueAt(b, banklib::VoiceListField::Data,
                      std::string(reinterpret_cast<const char*>(out.data()), outData));
    }
    rs.moveFirst();
    platform::ShowStatusMessage(std::string());
}

}  // namespace shell
