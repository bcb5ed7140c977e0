// Brevane - voice lists: bank files, their recordsets, wrappers, fingerprints, selection.
#include "banklib/clsVoiceNames.h"

#include "banklib/AppState.h"
#include "banklib/BusyCursor.h"
#include "banklib/Crc32.h"
#include "banklib/VoiceEditorView.h"
#include "banklib/VoiceListRecordset.h"
#include "banklib/VoiceListRegistry.h"
#include "banklib/VoiceListView.h"
#include "banklib/clsVoiceData.h"
#include "banklib/clsVoiceLists.h"
#include "platform/FileIO.h"
#include "platform/Services.h"
#include "platform/StatusHelpers.h"
#include "platform/VbText.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <exception>

namespace banklib {
namespace {

using platform::Recordset;
using platform::Str;

using platform::kCrLf;

void status(const std::string& text) { platform::ShowStatusMessage(text); }
void clearStatus() { platform::ShowStatusMessage(std::string()); }

std::span<const std::uint8_t> bytesOf(std::string_view s)
{
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

std::string_view textOf(std::span<const std::uint8_t> b)
{
    return {reinterpret_cast<const char*>(b.data()), b.size()};
}

// The stored text of a field, or "" for a field that has no value yet.
const std::string& storedText(const platform::Value& v)
{
    static const std::string kEmpty;
    const auto* s = std::get_if<std::string>(&v);
    return s != nullptr ? *s : kEmpty;
}

// Decimal text of a number with a blank in place of a plus sign (" 123", "-123"), as the
// fingerprint fields store it.
std::string signedText(std::int64_t v)
{
    char buf[24];
    buf[0] = ' ';
    char* const start = v < 0 ? buf : buf + 1;
    const auto end = std::to_chars(start, buf + sizeof buf, v).ptr;
    return std::string(buf, end);
}

// The name field of the current record as 10 bytes.
std::string_view nameOf(const platform::Recordset& rs, std::string& scratch)
{
    const std::string& stored = storedText(rs.value(VoiceListField::Names));
    if (stored.size() == kNameLength)
        return stored;
    scratch = stored;
    scratch.resize(kNameLength, ' ');
    return scratch;
}

std::uint32_t byteSum(std::string_view s)
{
    std::uint32_t sum = 0;
    for (unsigned char c : s)
        sum += c;
    return sum;
}

std::int64_t checksumOfSum(std::uint32_t sum) { return static_cast<std::int64_t>((0u - sum) & 0x7Fu); }

// Appends exactly n bytes of text to out: cut when longer, padded with `pad` when shorter.
void appendFixed(std::vector<std::uint8_t>& out, std::string_view text, std::size_t n, std::uint8_t pad)
{
    const std::size_t take = std::min(text.size(), n);
    out.insert(out.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(take));
    out.insert(out.end(), n - take, pad);
}

void writeHeader(std::uint8_t* at, std::uint8_t format, std::uint8_t countHigh, std::uint8_t countLow)
{
    const auto device = static_cast<std::uint8_t>(appState().MIDIDeviceNumber() & 0x0F);
    at[0] = kSysexStart;
    at[kSysexOffsetManufacturer] = kYamahaId;
    at[kSysexOffsetDevice] = device;
    at[kSysexOffsetFormat] = format;
    at[kSysexOffsetCountHigh] = countHigh;
    at[kSysexOffsetCountLow] = countLow;
}

}  // namespace

clsVoiceNames::clsVoiceNames() { InitRecordset(rsmfimage); }

// ---- the voice-list recordset

void clsVoiceNames::InitRecordset(platform::Recordset& rs) { rs = Recordset(voiceListFields()); }

std::string clsVoiceNames::CleanVoiceName(std::span<const std::uint8_t> name, bool& NamesRepaired)
{
    std::string out(kNameLength, ' ');
    bool firstReplaced = false;
    for (std::size_t i = 0; i < kNameLength; ++i) {
        const std::uint8_t b = i < name.size() ? name[i] : static_cast<std::uint8_t>(' ');
        if (b == '\'' || b < 0x20 || b >= 0x7F) {
            NamesRepaired = true;
            if (i == 0)
                firstReplaced = true;
            continue;
        }
        out[i] = static_cast<char>(b);
    }
    if (firstReplaced)
        out.erase(0, 1);
    return out;
}

bool clsVoiceNames::BuildRecordsetFromBytes(FileType fileType, std::string_view FileTitle,
                                            platform::Recordset& rs, std::span<const std::uint8_t> bytes,
                                            bool& NamesRepaired, Fingerprints fingerprints)
{
    const std::size_t size = voiceSizeOf(fileType);
    if (size == 0)
        return true;
    NamesRepaired = false;
    Recordset built(voiceListFields());
    // Equality filters on these fields (duplicate search, find) then cost O(matches).
    built.createIndex(VoiceListField::Names);
    built.createIndex(VoiceListField::CRCAll);
    built.createIndex(VoiceListField::CRCExName);
    built.createIndex(VoiceListField::ChecksumAll);
    built.reserve(bytes.size() / size + 1);

    BusyCursor busy;
    std::int64_t counter = 1;
    std::array<std::uint8_t, kUnpackedVoiceSize> voice{};
    std::array<platform::Value, VoiceListField::Count> values;  // one record's fields, reused
    for (std::size_t at = 0; at < bytes.size(); at += size) {
        const std::size_t index = at / size;
        if (index % kVoicesPerBank == 0)
            status("Setting up database for bank" + Str(static_cast<std::int64_t>(index / kVoicesPerBank + 1)));
        try {
            // A short last voice is zero-padded.
            const std::size_t take = std::min(size, bytes.size() - at);
            std::memcpy(voice.data(), bytes.data() + at, take);
            std::memset(voice.data() + take, 0, size - take);
            const std::span<const std::uint8_t> v(voice.data(), size);
            const std::string_view data = textOf(v.first(size - kNameLength));
            std::string name = CleanVoiceName(v.last(kNameLength), NamesRepaired);
            std::fill(values.begin(), values.end(), platform::Value());
            values[VoiceListField::ID] = std::to_string(counter);
            values[VoiceListField::Data] = std::string(data);
            if (fingerprints == Fingerprints::Fill) {
                name.resize(kNameLength, ' ');
                Crc32 crc;
                crc.update(data);
                values[VoiceListField::CRCExName] = signedText(crc.signedValue());
                crc.update(name);
                values[VoiceListField::CRCAll] = signedText(crc.signedValue());
                const std::uint32_t dataSum = byteSum(data);
                values[VoiceListField::ChecksumAll] = signedText(checksumOfSum(dataSum + byteSum(name)));
                values[VoiceListField::ChecksumExName] = signedText(checksumOfSum(dataSum));
            }
            values[VoiceListField::Names] = std::move(name);
            values[VoiceListField::DelSelected] = false;
            built.appendRecordFrom(values);
        } catch (const std::exception&) {
            const std::int64_t bank = static_cast<std::int64_t>(index / kVoicesPerBank + 1);
            (void)platform::messages().messageBox(
                "An error occured whilst building" + kCrLf + "a database for " + std::string(FileTitle) + kCrLf +
                    kCrLf + "The error occured in Patch" + Str(counter % 32) + " in Bank" + Str(bank) + kCrLf +
                    kCrLf + "The file may be corrupt.",
                platform::MsgStyle::Exclamation, "Error reading data");
        }
        ++counter;
    }
    clearStatus();
    VoiceCount = built.recordCount();
    built.moveFirst();
    rs = std::move(built);
    return false;
}

platform::Recordset& clsVoiceNames::CalcCRCColumns(platform::Recordset& rs, bool ExcludeName)
{
    BusyCursor busy;
    status("Please wait - calculating CRC values");
    const int target = ExcludeName ? VoiceListField::CRCExName : VoiceListField::CRCAll;
    std::string scratch;
    for (rs.moveFirst(); !rs.isEOF(); rs.moveNext()) {
        Crc32 crc;
        crc.update(storedText(rs.value(VoiceListField::Data)));
        if (!ExcludeName)
            crc.update(nameOf(rs, scratch));
        rs.setValue(target, signedText(crc.signedValue()));
    }
    rs.moveFirst();
    clearStatus();
    return rs;
}

platform::Recordset& clsVoiceNames::CalcChecksumColumns(platform::Recordset& rs, bool ExcludeName)
{
    BusyCursor busy;
    status("Please wait - calculating Checksum values");
    const int target = ExcludeName ? VoiceListField::ChecksumExName : VoiceListField::ChecksumAll;
    std::string scratch;
    for (rs.moveFirst(); !rs.isEOF(); rs.moveNext()) {
        std::uint32_t sum = byteSum(storedText(rs.value(VoiceListField::Data)));
        if (!ExcludeName)
            sum += byteSum(nameOf(rs, scratch));
        rs.setValue(target, signedText(checksumOfSum(sum)));
    }
    rs.moveFirst();
    clearStatus();
    return rs;
}

platform::Recordset& clsVoiceNames::CalcFingerprintColumns(platform::Recordset& rs)
{
    BusyCursor busy;
    status("Please wait - calculating CRC values");
    std::string scratch;
    for (rs.moveFirst(); !rs.isEOF(); rs.moveNext()) {
        const std::string& data = storedText(rs.value(VoiceListField::Data));
        const std::string_view name = nameOf(rs, scratch);
        Crc32 crc;
        crc.update(data);
        const std::int32_t exName = crc.signedValue();
        crc.update(name);
        const std::uint32_t dataSum = byteSum(data);
        rs.setValue(VoiceListField::CRCAll, signedText(crc.signedValue()));
        rs.setValue(VoiceListField::CRCExName, signedText(exName));
        rs.setValue(VoiceListField::ChecksumAll, signedText(checksumOfSum(dataSum + byteSum(name))));
        rs.setValue(VoiceListField::ChecksumExName, signedText(checksumOfSum(dataSum)));
    }
    rs.moveFirst();
    clearStatus();
    return rs;
}

bool clsVoiceNames::ConvertVariantArraytoByteArray(FileType fileType, const platform::Recordset& varRecset,
                                                   std::vector<std::uint8_t>& bytRecsetasArray,
                                                   std::int32_t recCount)
{
    BusyCursor busy;
    status("Please Wait - Checking File");
    const std::size_t dataLength = isUnpackedLayout(fileType) ? kUnpackedDataSize : kPackedDataSize;
    std::vector<std::uint8_t> out;
    const std::size_t rows = static_cast<std::size_t>(std::max(recCount, 0));
    out.reserve((dataLength + kNameLength) * rows);
    std::size_t done = 0;
    varRecset.forEach([&](const platform::RowRef& row) {
        if (done++ >= rows)
            return;
        appendFixed(out, storedText(row.value(VoiceListField::Data)), dataLength, 0);
        appendFixed(out, storedText(row.value(VoiceListField::Names)), kNameLength, ' ');
    });
    // Records that were not there (recCount above the count) read as zero bytes.
    out.resize((dataLength + kNameLength) * rows, 0);
    bytRecsetasArray = std::move(out);
    clearStatus();
    return false;
}

std::int32_t clsVoiceNames::RecordsetToByteArray(platform::Recordset& rs, std::vector<std::uint8_t>& out,
                                                 FileType fileType)
{
    BusyCursor busy;
    status("Please wait");
    std::int32_t crc = kCrcNoVoices;
    if (rs.recordCount() > 0) {
        ConvertVariantArraytoByteArray(fileType, rs, out, rs.recordCount());
        rs.moveFirst();
        CalcCRC32Byt(out, crc);
    }
    clearStatus();
    return crc;
}

std::int32_t clsVoiceNames::BankImageCRC(const platform::Recordset& rs, FileType fileType)
{
    if (rs.recordCount() == 0)
        return kCrcNoVoices;
    const std::size_t dataLength = isUnpackedLayout(fileType) ? kUnpackedDataSize : kPackedDataSize;
    Crc32 crc;
    std::vector<std::uint8_t> record;
    record.reserve(dataLength + kNameLength);
    rs.forEach([&](const platform::RowRef& row) {
        record.clear();
        appendFixed(record, storedText(row.value(VoiceListField::Data)), dataLength, 0);
        appendFixed(record, storedText(row.value(VoiceListField::Names)), kNameLength, ' ');
        crc.update(record);
    });
    return crc.signedValue();
}

bool clsVoiceNames::HasChanged(VoiceListView& list)
{
    return list.SavedCRC() == kSavedCrcTemporary || BankImageCRC(list.rsmfimage(), list.fileType()) != list.SavedCRC();
}

// ---- fingerprints and checksums

std::int32_t clsVoiceNames::CalcCRC32(std::string_view strTest, bool blnQuiet)
{
    BusyCursor busy(!blnQuiet);
    if (!blnQuiet)
        status("Please wait - calculating CRC");
    const auto crc = static_cast<std::int32_t>(crc32(strTest));
    if (!blnQuiet)
        clearStatus();
    return crc;
}

std::int32_t clsVoiceNames::CalcCRC32Byt(std::span<const std::uint8_t> bytes, std::int32_t& crc)
{
    crc = static_cast<std::int32_t>(crc32(bytes));
    return crc;
}

std::uint8_t clsVoiceNames::CalcChecksum(std::string_view text, std::int32_t& first, std::int32_t& last,
                                         bool blnQuiet, std::int32_t& sum)
{
    BusyCursor busy(!blnQuiet);
    if (first == 0) {
        first = 1;
        last = static_cast<std::int32_t>(text.size());
    }
    sum = 0;
    const std::int64_t from = std::max<std::int64_t>(first, 1);
    const std::int64_t to = std::min<std::int64_t>(last, static_cast<std::int64_t>(text.size()));
    for (std::int64_t i = from; i <= to; ++i)
        sum += static_cast<unsigned char>(text[static_cast<std::size_t>(i - 1)]);
    return static_cast<std::uint8_t>((0u - static_cast<std::uint32_t>(sum)) & 0x7Fu);
}

std::uint8_t clsVoiceNames::CalcChecksumByt(std::span<const std::uint8_t> bytes, bool blnQuiet, std::int32_t& sum)
{
    BusyCursor busy(!blnQuiet);
    sum = 0;
    for (std::uint8_t b : bytes)
        sum += b;
    return DX7Checksum(bytes);
}

// ---- selection tracker

bool clsVoiceNames::TrReset(std::int32_t VoiceNo, std::int32_t totvoices, std::vector<bool>& tr,
                            std::int32_t& nosels)
{
    if (VoiceNo < 0)
        return true;
    tr.assign(static_cast<std::size_t>(std::max(totvoices, 0)) + 1, false);
    if (VoiceNo >= 1 && VoiceNo <= totvoices) {
        tr[static_cast<std::size_t>(VoiceNo)] = true;
        nosels = 1;
    } else {
        // Nothing is selected any more, so the count follows the cleared flags.
        nosels = 0;
    }
    return false;
}

bool clsVoiceNames::TrAdd(std::int32_t startvoiceno, std::int32_t& endvoiceno, std::int32_t totalnovoices,
                          std::vector<bool>& tr, std::int32_t& trSelections)
{
    if (startvoiceno < 1 || startvoiceno > totalnovoices)
        return true;
    if (endvoiceno > totalnovoices)
        endvoiceno = totalnovoices;
    if (tr.size() <= static_cast<std::size_t>(totalnovoices))
        tr.resize(static_cast<std::size_t>(totalnovoices) + 1, false);
    // Only voices not yet selected are counted, so the count always equals the flags set.
    const auto select = [&](std::int32_t voice) {
        if (!tr[static_cast<std::size_t>(voice)]) {
            tr[static_cast<std::size_t>(voice)] = true;
            ++trSelections;
        }
    };
    if (endvoiceno == 0) {
        select(startvoiceno);
        return false;
    }
    BusyCursor busy;
    for (std::int32_t v = startvoiceno; v <= endvoiceno; ++v)
        select(v);
    return false;
}

// ---- wrappers and layout conversion

void clsVoiceNames::VoiceSizeForType(FileType fileType, std::int32_t& size)
{
    const std::size_t s = voiceSizeOf(fileType);
    size = s == 0 ? -1 : static_cast<std::int32_t>(s);
}

std::string clsVoiceNames::AddWrapper(std::string_view strbuf, FileType otype)
{
    std::string out(kSysexHeaderSize, '\0');
    auto* header = reinterpret_cast<std::uint8_t*>(out.data());
    if (otype == FileType::UnpackedSysex)
        writeHeader(header, kFormatSingleVoice, kSingleCountHigh, kSingleCountLow);
    else
        writeHeader(header, kFormatBulkVoices, kBulkCountHigh, kBulkCountLow);
    out.append(strbuf);
    out += static_cast<char>(DX7Checksum(bytesOf(strbuf)));
    out += static_cast<char>(kSysexEnd);
    return out;
}

bool clsVoiceNames::AddWrappersByt(std::span<const std::uint8_t> data, std::vector<std::uint8_t>& out,
                                   FileType fileType)
{
    BusyCursor busy;
    const bool unpacked = isUnpackedLayout(fileType);
    const std::size_t unit = unpacked ? kUnpackedVoiceSize : kBankDataSize;
    const std::size_t count = (data.size() + unit - 1) / unit;
    out.clear();
    out.reserve(data.size() + count * (kSysexOverhead + kPackedVoiceSize));
    for (std::size_t i = 0; i < count; ++i) {
        if (unpacked && i % kVoicesPerBank == 0)
            status("Please wait - adding sysex wrappers to voice " + Str(static_cast<std::int64_t>(i + 1)) +
                   " of " + Str(static_cast<std::int64_t>(count)));
        const std::size_t from = i * unit;
        const std::size_t available = std::min(unit, data.size() - from);
        // The last bank of packed data holds only its voices; a partial voice is padded.
        std::size_t length = unit;
        if (!unpacked)
            length = (available + kPackedVoiceSize - 1) / kPackedVoiceSize * kPackedVoiceSize;
        const std::size_t start = out.size();
        out.resize(start + kSysexHeaderSize);
        if (unpacked)
            writeHeader(out.data() + start, kFormatSingleVoice, kSingleCountHigh, kSingleCountLow);
        else
            writeHeader(out.data() + start, kFormatBulkVoices, kBulkCountHigh, kBulkCountLow);
        const auto chunk = data.subspan(from, available);
        out.insert(out.end(), chunk.begin(), chunk.end());
        out.insert(out.end(), length - available, 0);
        out.push_back(DX7Checksum(chunk));
        out.push_back(kSysexEnd);
    }
    if (unpacked)
        clearStatus();
    return false;
}

bool clsVoiceNames::StripHeadersByt(std::span<const std::uint8_t> data, FileType fileType,
                                    std::vector<std::uint8_t>& out)
{
    BusyCursor busy;
    const std::size_t total = data.size();
    if (fileType != FileType::UnpackedSysex && fileType != FileType::PackedSysex) {
        out.assign(data.begin(), data.end());
        return false;
    }
    const bool single = fileType == FileType::UnpackedSysex;
    const std::size_t unit = single ? kSingleVoiceDumpSize : kBulkVoiceDumpSize;
    const std::size_t dataLength = single ? kUnpackedVoiceSize : kBankDataSize;
    // Single dumps: the nearest whole number of units. Banks: every unit that starts,
    // the last one as long as it is (8 + 128·m bytes for a short bank).
    const std::size_t count = single ? (total + unit / 2) / unit : (total + unit - 1) / unit;
    out.clear();
    out.reserve(count * dataLength);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t from = i * unit + kSysexHeaderSize;
        std::size_t length = dataLength;
        if (!single && i + 1 == count) {
            const std::size_t rest = total % unit == 0 ? unit : total % unit;
            length = rest > kSysexOverhead ? rest - kSysexOverhead : 0;
        }
        if (from >= total)
            break;
        length = std::min(length, total - from);
        out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(from),
                   data.begin() + static_cast<std::ptrdiff_t>(from + length));
    }
    return false;
}

std::string clsVoiceNames::stripheaders(std::string_view sbuf, FileType& FType, bool ChangeFType)
{
    std::string result;
    if (FType != FileType::UnpackedSysex && FType != FileType::PackedSysex) {
        result = std::string(sbuf);
    } else {
        std::vector<std::uint8_t> out;
        StripHeadersByt(bytesOf(sbuf), FType, out);
        result.assign(out.begin(), out.end());
    }
    if (ChangeFType) {
        if (FType == FileType::UnpackedSysex)
            FType = FileType::Unpacked;
        else if (FType == FileType::PackedSysex)
            FType = FileType::Packed;
    }
    return result;
}

bool clsVoiceNames::RestructureFileBufferByt(std::vector<std::uint8_t>& bytbuf, FileType oldFileType,
                                             FileType newfiletype)
{
    const bool toPacked = isUnpackedLayout(oldFileType) && isPackedLayout(newfiletype);
    const bool toUnpacked = isPackedLayout(oldFileType) && isUnpackedLayout(newfiletype);
    if (!toPacked && !toUnpacked)
        return false;
    BusyCursor busy;
    status("Please Wait - Changing file type");
    const std::size_t inUnit = toPacked ? kUnpackedVoiceSize : kPackedVoiceSize;
    const std::size_t outUnit = toPacked ? kPackedVoiceSize : kUnpackedVoiceSize;
    const std::size_t voices = (bytbuf.size() + inUnit - 1) / inUnit;
    const std::string banks = platform::Trim(
        Str(static_cast<double>(bytbuf.size()) / static_cast<double>(kVoicesPerBank * inUnit)));
    std::vector<std::uint8_t> out(voices * outUnit);
    std::array<std::uint8_t, kUnpackedVoiceSize> in{};
    for (std::size_t v = 0; v < voices; ++v) {
        if (v % kVoicesPerBank == 0)
            status("Please Wait - Converting Bank " + std::to_string(v / kVoicesPerBank + 1) + " of " + banks);
        // A partial last voice is zero-padded.
        const std::size_t from = v * inUnit;
        const std::size_t take = std::min(inUnit, bytbuf.size() - from);
        std::memcpy(in.data(), bytbuf.data() + from, take);
        std::memset(in.data() + take, 0, inUnit - take);
        if (toPacked)
            clsVoiceData::packVoice(std::span<const std::uint8_t, kUnpackedVoiceSize>(in.data(), kUnpackedVoiceSize),
                                    std::span<std::uint8_t, kPackedVoiceSize>(out.data() + v * outUnit,
                                                                              kPackedVoiceSize));
        else
            clsVoiceData::unpackVoice(std::span<const std::uint8_t, kPackedVoiceSize>(in.data(), kPackedVoiceSize),
                                      std::span<std::uint8_t, kUnpackedVoiceSize>(out.data() + v * outUnit,
                                                                                  kUnpackedVoiceSize));
    }
    bytbuf = std::move(out);
    clearStatus();
    return false;
}

// ---- bank files

bool clsVoiceNames::TransferFileIn(const std::string& path, std::vector<std::uint8_t>& bytes)
{
    const std::string title = clsVoiceLists::GetFileTitle(path);
    platform::ReadResult read = platform::readWholeFile(path);
    if (read.error != platform::FileError::None) {
        // The reason in the words the print preview and Send File use ("File too large: ...").
        (void)platform::messages().messageBox("Couldn't open " + title + kCrLf + read.message,
                                              platform::MsgStyle::Exclamation, "File Access Error");
        return true;
    }
    BusyCursor busy;
    status("Please Wait - reading " + title);
    bytes = std::move(read.bytes);
    clearStatus();
    return false;
}

bool clsVoiceNames::TransferFileOut(const std::string& path, std::span<const std::uint8_t> bytes)
{
    const std::string title = clsVoiceLists::GetFileTitle(path);
    BusyCursor busy;
    status("Please Wait - saving" + title);
    std::string reason;
    const platform::FileError error = platform::writeFileAtomic(path, bytes, &reason);
    clearStatus();
    if (error == platform::FileError::None)
        return false;
    // The old file, if any, is untouched.
    std::string why;
    switch (error) {
    case platform::FileError::AccessDenied:  // a file or folder the user may not write
    case platform::FileError::IsDirectory:
    case platform::FileError::WriteFailed:
    case platform::FileError::NoSpace:
    case platform::FileError::TooLarge:
        why = platform::fileErrorText(error);
        break;
    case platform::FileError::NotAFile:  // a pipe, a device or a socket
        why = platform::notAFileText(title);
        break;
    default:  // a missing folder, a symbolic-link loop, a name the system refuses
        why = reason.empty() ? platform::fileErrorText(error) : reason;
        break;
    }
    const std::string text = "Couldn't save " + title + kCrLf + why;
    (void)platform::messages().messageBox(text, platform::MsgStyle::Exclamation, "File Access Error");
    return true;
}

bool clsVoiceNames::GetFileByt(const std::string& fname, const std::string& ftitle, FileType FType,
                               std::vector<std::uint8_t>& obyt, std::int32_t& lngChecksum, bool stripheaders)
{
    lngChecksum = kCrcNoVoices;
    const auto emptyFile = [&] {
        (void)platform::messages().messageBox("No voice data found in " + ftitle + kCrLf +
                                                  "Please select another file",
                                              platform::MsgStyle::Critical, "Empty File");
        return true;
    };
    const auto invalidType = [&] {
        (void)platform::messages().messageBox(
            ftitle + " cannot be loaded as it does not contain DX format voice data." + kCrLf +
                "Please select another file",
            platform::MsgStyle::Critical, "Invalid file type");
        clearStatus();
        return true;
    };

    const std::int64_t size = platform::fileSize(fname);
    if (size >= 0 && size < static_cast<std::int64_t>(kPackedVoiceSize))
        return emptyFile();
    if (!isVoiceLayout(FType))
        return invalidType();

    status("Please Wait - reading " + ftitle);
    std::vector<std::uint8_t> buffer;
    if (TransferFileIn(fname, buffer)) {
        clearStatus();
        return true;
    }
    // The file may have changed since its size was taken.
    if (buffer.size() < kPackedVoiceSize) {
        clearStatus();
        return emptyFile();
    }
    if (isWrappedLayout(FType)) {
        const std::uint8_t format = FType == FileType::UnpackedSysex ? kFormatSingleVoice : kFormatBulkVoices;
        if (buffer[kSysexOffsetManufacturer] != kYamahaId || buffer[kSysexOffsetFormat] != format)
            return invalidType();
    }
    std::vector<std::uint8_t> stripped;
    StripHeadersByt(buffer, FType, stripped);
    const std::size_t voiceSize = voiceSizeOf(FType);
    VoiceCount = static_cast<std::int32_t>((stripped.size() + voiceSize - 1) / voiceSize);
    CalcCRC32Byt(stripped, lngChecksum);
    obyt = stripheaders ? std::move(stripped) : std::move(buffer);
    clearStatus();
    return false;
}

std::int32_t clsVoiceNames::OpenFileAsRecordsetByt(const std::string& path, const std::string& title,
                                                   FileType fileType, platform::Recordset& rs,
                                                   Fingerprints fingerprints)
{
    std::vector<std::uint8_t> bytes;
    std::int32_t crc = kCrcNoVoices;
    if (GetFileByt(path, title, fileType, bytes, crc, true))
        return kCrcNoVoices;
    bool repaired = false;
    Recordset built;
    if (BuildRecordsetFromBytes(fileType, title, built, bytes, repaired, fingerprints))
        return kCrcNoVoices;
    if (repaired)
        (void)platform::messages().messageBox(
            "Some of the voice names in " + title + " contain invalid characters that cannot be displayed." +
                kCrLf + kCrLf + "\t\tThese have been replaced with spaces." + kCrLf + kCrLf +
                "If you do not want to make these changes permanent, close the file now without saving it",
            platform::MsgStyle::Exclamation, "Invalid Voice Name Characters");
    rs = std::move(built);
    return crc;
}

bool clsVoiceNames::SaveVoiceDataToFileByt(std::span<const std::uint8_t> buf, const std::string& fname,
                                           FileType fileType, bool blnAddHeader, std::string ftitle,
                                           std::int32_t lngFlags)
{
    // Linux has no hidden attribute: every bank file is written as a normal file.
    (void)lngFlags;
    if (ftitle.empty())
        ftitle = clsVoiceLists::GetFileTitle(fname);
    status("Please Wait - Saving " + ftitle);
    bool failed = false;
    if (isWrappedLayout(fileType) && blnAddHeader) {
        std::vector<std::uint8_t> wrapped;
        AddWrappersByt(buf, wrapped, fileType);
        failed = TransferFileOut(fname, wrapped);
    } else {
        failed = TransferFileOut(fname, buf);
    }
    clearStatus();
    return failed;
}

bool clsVoiceNames::SaveVoiceDataToFileByt(std::string_view strbuf, const std::string& fname,
                                           FileType fileType, bool blnAddHeader, std::string ftitle,
                                           std::int32_t lngFlags)
{
    if (strbuf.empty())
        return true;
    return SaveVoiceDataToFileByt(bytesOf(strbuf), fname, fileType, blnAddHeader, std::move(ftitle), lngFlags);
}

bool clsVoiceNames::IsFileOpenInOtherList(const std::string& path, VoiceListView* current, VoiceListView*& list)
{
    const std::string currentName = current != nullptr ? current->FileName() : std::string();
    for (VoiceListView* other : appState().colVoiceLists().lists()) {
        if (other != nullptr && other->FileName() == path && other->FileName() != currentName) {
            list = other;
            return true;
        }
    }
    return false;
}

// ---- the active window

VoiceListView* clsVoiceNames::GetCurrentVoiceListAndEditor(std::string& VoiceListID,
                                                           VoiceEditorView*& CurrentEditor,
                                                           bool& EditorNotActive)
{
    const ActiveWindow active = appState().activeWindow();
    if (active.editor != nullptr) {
        VoiceListID = active.editor->VoiceListID();
        CurrentEditor = active.editor;
        return appState().colVoiceLists().Item(VoiceListID);
    }
    EditorNotActive = true;
    if (active.list != nullptr) {
        VoiceListID = active.list->ListID();
        return active.list;
    }
    VoiceListID = std::string(kNoForms);
    return nullptr;
}

}  // namespace banklib
