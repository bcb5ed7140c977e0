// Brevane - the registry of open voice-list windows (the main window's colVoiceLists).
//
// The shell implements it with the real windows; tests use banklib::testing::FakeRegistry.
// Positions are 1-based and follow the order in which the windows were opened.
#pragma once

#include "banklib/VoiceFormat.h"

#include <cstdint>
#include <string>
#include <vector>

namespace banklib {

class VoiceListView;

class VoiceListRegistry {
public:
    virtual ~VoiceListRegistry() = default;

    // Creates a hidden voice-list window for a file. When a window already shows the
    // path it asks "You already have a file open with this name." / "Revert to last
    // saved version ?" (style 35, "File already open"): Yes closes that window and goes
    // on, No and Cancel set cancel and return nullptr (so does a Yes whose window then
    // refuses to close). The same file reached by another path counts as open. It then checks the file
    // (clsVoiceLists::CheckFileIntegrity); on failure fileType is FileType::NotFound and
    // nullptr is returned. Otherwise the window gets ListID "L" + four digits
    // (NextFileNo), FileName, FileTitle, FilePath and FileType, is registered (and added
    // to the main window's file tree) and returned.
    [[nodiscard]] virtual VoiceListView* Add(const std::string& path, bool& cancel, FileType& fileType) = 0;
    // Removes a window from the registry and the file tree; a list titled "PatchGen.dat"
    // also resets the voice generator. The caller closes the window; the file stays.
    virtual void Delete(const std::string& listID) = 0;
    // The window with this ListID, or nullptr.
    [[nodiscard]] virtual VoiceListView* Item(const std::string& listID) = 0;
    // The window at a 1-based position, or nullptr.
    [[nodiscard]] virtual VoiceListView* Item(std::int32_t position) = 0;
    [[nodiscard]] virtual std::int32_t count() const = 0;
    // The open windows in opening order.
    [[nodiscard]] virtual std::vector<VoiceListView*> lists() = 0;
    // The number of the next ListID (a 16-bit counter starting at 1). The program's
    // registry takes no number by being asked; the test stand-ins count up on every call,
    // so callers must not rely on either.
    [[nodiscard]] virtual std::int16_t NextFileNo() = 0;
};

}  // namespace banklib
