// Brevane - an in-process MIDI system whose output comes back on its input.
//
// For tests and for running without hardware: the devices it lists can be configured
// (names, a failing capabilities query, a failing open, a MIDI mapper), every message
// sent is recorded, sends can be made to fail, the system can go away under the program,
// and input can be injected as a device would deliver it, at once or after a delay on the
// program's clock (platform::eventLoop).
#pragma once

#include "platform/midi/MidiBackend.h"
#include "platform/midi/MidiMapperPort.h"

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

struct LoopbackDevice {
    std::string name;
    bool capsFail = false;                       // the capabilities query fails
    MidiResult openResult = MidiResult::NoError;  // what opening it returns
};

class LoopbackMidiBackend : public MidiBackend {
public:
    // One input "Loopback MIDI In" and one output "Loopback MIDI Out", echo on.
    LoopbackMidiBackend();
    ~LoopbackMidiBackend() override;

    // ---- configuration (the device lists are what refreshDevices() will find)
    void setInputs(std::vector<LoopbackDevice> devices);
    void setOutputs(std::vector<LoopbackDevice> devices);
    // A MIDI Mapper: listed as output kMidiMapperId, and what the file player plays
    // through (a RecordingMapperPort, recordingMapper()). The program's output opened on
    // it is recorded with the other outputs' messages.
    void setMapperPresent(bool present) { m_mapperPresent = present; }
    [[nodiscard]] RecordingMapperPort& recordingMapper() { return m_mapper; }
    void setStartResult(MidiResult r) { m_startResult = r; }
    // Whether what is sent comes back on the input.
    void setEcho(bool echo) { m_echo = echo; }
    // After `after` more sends have gone out, the next count sends fail with this code.
    void failSends(int count, MidiResult code = MidiResult::NotReady, int after = 0);
    // The MIDI system goes away under the program, as a JACK server that stops: every send
    // fails (NoDevice) and systemGone() says so until the next refreshDevices(). With tell
    // the system receiver gets its notice at once, else only from tellSystemGone().
    void loseSystem(bool tell);
    void tellSystemGone();

    // ---- input from outside, as a device delivers it (GUI thread)
    // The bytes arrive as one delivery, cut into messages; an unfinished System Exclusive
    // message arrives as a broken one. Dropped when the input is not open and started.
    void inject(std::span<const std::uint8_t> bytes);
    // The same once the program's clock has advanced by delayMs (delivered by poll()).
    void injectAfter(int delayMs, std::vector<std::uint8_t> bytes);
    // The same from any thread, with a given time stamp.
    void injectFromAnyThread(std::span<const std::uint8_t> bytes, std::uint32_t timeMs);

    // ---- what happened
    [[nodiscard]] const std::vector<std::vector<std::uint8_t>>& sentMessages() const { return m_sent; }
    // When each message went out, on the program's clock (ms), in the same order.
    [[nodiscard]] const std::vector<std::int64_t>& sentTimesMs() const { return m_sentAtMs; }
    void clearSent()
    {
        m_sent.clear();
        m_sentAtMs.clear();
    }
    [[nodiscard]] bool inputStarted() const { return m_started; }
    [[nodiscard]] int openedInputId() const { return m_inputId; }
    [[nodiscard]] int openedOutputId() const { return m_outputId; }
    [[nodiscard]] int resetCount() const { return m_resets; }

    // ---- MidiBackend
    [[nodiscard]] std::string systemName() const override { return "Loopback"; }
    void refreshDevices() override;
    [[nodiscard]] int inputCount() const override { return static_cast<int>(m_inputList.size()); }
    [[nodiscard]] int outputCount() const override { return static_cast<int>(m_outputList.size()); }
    [[nodiscard]] std::optional<MidiDeviceCaps> inputCaps(int id) const override;
    [[nodiscard]] std::optional<MidiDeviceCaps> outputCaps(int id) const override;
    [[nodiscard]] MidiResult openInput(int id, MidiEventReceiver& receiver) override;
    [[nodiscard]] MidiResult startInput() override;
    [[nodiscard]] MidiResult stopInput() override;
    void closeInput() override;
    [[nodiscard]] bool inputIsOpen() const override { return m_inputId >= 0; }
    [[nodiscard]] MidiResult openOutput(int id) override;
    void closeOutput() override;
    [[nodiscard]] bool outputIsOpen() const override { return m_outputOpen; }
    void resetOutput() override;
    void poll() override;
    [[nodiscard]] MidiMapperPort* mapper() override { return m_mapperPresent ? &m_mapper : nullptr; }
    void setSystemReceiver(MidiEventReceiver* receiver) override { m_systemReceiver = receiver; }
    [[nodiscard]] bool systemGone() const override { return m_systemGone; }

protected:
    [[nodiscard]] MidiResult writeSysex(std::span<const std::uint8_t> message) override;
    [[nodiscard]] MidiResult writeShort(std::span<const std::uint8_t> message) override;
    // Called after a message went out; the base echoes it when echo is on.
    virtual void delivered(std::span<const std::uint8_t> message);
    [[nodiscard]] std::uint32_t inputTimeMs() const;

private:
    struct Delayed {
        std::int64_t dueMs;
        std::vector<std::uint8_t> bytes;
    };

    [[nodiscard]] MidiResult record(std::span<const std::uint8_t> message);
    void deliver(std::span<const std::uint8_t> bytes, std::uint32_t timeMs);
    [[nodiscard]] static int findByName(const std::vector<LoopbackDevice>& live, const std::string& name);

    std::vector<LoopbackDevice> m_inputs;   // live devices
    std::vector<LoopbackDevice> m_outputs;
    std::vector<LoopbackDevice> m_inputList;  // the list taken by refreshDevices()
    std::vector<LoopbackDevice> m_outputList;
    bool m_mapperPresent = false;
    RecordingMapperPort m_mapper;
    bool m_echo = true;
    MidiResult m_startResult = MidiResult::NoError;
    int m_failCount = 0;
    int m_failAfter = 0;
    MidiResult m_failCode = MidiResult::NotReady;
    bool m_systemGone = false;
    MidiEventReceiver* m_systemReceiver = nullptr;

    int m_inputId = -1;
    int m_outputId = -2;  // -1 is the mapper
    bool m_outputOpen = false;
    bool m_started = false;
    std::int64_t m_startMs = 0;
    int m_resets = 0;
    std::vector<std::vector<std::uint8_t>> m_sent;
    std::vector<std::int64_t> m_sentAtMs;
    std::deque<Delayed> m_delayed;

    mutable std::mutex m_receiverMutex;  // guards m_receiver and m_started for other threads
    MidiEventReceiver* m_receiver = nullptr;
    MidiStreamParser m_inputParser;
};

}  // namespace platform
