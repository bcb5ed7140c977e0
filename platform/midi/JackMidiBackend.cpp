// Brevane - the real MIDI system on a JACK server, through the program's own JACK clients.
#include "platform/midi/JackMidiBackend.h"

#include "platform/midi/JackMidiClient.h"
#include "platform/midi/JackMidiEventJoiner.h"
#include "platform/midi/MidiMapperPort.h"
#include "platform/midi/SysexPacer.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint8_t kTimingClock = 0xF8;
constexpr std::uint8_t kActiveSensing = 0xFE;

bool startsWith(const std::string& s, const std::string& prefix) { return s.rfind(prefix, 0) == 0; }

// Names as listed: two same names are told apart by " (2)", " (3)"... in listing order.
std::vector<std::string> distinctNames(const std::vector<std::string>& ports)
{
    std::vector<std::string> names;
    for (const auto& port : ports) {
        std::string name = port;
        const auto same = std::count_if(names.begin(), names.end(), [&](const std::string& n) {
            return n == name || startsWith(n, name + " (");
        });
        if (same > 0)
            name += " (" + std::to_string(same + 1) + ")";
        names.push_back(std::move(name));
    }
    return names;
}

}  // namespace

// The Mapper: a JACK client of its own with one output port, kept for the run. When the
// server has gone it is reopened by the next open() that finds nobody holding it.
class JackMidiMapper final : public MidiMapperPort {
public:
    explicit JackMidiMapper(std::string clientName) : m_clientName(std::move(clientName)) {}

    [[nodiscard]] std::string name() const override { return m_clientName; }
    [[nodiscard]] bool isOpen() const override
    {
        return m_client && m_client->portOpen() && !m_client->serverGone();
    }

    [[nodiscard]] MidiResult open() override
    {
        if (isOpen())
            return MidiResult::NoError;
        // A holder may still be sending through the old client.
        if (m_client && holder() != MapperHolder::None)
            return MidiResult::NoDriver;
        m_client.reset();
        auto client = JackMidiClient::open(m_clientName, JackMidiClient::Direction::Output);
        if (!client)
            return MidiResult::NoDriver;
        const MidiResult r = client->openPort(kPortName);
        if (r != MidiResult::NoError)
            return r;
        m_client = std::move(client);
        return MidiResult::NoError;
    }

    // Any bytes (the pieces of a paced System Exclusive message too).
    [[nodiscard]] MidiResult sendRaw(std::span<const std::uint8_t> bytes)
    {
        if (!m_client)
            return MidiResult::InvalidHandle;
        return m_client->write(bytes);
    }

    // Whether a listed port is this Mapper's own.
    [[nodiscard]] bool isOwnPort(const std::string& listed) const
    {
        return m_client && startsWith(listed, m_client->name() + ":");
    }

protected:
    [[nodiscard]] MidiResult write(std::span<const std::uint8_t> message) override { return sendRaw(message); }

private:
    static constexpr const char* kPortName = "out";
    std::string m_clientName;
    std::unique_ptr<JackMidiClient> m_client;
};

struct JackMidiBackend::Impl final : JackMidiClient::InputHandler {
    std::string clientName;
    std::unique_ptr<JackMidiClient> in;
    std::unique_ptr<JackMidiClient> out;
    std::vector<std::string> inputPorts;  // the list taken by refreshDevices(): full port names
    std::vector<std::string> outputPorts;
    std::vector<std::string> inputNames;  // the same, as listed
    std::vector<std::string> outputNames;
    bool inputOpen = false;
    bool outputOpen = false;
    bool outputOnMapper = false;
    std::unique_ptr<JackMidiMapper> mapper;
    SysexPacer pacer;

    // Shared with the input client's reader thread.
    std::mutex inputMutex;
    MidiEventReceiver* receiver = nullptr;
    bool started = false;
    Clock::time_point startTime{};
    std::uint32_t eventTimeMs = 0;
    JackMidiEventJoiner joiner{[this](MidiPiece&& p) { deliver(std::move(p)); }};

    ~Impl() override
    {
        // The clients go first: their threads call back into this object.
        in.reset();
        out.reset();
    }

    void deliver(MidiPiece&& piece)
    {
        if (piece.kind == MidiPiece::Kind::Message && piece.bytes.size() == 1 &&
            (piece.bytes[0] == kTimingClock || piece.bytes[0] == kActiveSensing))
            return;
        receiver->post(eventFromPiece(std::move(piece), eventTimeMs));
    }

    void onEvent(std::span<const std::uint8_t> bytes, Clock::time_point at) override
    {
        std::lock_guard lock(inputMutex);
        if (!receiver || !started)
            return;
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(at - startTime).count();
        eventTimeMs = static_cast<std::uint32_t>(std::max<long long>(elapsed, 0));
        joiner.push(bytes);
    }

    void onLost() override
    {
        std::lock_guard lock(inputMutex);
        if (!receiver || !started) {
            joiner.reset();
            return;
        }
        joiner.interrupt();
        receiver->post(MidiEvent{MidiEventKind::LongData, 0, {}, eventTimeMs});
    }

    void attachReceiver(MidiEventReceiver& r)
    {
        std::lock_guard lock(inputMutex);
        receiver = &r;
        started = false;
        joiner.reset();
    }

    void detachReceiver()
    {
        std::lock_guard lock(inputMutex);
        receiver = nullptr;
        started = false;
    }

    [[nodiscard]] bool serverGone() const { return (in && in->serverGone()) || (out && out->serverGone()); }

    void dropClients()
    {
        detachReceiver();
        in.reset();
        out.reset();
        inputOpen = false;
        if (outputOpen && outputOnMapper)
            mapper->release(MapperHolder::ProgramOutput);
        outputOpen = outputOnMapper = false;
    }

    // Makes the two clients when a server is there; false when none is.
    bool ensureClients()
    {
        if (serverGone())
            dropClients();
        if (in && out)
            return true;
        in = JackMidiClient::open(clientName + " In", JackMidiClient::Direction::Input);
        out = in ? JackMidiClient::open(clientName + " Out", JackMidiClient::Direction::Output) : nullptr;
        if (!in || !out) {
            in.reset();
            out.reset();
            return false;
        }
        return true;
    }

    [[nodiscard]] bool isOwnPort(const std::string& port) const
    {
        return (in && startsWith(port, in->name() + ":")) || (out && startsWith(port, out->name() + ":")) ||
               mapper->isOwnPort(port);
    }

    // The full name of a listed port now, or "".
    [[nodiscard]] std::string findPort(bool outputs, const std::string& listed) const
    {
        std::vector<std::string> ports = in->listPorts(outputs);
        std::erase_if(ports, [this](const std::string& p) { return isOwnPort(p); });
        const auto names = distinctNames(ports);
        const auto it = std::find(names.begin(), names.end(), listed);
        return it == names.end() ? std::string() : ports[static_cast<std::size_t>(it - names.begin())];
    }

    MidiResult send(std::span<const std::uint8_t> bytes)
    {
        if (outputOpen && outputOnMapper)
            return mapper->sendRaw(bytes);
        if (!out || !outputOpen)
            return MidiResult::InvalidHandle;
        return out->write(bytes);
    }

    MidiResult openInputPort(const std::string& portName, const std::string& source, MidiEventReceiver& r)
    {
        attachReceiver(r);
        MidiResult result = in->openPort(portName, this);
        if (result == MidiResult::NoError && !source.empty())
            result = in->connect(source);
        if (result != MidiResult::NoError) {
            detachReceiver();
            in->closePort();
            return MidiResult::NotEnabled;
        }
        inputOpen = true;
        return MidiResult::NoError;
    }

    MidiResult openOutputPort(const std::string& portName, const std::string& destination)
    {
        MidiResult result = out->openPort(portName);
        if (result == MidiResult::NoError && !destination.empty())
            result = out->connect(destination);
        if (result != MidiResult::NoError) {
            out->closePort();
            return MidiResult::NotEnabled;
        }
        outputOpen = true;
        pacer.restart();
        return MidiResult::NoError;
    }
};

JackMidiBackend::JackMidiBackend(std::string clientName) : m_impl(std::make_unique<Impl>())
{
    m_impl->clientName = std::move(clientName);
    m_impl->mapper = std::make_unique<JackMidiMapper>(m_impl->clientName + " MIDI Mapper");
}

JackMidiBackend::~JackMidiBackend()
{
    closeInput();
    closeOutput();
    m_impl->dropClients();
}

void JackMidiBackend::setSysexRate(int bytesPerSecond) { m_impl->pacer.setRate(bytesPerSecond); }
bool JackMidiBackend::systemPresent() const { return serverRunning(); }
bool JackMidiBackend::serverRunning() { return JackMidiClient::serverRunning(); }
std::string JackMidiBackend::systemName() const { return "JACK"; }

void JackMidiBackend::refreshDevices()
{
    m_impl->inputPorts.clear();
    m_impl->outputPorts.clear();
    m_impl->inputNames.clear();
    m_impl->outputNames.clear();
    if ((m_impl->in || m_impl->out) && (m_impl->serverGone() || !serverRunning())) {
        // The server has gone: its clients are dead and are only closed.
        m_impl->dropClients();
        return;
    }
    if (!m_impl->ensureClients())
        return;
    // The Mapper is there from the first listing on, for other programs to connect to.
    (void)m_impl->mapper->open();
    for (const bool outputs : {true, false}) {
        std::vector<std::string> ports = m_impl->in->listPorts(outputs);
        std::erase_if(ports, [this](const std::string& p) { return m_impl->isOwnPort(p); });
        // A port that sends is an input of the program, and the other way round.
        (outputs ? m_impl->inputNames : m_impl->outputNames) = distinctNames(ports);
        (outputs ? m_impl->inputPorts : m_impl->outputPorts) = std::move(ports);
    }
}

int JackMidiBackend::inputCount() const { return static_cast<int>(m_impl->inputNames.size()); }
int JackMidiBackend::outputCount() const { return static_cast<int>(m_impl->outputNames.size()); }

std::optional<MidiDeviceCaps> JackMidiBackend::inputCaps(int id) const
{
    if (id < 0 || id >= inputCount())
        return std::nullopt;
    return MidiDeviceCaps{m_impl->inputNames[static_cast<std::size_t>(id)], 0};
}

std::optional<MidiDeviceCaps> JackMidiBackend::outputCaps(int id) const
{
    // The Mapper is there wherever the server is.
    if (id == kMidiMapperId)
        return m_impl->in && m_impl->out ? std::optional(MidiDeviceCaps{m_impl->mapper->name(), kModMapper})
                                         : std::nullopt;
    if (id < 0 || id >= outputCount())
        return std::nullopt;
    return MidiDeviceCaps{m_impl->outputNames[static_cast<std::size_t>(id)], 0};
}

MidiResult JackMidiBackend::openInput(int id, MidiEventReceiver& receiver)
{
    if (m_impl->inputOpen)
        return MidiResult::Allocated;
    if (id < 0 || id >= inputCount())
        return MidiResult::BadDeviceId;
    if (!m_impl->ensureClients())
        return MidiResult::NoDriver;
    const std::string source = m_impl->findPort(true, m_impl->inputNames[static_cast<std::size_t>(id)]);
    if (source.empty())
        return MidiResult::NoDevice;
    return m_impl->openInputPort(m_impl->clientName + " Input", source, receiver);
}

MidiResult JackMidiBackend::openVirtualInput(const std::string& portName, MidiEventReceiver& receiver)
{
    if (m_impl->inputOpen)
        return MidiResult::Allocated;
    if (!m_impl->ensureClients())
        return MidiResult::NoDriver;
    return m_impl->openInputPort(portName, {}, receiver);
}

MidiResult JackMidiBackend::startInput()
{
    if (!m_impl->inputOpen)
        return MidiResult::InvalidHandle;
    std::lock_guard lock(m_impl->inputMutex);
    m_impl->started = true;
    m_impl->startTime = Clock::now();
    m_impl->joiner.reset();
    return MidiResult::NoError;
}

MidiResult JackMidiBackend::stopInput()
{
    if (!m_impl->inputOpen)
        return MidiResult::InvalidHandle;
    std::lock_guard lock(m_impl->inputMutex);
    m_impl->started = false;
    return MidiResult::NoError;
}

void JackMidiBackend::closeInput()
{
    if (!m_impl->inputOpen)
        return;
    m_impl->inputOpen = false;
    // Detach first, without holding the lock while the reader thread ends.
    m_impl->detachReceiver();
    if (m_impl->in)
        m_impl->in->closePort();
}

bool JackMidiBackend::inputIsOpen() const { return m_impl->inputOpen; }

MidiResult JackMidiBackend::openOutput(int id)
{
    if (m_impl->outputOpen)
        return MidiResult::Allocated;
    if (id == kMidiMapperId) {
        // Held by the MIDI file player: not for the program's output meanwhile.
        const MidiResult r = m_impl->mapper->open();
        if (r != MidiResult::NoError)
            return r;
        if (!m_impl->mapper->claim(MapperHolder::ProgramOutput))
            return MidiResult::Allocated;
        m_impl->outputOpen = true;
        m_impl->outputOnMapper = true;
        m_impl->pacer.restart();
        return MidiResult::NoError;
    }
    if (id < 0 || id >= outputCount())
        return MidiResult::BadDeviceId;
    if (!m_impl->ensureClients())
        return MidiResult::NoDriver;
    const std::string destination = m_impl->findPort(false, m_impl->outputNames[static_cast<std::size_t>(id)]);
    if (destination.empty())
        return MidiResult::NoDevice;
    return m_impl->openOutputPort(m_impl->clientName + " Output", destination);
}

MidiResult JackMidiBackend::openVirtualOutput(const std::string& portName)
{
    if (m_impl->outputOpen)
        return MidiResult::Allocated;
    if (!m_impl->ensureClients())
        return MidiResult::NoDriver;
    return m_impl->openOutputPort(portName, {});
}

void JackMidiBackend::closeOutput()
{
    if (!m_impl->outputOpen)
        return;
    m_impl->outputOpen = false;
    if (m_impl->outputOnMapper) {
        // The Mapper's port stays open for the run; only the hold ends.
        m_impl->outputOnMapper = false;
        m_impl->mapper->release(MapperHolder::ProgramOutput);
        return;
    }
    if (m_impl->out)
        m_impl->out->closePort();
}

bool JackMidiBackend::outputIsOpen() const { return m_impl->outputOpen; }

MidiMapperPort* JackMidiBackend::mapper() { return m_impl->mapper.get(); }

MidiResult JackMidiBackend::writeShort(std::span<const std::uint8_t> message) { return m_impl->send(message); }

MidiResult JackMidiBackend::writeSysex(std::span<const std::uint8_t> message)
{
    for (std::size_t offset = 0; offset < message.size(); offset += SysexPacer::kChunkBytes) {
        const auto piece = message.subspan(offset, std::min(SysexPacer::kChunkBytes, message.size() - offset));
        m_impl->pacer.pace(piece.size());
        const MidiResult r = m_impl->send(piece);
        if (r != MidiResult::NoError)
            return r;
    }
    return MidiResult::NoError;
}

}  // namespace platform
