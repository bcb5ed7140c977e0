// Shared helpers of the voice editor tests: an output that records what is sent, a voice
// loaded into VoiceData without any window, and a main window whose voice lists open
// their voices in editors.
#pragma once

#include "../banklib/BankTestSupport.h"
#include "../voicelist/VoiceListTestSupport.h"

#include "banklib/VoiceListRecordset.h"
#include "banklib/clsVoiceData.h"
#include "editor/EditorOutput.h"
#include "editor/VoiceListEditors.h"
#include "editor/frmAlgorithms.h"
#include "editor/frmVoiceEditor.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

namespace editor::testing {

// Installs itself as the editors' output for its lifetime and records every send.
class RecordingOutput final : public EditorOutput {
public:
    RecordingOutput() { installEditorOutput(this); }
    ~RecordingOutput() override { installEditorOutput(nullptr); }
    RecordingOutput(const RecordingOutput&) = delete;
    RecordingOutput& operator=(const RecordingOutput&) = delete;

    bool outputOpen() const override { return open; }
    void sendParameter(int parameter, int value) override { parameters.emplace_back(parameter, value); }
    void playNote() override { ++notes; }
    void endNote() override { ++noteOffs; }
    void playScale() override { ++scales; }
    void sendVoice(platform::Recordset&, banklib::FileType) override { ++voices; }
    void clear()
    {
        parameters.clear();
        notes = noteOffs = scales = voices = 0;
    }
    [[nodiscard]] int sends() const { return static_cast<int>(parameters.size()); }

    bool open = true;
    std::vector<std::pair<int, int>> parameters;
    int notes = 0;
    int noteOffs = 0;
    int scales = 0;
    int voices = 0;
};

// One voice in VoiceData and the ProxyData lookup, loaded by the voice bank library.
struct LoadedVoice {
    explicit LoadedVoice(const std::array<std::uint8_t, banklib::kUnpackedVoiceSize>& voice)
        : list(banklib::voiceListFields())
    {
        const std::string bytes(voice.begin(), voice.end());
        list.addNew();
        list.setValue(banklib::VoiceListField::Data, bytes.substr(0, banklib::kUnpackedDataSize));
        list.setValue(banklib::VoiceListField::Names, bytes.substr(banklib::kUnpackedDataSize));
        std::int32_t crc = 0;
        std::string mode;
        EXPECT_FALSE(data.GetVoiceData(list, 1, banklib::FileType::Unpacked, voiceData, crc, true, mode, 0));
        proxyData = data.InitProxyData().clone();
    }
    platform::Recordset list;
    banklib::clsVoiceData data;
    platform::Recordset voiceData;
    platform::Recordset proxyData;
};

// A voice with every parameter at a known value: operator n's values are n-based, the
// algorithm 5 (stored 4), ratio mode everywhere.
inline std::array<std::uint8_t, banklib::kUnpackedVoiceSize> plainVoice(const std::string& name = "PLAIN     ")
{
    std::array<std::uint8_t, banklib::kUnpackedVoiceSize> v{};
    for (int op = 1; op <= 6; ++op) {
        const std::size_t b = static_cast<std::size_t>(6 - op) * 21;
        for (std::size_t i = 0; i < 8; ++i)
            v[b + i] = static_cast<std::uint8_t>(50 + op);
        v[b + 8] = 39;   // break point C 3
        v[b + 11] = 0;   // -LIN
        v[b + 12] = 3;   // +LIN
        v[b + 16] = 90;  // output level
        v[b + 17] = 0;   // ratio
        v[b + 18] = 1;   // coarse
        v[b + 19] = 0;   // fine
        v[b + 20] = 7;   // detune 0
    }
    v[banklib::Unpacked::kAlgorithm] = 4;
    v[banklib::Unpacked::kLfoWave] = 0;
    v[banklib::Unpacked::kTranspose] = 24;
    banklib::test::setName(v, name);
    return v;
}

// The main window with its voice lists; every list opened in a test opens its voices in
// editors, and everything the editors send is recorded.
class EditorFixture : public shell::testing::VoiceListFixture {
protected:
    EditorFixture()
    {
        installVoiceListHooks(true);
        frmVoiceEditor::setDeferredCallFactory([] { return std::make_unique<shell::testing::ManualDeferredCall>(); });
        ParameterEdits::setModifierQuery([this] { return heldKeys; });
    }
    ~EditorFixture() override
    {
        ParameterEdits::setModifierQuery({});
        installVoiceListHooks(false);
        frmVoiceEditor::setDeferredCallFactory({});
        frmVoiceEditor::setElementDragRunner({});
    }

    // The press-and-hold timer of an editor, which the test runs out itself.
    static shell::testing::ManualDeferredCall& holdTimerOf(frmVoiceEditor& e)
    {
        return dynamic_cast<shell::testing::ManualDeferredCall&>(e.pressAndHold().timer());
    }

    // Opens a voice as a double click does, and lets the event loop run the sends that
    // follow the editor's first showing.
    frmVoiceEditor* openEditor(shell::frmVoiceList& list, int voice)
    {
        frmVoiceEditor* e = VoiceListEditors::of(list).LoadVoice(voice);
        QApplication::processEvents();
        return e;
    }
    // The voice as the list stores it, unpacked (155 bytes).
    static std::string storedVoice(shell::frmVoiceList& list, int voice)
    {
        banklib::clsVoiceData reader;
        platform::Recordset unused;
        std::int32_t crc = 0;
        std::string text(banklib::kGetVoiceAsStringOnly);
        EXPECT_FALSE(reader.GetVoiceData(list.rsmfimage(), voice, list.fileType(), unused, crc, true, text, 0));
        return text;
    }
    static int stored(shell::frmVoiceList& list, int voice, int row)
    {
        return static_cast<std::uint8_t>(storedVoice(list, voice)[static_cast<std::size_t>(row)]);
    }

    RecordingOutput out;
    // The modifier keys held down on the keyboard, as the editors read them.
    Qt::KeyboardModifiers heldKeys = Qt::NoModifier;
};

}  // namespace editor::testing
