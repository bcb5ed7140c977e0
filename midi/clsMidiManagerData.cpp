// Brevane - the MIDI Manager's data: the traffic monitor log and the bank slots. Its sends
// are in MidiManagerSends.cpp.
#include "midi/clsMidiManagerData.h"

#include "midi/MidiWindows.h"
#include "midi/clsMIDIInit.h"
#include "platform/Services.h"
#include "platform/VbText.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <span>
#include <vector>

namespace midi {
namespace {

using platform::FieldType;

// The monitor log's fields, in MonitorField order, with their widths. The message bytes
// are kept as variable-length text so that a message of any length, and short-message
// bytes that happen to be blanks, read back exactly; so is the description, which the
// monitor shows whole however long it is (a file's name in it, say).
platform::Recordset makeMonitorLog()
{
    return platform::Recordset({
        {"Timestamp", FieldType::FixedText, 10},
        {"No", FieldType::FixedText, 10},
        {"Channel", FieldType::FixedText, 4},
        {"Message", FieldType::Text, 0},
        {"Data1Title", FieldType::FixedText, 10},
        {"Data1", FieldType::FixedText, 10},
        {"Data2Title", FieldType::FixedText, 10},
        {"Data2", FieldType::FixedText, 10},
        {"Type", FieldType::FixedText, 5},
        {"RawMessage", FieldType::Text, 0},
        {"Status", FieldType::Text, 0},
        {"ShortData1", FieldType::Text, 0},
        {"ShortData2", FieldType::Text, 0},
    });
}

double uniformRandom()
{
    static std::mt19937 engine{std::random_device{}()};
    return std::uniform_real_distribution<double>(0.0, 1.0)(engine);
}

}  // namespace

clsMidiManagerData::clsMidiManagerData()
    : MidiMessage(makeMonitorLog()), m_random(&uniformRandom)
{
}

platform::Recordset* clsMidiManagerData::GetDataMember(std::string_view dataMember)
{
    if (dataMember == "MidiMessage")
        return &MidiMessage;
    if (dataMember == "MidiSysex" && m_slots)
        return m_slots->slotRecordset();
    return nullptr;
}

// ---- monitor log

std::string clsMidiManagerData::FormatTimestamp(std::string_view t)
{
    double ms = platform::Val(t);
    if (!(ms > 0))
        ms = static_cast<double>(platform::eventLoop().nowMs()) - objMIDIInit().MIDIInStartTime();
    // Round to tenths first, so that 59,960 ms reads 0:1:0.0 and never 0:0:60.0.
    const auto tenths = static_cast<std::int64_t>(std::llround(std::max(ms, 0.0) / 100.0));
    const std::int64_t minutesTotal = tenths / 600;
    const std::int64_t hours = minutesTotal / 60;
    const std::int64_t minutes = minutesTotal % 60;
    const std::int64_t secondTenths = tenths - minutesTotal * 600;
    return std::to_string(hours) + ":" + std::to_string(minutes) + ":" + std::to_string(secondTenths / 10) +
           "." + std::to_string(secondTenths % 10);
}

bool clsMidiManagerData::AddMessage(const MonitorLines& values, bool replace)
{
    const bool replaced = replace && !MidiMessage.isEOF() && !MidiMessage.isBOF();
    if (!replaced && MidiMessage.recordCount() >= kMonitorLineCap)
        dropOldestLines();
    platform::Recordset& rs = MidiMessage;
    if (!replaced) {
        rs.addNew();
        const bool noted = m_dropNote != platform::kNoBookmark && rs.contains(m_dropNote);
        rs.setValue(MonitorField::No, std::to_string(m_linesDropped + rs.recordCount() - (noted ? 1 : 0)));
    }
    rs.setValue(MonitorField::Timestamp, FormatTimestamp(values[MonitorField::Timestamp]));
    for (int i = MonitorField::Channel; i < kMonitorFields; ++i)
        rs.setValue(i, values[static_cast<std::size_t>(i)]);
    rs.update();
    const platform::Bookmark row = rs.bookmark();
    windows().setManagerButtonEnabled(2, true);
    rs.moveLast();
    if (m_messageObserver)
        m_messageObserver(row, replaced);
    return false;
}

void clsMidiManagerData::dropOldestLines()
{
    platform::Recordset& log = MidiMessage;
    const std::vector<platform::Bookmark> rows = log.bookmarks();
    // The oldest lines, after the note of the lines dropped before (the first row once
    // there is one). The first line ever to go becomes that note instead.
    const std::size_t first = !rows.empty() && rows.front() == m_dropNote ? 1 : 0;
    const std::size_t count = std::min(static_cast<std::size_t>(kMonitorDropLines), rows.size() - first);
    if (count == 0)
        return;
    m_linesDropped += static_cast<std::int64_t>(count);
    std::span<const platform::Bookmark> gone(rows.data() + first, count);
    if (first == 0) {
        m_dropNote = gone.front();
        gone = gone.subspan(1);
    }
    for (int f = 0; f < kMonitorFields; ++f)
        log.setValueAt(m_dropNote, f, std::string());
    log.setValueAt(m_dropNote, MonitorField::Timestamp, FormatTimestamp(""));
    log.setValueAt(m_dropNote, MonitorField::Message,
                   std::to_string(m_linesDropped) + " older lines removed - the monitor keeps the last " +
                       std::to_string(kMonitorLineCap) + " lines");
    (void)log.deleteRecords(gone);
    // Deleted rows leave empty records behind until the log is copied afresh, which is
    // done once they reach half the log.
    m_deletedRows += gone.size();
    const bool rebuilt = m_deletedRows >= static_cast<std::size_t>(kMonitorLineCap / 2);
    if (rebuilt) {
        MidiMessage = log.copy();
        m_deletedRows = 0;
    }
    MidiMessage.moveLast();
    if (m_messageObserver)
        m_messageObserver(platform::kNoBookmark, rebuilt);
}

// ---- bank slots

bool clsMidiManagerData::AddSysex(std::string data, std::int32_t length, std::int32_t& fileType,
                                  const std::string& name)
{
    if (!m_slots)
        return true;
    return m_slots->AddSysex(std::move(data), length, fileType, name);
}

std::int32_t clsMidiManagerData::StoreInFreeSlot(std::string data, std::int32_t fileType, const std::string& name)
{
    if (!m_slots)
        return 0;
    return m_slots->StoreInFreeSlot(std::move(data), fileType, name);
}

bool clsMidiManagerData::SendSysex()
{
    if (!m_slots)
        return false;
    return m_slots->SendSysex();
}

}  // namespace midi
