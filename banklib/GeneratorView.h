// Brevane - what the voice bank library, the MIDI code and the voice-list registry use of
// the voice generator window.
#pragma once

#include "banklib/AppState.h"
#include "platform/FileIO.h"

#include <cstdint>
#include <string>

namespace banklib {

class VoiceListView;

class GeneratorView {
public:
    static constexpr const char* kWorkListName = "PatchGen.dat";

    virtual ~GeneratorView() = default;
    // Enables or disables the generator's "&Continuous " check box (it sends each new
    // voice, so it is enabled only while the MIDI output is open).
    virtual void setContinuousEnabled(bool enabled) = 0;
    // Flag of the generator's work list, the voice list of "PatchGen.dat"; saving that
    // list under another name sets it to 0.
    [[nodiscard]] virtual std::int16_t WorkListFlag() const = 0;
    virtual void setWorkListFlag(std::int16_t flag) = 0;
    // Forgets the work list (called when the list on the work list's file closes).
    virtual void ResetState() = 0;
    // The work list's file: "PatchGen.dat" in the generator's folder (by default the data
    // folder).
    [[nodiscard]] virtual std::string WorkListPath() const { return appState().DataDirectory() + kWorkListName; }
    // Whether path names the work list's file, by whatever path (a "PatchGen.dat" of
    // another folder is an ordinary file).
    [[nodiscard]] bool isWorkListFile(const std::string& path) const
    {
        return !path.empty() && platform::canonicalPath(path) == platform::canonicalPath(WorkListPath());
    }
    // A voice list was registered (its ListID and FileName are set, its voices not yet
    // read) or has left the registry: the generator's source tree gains or loses its
    // node, with the list's source voices. The first list brings the tree's "Root", the
    // last one takes it away.
    virtual void listAdded(VoiceListView& list) { (void)list; }
    virtual void listRemoved(const std::string& listID) { (void)listID; }
};

}  // namespace banklib
