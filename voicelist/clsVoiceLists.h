// Brevane - the registry of open voice-list windows (the main window's colVoiceLists).
//
// One entry per open bank file, in opening order, keyed by "L" and a four-digit number
// that is never reused within a run. Add makes the window for a file (asking about a
// file that is open already and checking the file), Delete takes it out again when it
// closes or when its file could not be read. The same file reached by another path
// (".", "..", a symbolic link) counts as open already; a path that differs only in
// letter case names another file.
#pragma once

#include "banklib/VoiceListRegistry.h"
#include "banklib/clsVoiceLists.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QMdiArea;

namespace shell {

class frmVoiceList;

class clsVoiceLists final : public banklib::VoiceListRegistry {
public:
    // area: where new windows go (asked each time; nullptr makes windows of their own).
    explicit clsVoiceLists(std::function<QMdiArea*()> area);
    ~clsVoiceLists() override;
    clsVoiceLists(const clsVoiceLists&) = delete;
    clsVoiceLists& operator=(const clsVoiceLists&) = delete;

    // The registry's own identity: settable once ("Error: VoiceList form ID already set").
    [[nodiscard]] std::string ID() const { return m_id; }
    void setID(const std::string& id);
    // The number the next registered window gets (the file counter + 1); asking takes
    // no number.
    std::int16_t NextFileNo() override;
    [[nodiscard]] std::string FileName() const { return {}; }
    [[nodiscard]] std::string FileTitle() const { return {}; }
    [[nodiscard]] std::string FilePath() const { return {}; }
    // FileType of the window registered last.
    [[nodiscard]] banklib::FileType FileType() const { return m_lastFileType; }

    banklib::VoiceListView* Add(const std::string& path, bool& cancel, banklib::FileType& fileType) override;
    // Before a file is opened (or written) anew: when a window shows it, by whatever path,
    // asks "Revert to last saved version ?"; Yes closes that window with its own questions.
    // True when no window shows the file any more; false (nothing changed) on No or
    // Cancel, or when that window stayed open.
    [[nodiscard]] bool closeForReopen(const std::string& path);
    void Delete(const std::string& listID) override;
    [[nodiscard]] static std::string GetFileTitle(const std::string& path);
    [[nodiscard]] banklib::FileCheck CheckFileIntegrity(std::string& fname, banklib::FileType& fileType, bool quiet);
    [[nodiscard]] static banklib::FileType GetFileType(std::int64_t length);
    std::int32_t count() const override { return static_cast<std::int32_t>(m_windows.size()); }
    banklib::VoiceListView* Item(const std::string& listID) override;
    banklib::VoiceListView* Item(std::int32_t position) override;
    std::vector<banklib::VoiceListView*> lists() override;

    // The windows in opening order, and the one of a key (nullptr when none).
    [[nodiscard]] const std::vector<frmVoiceList*>& windows() const { return m_windows; }
    [[nodiscard]] frmVoiceList* window(const std::string& listID) const;
    [[nodiscard]] bool contains(const frmVoiceList* window) const;

private:
    // The first window showing the file, by whatever path; its key in key.
    [[nodiscard]] bool FindOpenList(const std::string& path, std::string& key) const;
    // File > Close and Close All, and Midi > Send with its Voice and Bank entries and the
    // "Send Bank" button, follow the registry: run after each registration and removal, it
    // has the main window recompute its commands, whose table enables them while a list is
    // open (and, for sending, the MIDI output too).
    static void SetSendCommands();

    std::function<QMdiArea*()> m_area;
    std::vector<frmVoiceList*> m_windows;
    std::int32_t m_fileCounter = 0;
    banklib::FileType m_lastFileType = banklib::FileType::Unpacked;
    std::string m_id;
    bool m_idSet = false;
};

}  // namespace shell
