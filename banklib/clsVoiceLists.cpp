// Brevane - recognising voice bank files and received dumps.
#include "banklib/clsVoiceLists.h"

#include "platform/FileIO.h"
#include "platform/Services.h"
#include "platform/VbText.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace banklib {
namespace {

using platform::kCrLf;

// SY-series block header: 43 bytes; byte 1 is 43h, bytes 6-15 the block name, byte 32
// the index of the next block's offset.
constexpr std::size_t kSyHeaderSize = 43;
constexpr std::size_t kSyOffsetDevice = 1;
constexpr std::size_t kSyOffsetName = 6;
constexpr std::size_t kSyNameLength = 10;
constexpr std::size_t kSyOffsetSizeIndex = 32;
constexpr std::string_view kSyFirstBlock = "LM  8101VC";
constexpr std::string_view kSyVoiceBlock = "LM  0040VC";
// The SY test reads no further than this into a file.
constexpr std::size_t kSyHeadSize = 4096;

bool hasHeader(std::span<const std::uint8_t> data, std::size_t at, std::span<const std::uint8_t> format)
{
    if (at + 3 + format.size() > data.size())
        return false;
    return data[at] == kSysexStart && data[at + kSysexOffsetManufacturer] == kYamahaId &&
           (data[at + kSysexOffsetDevice] & 0xF0) == 0 &&
           std::equal(format.begin(), format.end(), data.begin() + static_cast<std::ptrdiff_t>(at + 3));
}

bool allUnitsWrappedAsBulk(std::span<const std::uint8_t> data)
{
    static constexpr std::uint8_t kFormat[] = {kFormatBulkVoices};
    const std::size_t size = data.size();
    const std::size_t rest = size % kBulkVoiceDumpSize;
    // A short last bank holds 1 to 31 voices: 8 + 128·m bytes.
    if (size == 0 || (rest != 0 && (rest < kSysexOverhead + kPackedVoiceSize ||
                                    (rest - kSysexOverhead) % kPackedVoiceSize != 0)))
        return false;
    for (std::size_t at = 0; at < size; at += kBulkVoiceDumpSize)
        if (!hasHeader(data, at, kFormat))
            return false;
    return true;
}

bool allUnitsWrappedAsSingle(std::span<const std::uint8_t> data)
{
    static constexpr std::uint8_t kFormat[] = {kFormatSingleVoice, kSingleCountHigh, kSingleCountLow};
    if (data.empty() || data.size() % kSingleVoiceDumpSize != 0)
        return false;
    for (std::size_t at = 0; at < data.size(); at += kSingleVoiceDumpSize)
        if (!hasHeader(data, at, kFormat))
            return false;
    return true;
}

}  // namespace

FileType clsVoiceLists::GetFileType(std::int64_t lngLength)
{
    const std::int64_t size = lngLength;
    if (size % 155 == 0)
        return FileType::Unpacked;
    if (size % 128 == 0)
        return FileType::Packed;
    if (size % 163 == 0)
        return FileType::UnpackedSysex;
    // Whole banks, or whole banks and one short bank of 8 + 128·m bytes. The remainder
    // truncates towards zero, so a rest below 8 never passes the second test.
    if (size % 4104 == 0 || (size % 4104 - 8) % 128 == 0)
        return FileType::PackedSysex;
    return FileType::Unrecognised;
}

FileType clsVoiceLists::PreferWrappedLayout(std::span<const std::uint8_t> data, FileType bySize)
{
    if (bySize != FileType::Unpacked && bySize != FileType::Packed)
        return bySize;
    if (allUnitsWrappedAsBulk(data))
        return FileType::PackedSysex;
    if (allUnitsWrappedAsSingle(data))
        return FileType::UnpackedSysex;
    return bySize;
}

std::string clsVoiceLists::GetFileTitle(std::string_view path)
{
    const std::size_t cut = path.find_last_of("/\\");
    return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

void clsVoiceLists::InitSYBlockSizes()
{
    static constexpr std::int16_t kSizes[] = {466, 832, 1564, 466, 832, 221, 342, 584, 587, 1074, 588,
                                              108, 115, 129, 108, 115, 108, 115, 129, 115, 129, 632};
    m_SYBlockSize.fill(0);
    std::copy(std::begin(kSizes), std::end(kSizes), m_SYBlockSize.begin());
    m_SYBlockSize[31] = 203;
    m_SYBlockSize[41] = 145;
    m_SYBlockSize[42] = 58;
    m_SYBlockSize[43] = 44;
}

SyCheck clsVoiceLists::CheckSYFormat(std::span<const std::uint8_t> head, FileType& fileType)
{
    InitSYBlockSizes();
    fileType = FileType::Unpacked;
    if (head.empty())
        return SyCheck::EmptyFile;
    // The test looks at most at the first 4096 bytes; anything missing reads as 0.
    std::array<std::uint8_t, kSyHeadSize + kSyHeaderSize> view{};
    std::memcpy(view.data(), head.data(), std::min(head.size(), kSyHeadSize));
    const auto blockName = [&](std::size_t at) {
        return std::string_view(reinterpret_cast<const char*>(view.data()) + at + kSyOffsetName,
                                kSyNameLength);
    };
    if (view[kSyOffsetDevice] != kYamahaId)
        return SyCheck::WrongDevice;
    if (blockName(0) != kSyFirstBlock)
        return SyCheck::WrongBlockName;
    const auto next = static_cast<std::size_t>(m_SYBlockSize[view[kSyOffsetSizeIndex]]);
    if (blockName(next) == kSyVoiceBlock) {
        fileType = FileType::Packed;
        return SyCheck::SyVoiceFile;
    }
    fileType = FileType::UnpackedSysex;
    return SyCheck::SyFile;
}

FileCheck clsVoiceLists::CheckFileIntegrity(std::string& fname, FileType& fileType, bool blnQuiet,
                                            std::string_view strbuf)
{
    fileType = FileType::NotFound;
    FileType code = FileType::NotFound;
    std::int64_t size = 0;
    const bool fileForm = !fname.empty();
    bool notAFile = false;  // the name is there, but as a folder, a pipe or a device

    if (fileForm) {
        size = platform::fileSize(fname);
        if (size < 0) {
            code = FileType::NotFound;
            std::error_code error;
            notAFile = std::filesystem::exists(fname, error);
        } else if (size == 0) {
            code = FileType::Empty;
        } else {
            // Read-only: a check never creates or changes a file. A file that cannot be
            // read counts as not being an SY file and is classified by its size alone.
            platform::ReadResult read = platform::readWholeFile(fname);
            std::span<const std::uint8_t> bytes;
            if (read.error == platform::FileError::None) {
                bytes = read.bytes;
                size = static_cast<std::int64_t>(read.bytes.size());
            }
            FileType syType = FileType::Unpacked;
            const SyCheck sy = bytes.empty() ? SyCheck::NoFile : CheckSYFormat(bytes, syType);
            if (sy == SyCheck::SyFile || sy == SyCheck::SyVoiceFile)
                code = FileType::SyFormat;
            else if (size == 0)
                code = FileType::Empty;
            else
                code = PreferWrappedLayout(bytes, GetFileType(size));
        }
    } else {
        size = static_cast<std::int64_t>(strbuf.size());
        if (size == 0) {
            code = FileType::Empty;
            fname = "The buffer ";
        } else {
            const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(strbuf.data()),
                                                      strbuf.size());
            code = PreferWrappedLayout(bytes, GetFileType(size));
        }
    }

    std::string text;
    if (code == FileType::Unrecognised && fileForm) {
        const std::string sizeText = platform::Str(size);
        text = fname + " is not in a recognisable DX7 data format as the file is" + sizeText +
               " bytes long." + kCrLf + kCrLf + "Patch files must be either:" + kCrLf + kCrLf + "\t" +
               "multiples of 163 or 155 bytes if the data is unpacked and either with or without sysex wrappers" +
               kCrLf + "Or" + kCrLf + "\t" + "multiples of 4104 0r 4096 bytes if the data is packed ." + kCrLf +
               kCrLf + "Packed files contain banks of (up to) 32 patches each 128 bytes long." + kCrLf + kCrLf +
               fname + " does not appear to fit any of these categories." + kCrLf + kCrLf +
               "Would you like to continue loading the file anyway ?";
        // Asked even when quiet: only the user can decide to load such a file.
        const auto answer = platform::messages().messageBox(
            text, platform::MsgStyle::YesNoCancel + platform::MsgStyle::Exclamation, "Unrecognised File Type");
        if (answer != platform::MsgAnswer::Yes) {
            fileType = FileType::NotFound;
            return FileCheck::NotFound;
        }
        code = size < static_cast<std::int64_t>(kBankDataSize) ? FileType::Unpacked : FileType::Packed;
    }
    if (isVoiceLayout(code)) {
        fileType = code;
        return FileCheck::Ok;
    }

    switch (code) {
    case FileType::Unrecognised:
        text = "Unrecognised sysex message received (" + platform::Str(size) + ") bytes.";
        break;
    case FileType::Empty:
        text = fname + " is empty";
        break;
    case FileType::SyFormat:
        text = fname + " is a SY format file ";
        break;
    default:
        if (notAFile)
            text = platform::notAFileText(fname);
        else if (fname.size() >= 10 && fname.compare(fname.size() - 10, 10, "DXInit.dat") == 0)
            text = "The source file DXInit.dat can't be found";
        else
            text = "Can't find " + fname;
        break;
    }
    if (!blnQuiet)
        (void)platform::messages().messageBox(
            text, platform::MsgStyle::OkCancel + platform::MsgStyle::Exclamation, "Error Opening File");
    fileType = code;
    return static_cast<FileCheck>(toCode(code));
}

}  // namespace banklib
