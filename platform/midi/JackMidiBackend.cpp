// Brevane - the real MIDI system on a JACK server, through the program's own JACK clients.
#include "platform/midi/JackMidiBackend.h"

#include "platform/midi/JackLossWatch.h"
#include "platform/midi/JackMidiClient.h"
#include "platform/midi/JackMidiEventJoiner.h"
#include "platform/midi/MidiMapperPort.h"
#include "platform/midi/PortBackendCore.h"

#include <algorithm>
#include <mutex>
#include <utility>
#include <vector>

namespace platform {
namespace {

bool startsWith(const std::string& s, const std::string& prefix) { return s.rfind(prefix, 0) == 0; }

constexpr std::uint8_t kFirstRealTime = 0xF8;
// Nothing arriving for this long after a loss between messages ends its run: far more
// than a period at any buffer size.
constexpr auto kLossRunEnds = std::chrono::milliseconds(100);

}  // namespace

// The Mapper: a JACK client of its own with one output port, kept for the run. When the
// server has gone, the next open() puts a new client in the dead one's place, also while
// the file player holds the Mapper: a holder sending meanwhile finishes on the client it
// took, which goes when it is done.
class JackMidiMapper final : public MidiMapperPort {
public:
    JackMidiMapper(std::string clientName, JackLossWatch& watch) : m_clientName(std::move(clientName)), m_watch(watch)
    {
    }

    [[nodiscard]] std::string name() const override { return m_clientName; }
    [[nodiscard]] bool isOpen() const override
    {
        const auto c = client();
        return c && c->portOpen() && !c->serverGone();
    }
    [[nodiscard]] bool serverGone() const
    {
        const auto c = client();
        return c && c->serverGone();
    }

    [[nodiscard]] MidiResult open() override
    {
        if (isOpen())
            return MidiResult::NoError;
        std::shared_ptr<JackMidiClient> fresh =
            JackMidiClient::open(m_clientName, JackMidiClient::Direction::Output, &m_watch);
        if (!fresh)
            return MidiResult::NoDriver;
        const MidiResult r = fresh->openPort(kPortName);
        if (r != MidiResult::NoError)
            return r;
        std::shared_ptr<JackMidiClient> dead;
        {
            std::lock_guard lock(m_clientMutex);
            dead = std::exchange(m_client, std::move(fresh));
        }
        return MidiResult::NoError;
    }

    // Any bytes (the pieces of a paced System Exclusive message too).
    [[nodiscard]] MidiResult sendRaw(std::span<const std::uint8_t> bytes)
    {
        const auto c = client();
        if (!c)
            return MidiResult::InvalidHandle;
        return c->write(bytes);
    }

    // The client the Mapper sends through now.
    [[nodiscard]] std::shared_ptr<JackMidiClient> sendingClient() const { return client(); }

    // Whether a listed port is this Mapper's own.
    [[nodiscard]] bool isOwnPort(const std::string& listed) const
    {
        const auto c = client();
        return c && startsWith(listed, c->name() + ":");
    }

protected:
    [[nodiscard]] MidiResult write(std::span<const std::uint8_t> message) override { return sendRaw(message); }

private:
    [[nodiscard]] std::shared_ptr<JackMidiClient> client() const
    {
        std::lock_guard lock(m_clientMutex);
        return m_client;
    }

    static constexpr const char* kPortName = "out";
    std::string m_clientName;
    JackLossWatch& m_watch;
    mutable std::mutex m_clientMutex;  // guards the pointer only, never a send
    std::shared_ptr<JackMidiClient> m_client;
};

struct JackMidiBackend::Impl final : PortBackendCore, JackMidiClient::InputHandler {
    // First, so that it goes after every client that may tell it.
    JackLossWatch lossWatch;
    std::string clientName;
    std::unique_ptr<JackMidiClient> in;
    std::unique_ptr<JackMidiClient> out;
    std::vector<std::string> inputPorts;  // the list taken by refreshDevices(): full port names
    std::vector<std::string> outputPorts;
    std::unique_ptr<JackMidiMapper> mapper;
    // The other clients' ports the open input and output were connected with; empty for
    // a virtual port, which others connect to.
    std::string inputSource;
    std::string outputDestination;
    std::size_t sysexOut = 0;  // of the last System Exclusive message whose write failed

    // Shared with the input client's reader thread; inputMutex held.
    std::uint32_t eventTimeMs = 0;
    JackMidiEventJoiner joiner{[this](MidiPiece&& p) { deliver(std::move(p), eventTimeMs); }};
    // A loss between messages not told yet: the next event decides whether it was one.
    std::uint64_t lostEvents = 0;
    std::uint64_t lostPeriod = 0;  // of the last loss of the run
    bool lostCertain = false;      // events that came and could not be read are among them
    Clock::time_point lostAt{};
    // When the open System Exclusive message last received anything, and how long it may not.
    Clock::time_point sysexFedAt{};
    std::chrono::milliseconds sysexQuietLimit{0};

    ~Impl() override
    {
        // The clients go first: their threads call back into this object.
        in.reset();
        out.reset();
    }

    void resetInputStream() override
    {
        joiner.reset();
        lostEvents = 0;
        lostCertain = false;
    }

    // inputMutex held, a receiver attached.
    void tellLoss()
    {
        if (lostEvents == 0)
            return;
        const auto n = static_cast<std::uint32_t>(std::min<std::uint64_t>(lostEvents, UINT32_MAX));
        receiver->post(MidiEvent{MidiEventKind::InputLost, n, {}, eventTimeMs});
        lostEvents = 0;
        lostCertain = false;
    }

    void onEvent(std::span<const std::uint8_t> bytes, Clock::time_point at, std::uint64_t period) override
    {
        std::lock_guard lock(inputMutex);
        if (!receiver || !started)
            return;
        eventTimeMs = msSinceStart(at);
        if (lostEvents > 0) {
            // A sender whose event did not fit sends it again first thing in the next
            // period: then the event it lost is this one, and the message it begins decides.
            const bool sentAgain = !lostCertain && lostEvents == 1 && period == lostPeriod + 1 && (bytes[0] & 0x80);
            if (sentAgain)
                lostEvents = 0;
            else
                tellLoss();
        }
        joiner.push(bytes);
        if (std::any_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b < kFirstRealTime; }))
            sysexFedAt = at;
    }

    void onLost(std::uint32_t events, std::uint64_t period, bool certain, Clock::time_point at) override
    {
        std::lock_guard lock(inputMutex);
        if (!receiver || !started) {
            resetInputStream();
            return;
        }
        // Inside a System Exclusive message the loss is a hole, or a refused event sent
        // again: the message goes on joining, and its end tells which.
        if (joiner.inSysex())
            return;
        // A run of losses goes over consecutive periods.
        if (lostEvents > 0 && period > lostPeriod + 1)
            tellLoss();
        lostEvents += events;
        lostPeriod = period;
        lostCertain = lostCertain || certain;
        lostAt = at;
    }

    std::optional<Clock::time_point> idleDeadline() override
    {
        std::lock_guard lock(inputMutex);
        std::optional<Clock::time_point> deadline;
        if (!receiver || !started)
            return deadline;
        if (lostEvents > 0)
            deadline = lostAt + kLossRunEnds;
        if (joiner.inSysex() && sysexQuietLimit.count() > 0) {
            const auto quiet = sysexFedAt + sysexQuietLimit;
            deadline = deadline ? std::min(*deadline, quiet) : quiet;
        }
        return deadline;
    }

    void onIdle(Clock::time_point now) override
    {
        std::lock_guard lock(inputMutex);
        if (!receiver || !started)
            return;
        eventTimeMs = msSinceStart(now);
        if (lostEvents > 0 && now >= lostAt + kLossRunEnds)
            tellLoss();
        if (joiner.inSysex() && sysexQuietLimit.count() > 0 && now >= sysexFedAt + sysexQuietLimit)
            joiner.endSysex();
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
    bool ensureClients() override
    {
        if (serverGone())
            dropClients();
        if (in && out)
            return true;
        in = JackMidiClient::open(clientName + " In", JackMidiClient::Direction::Input, &lossWatch);
        out = in ? JackMidiClient::open(clientName + " Out", JackMidiClient::Direction::Output, &lossWatch) : nullptr;
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
        const auto names = distinctDeviceNames(ports);
        const auto it = std::find(names.begin(), names.end(), listed);
        return it == names.end() ? std::string() : ports[static_cast<std::size_t>(it - names.begin())];
    }

    MidiResult send(std::span<const std::uint8_t> bytes)
    {
        // One client that learnt of the loss speaks for all: the others' queues would
        // take bytes that never leave.
        if (serverGone() || mapper->serverGone())
            return MidiResult::NoDevice;
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
        inputSource = source;
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
        outputDestination = destination;
        pacer.restart();
        return MidiResult::NoError;
    }
};

JackMidiBackend::JackMidiBackend(std::string clientName) : m_impl(std::make_unique<Impl>())
{
    m_impl->clientName = std::move(clientName);
    m_impl->mapper = std::make_unique<JackMidiMapper>(m_impl->clientName + " MIDI Mapper", m_impl->lossWatch);
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
    // Clients of a server that has gone are dead and are only closed; a server that runs
    // again is used from this listing on.
    if ((m_impl->in || m_impl->out) && (m_impl->serverGone() || !serverRunning()))
        m_impl->dropClients();
    if (!m_impl->ensureClients())
        return;
    // The Mapper is there from the first listing on, for other programs to connect to.
    (void)m_impl->mapper->open();
    for (const bool outputs : {true, false}) {
        std::vector<std::string> ports = m_impl->in->listPorts(outputs);
        std::erase_if(ports, [this](const std::string& p) { return m_impl->isOwnPort(p); });
        // A port that sends is an input of the program, and the other way round.
        (outputs ? m_impl->inputNames : m_impl->outputNames) = distinctDeviceNames(ports);
        (outputs ? m_impl->inputPorts : m_impl->outputPorts) = std::move(ports);
    }
}

int JackMidiBackend::inputCount() const { return m_impl->inputCount(); }
int JackMidiBackend::outputCount() const { return m_impl->outputCount(); }

std::optional<MidiDeviceCaps> JackMidiBackend::inputCaps(int id) const { return m_impl->inputCaps(id); }

std::optional<MidiDeviceCaps> JackMidiBackend::outputCaps(int id) const
{
    return m_impl->outputCaps(id, m_impl->in && m_impl->out, *m_impl->mapper);
}

MidiResult JackMidiBackend::openInput(int id, MidiEventReceiver& receiver)
{
    if (const auto decided = m_impl->beginOpenInput(id))
        return *decided;
    const std::string source = m_impl->findPort(true, m_impl->inputNames[static_cast<std::size_t>(id)]);
    if (source.empty())
        return MidiResult::NoDevice;
    return m_impl->openInputPort(m_impl->clientName + " Input", source, receiver);
}

MidiResult JackMidiBackend::openVirtualInput(const std::string& portName, MidiEventReceiver& receiver)
{
    if (const auto decided = m_impl->beginOpenVirtual(false))
        return *decided;
    return m_impl->openInputPort(portName, {}, receiver);
}

MidiResult JackMidiBackend::startInput() { return m_impl->startInput(); }
MidiResult JackMidiBackend::stopInput() { return m_impl->stopInput(); }

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

bool JackMidiBackend::inputConnected() const
{
    const Impl& d = *m_impl;
    return d.inputOpen && d.in && (d.inputSource.empty() || d.in->connectedTo(d.inputSource));
}

MidiResult JackMidiBackend::openOutput(int id)
{
    if (const auto decided = m_impl->beginOpenOutput(id, *m_impl->mapper))
        return *decided;
    const std::string destination = m_impl->findPort(false, m_impl->outputNames[static_cast<std::size_t>(id)]);
    if (destination.empty())
        return MidiResult::NoDevice;
    return m_impl->openOutputPort(m_impl->clientName + " Output", destination);
}

MidiResult JackMidiBackend::openVirtualOutput(const std::string& portName)
{
    if (const auto decided = m_impl->beginOpenVirtual(true))
        return *decided;
    return m_impl->openOutputPort(portName, {});
}

void JackMidiBackend::closeOutput()
{
    if (m_impl->endOutput(*m_impl->mapper) && m_impl->out)
        m_impl->out->closePort();
}

bool JackMidiBackend::outputIsOpen() const { return m_impl->outputOpen; }

bool JackMidiBackend::outputConnected() const
{
    // Others connect to the Mapper as they please.
    const Impl& d = *m_impl;
    return d.outputOpen && (d.outputOnMapper || (d.out && (d.outputDestination.empty() ||
                                                            d.out->connectedTo(d.outputDestination))));
}

MidiMapperPort* JackMidiBackend::mapper() { return m_impl->mapper.get(); }

void JackMidiBackend::setSystemReceiver(MidiEventReceiver* receiver) { m_impl->lossWatch.setReceiver(receiver); }

// A client learns of the loss before it tells the watch, so a write that failed because
// the server has gone always finds it said here.
bool JackMidiBackend::systemGone() const { return m_impl->serverGone() || m_impl->mapper->serverGone(); }

MidiBackend::ArrivingSysex JackMidiBackend::endArrivingSysex(
    const std::function<bool(std::span<const std::uint8_t>)>& ends, std::chrono::milliseconds quiet)
{
    std::lock_guard lock(m_impl->inputMutex);
    if (!m_impl->receiver || !m_impl->started)
        return ArrivingSysex::None;
    const auto held = m_impl->joiner.openSysex();
    if (held.empty() || !ends(held))
        return ArrivingSysex::None;
    const auto now = PortBackendCore::Clock::now();
    if (now < m_impl->sysexFedAt + quiet)
        return ArrivingSysex::StillComing;
    m_impl->eventTimeMs = m_impl->msSinceStart(now);
    m_impl->joiner.endSysex();
    return ArrivingSysex::Ended;
}

void JackMidiBackend::setSysexQuietLimit(std::chrono::milliseconds limit)
{
    std::lock_guard lock(m_impl->inputMutex);
    m_impl->sysexQuietLimit = std::max(limit, std::chrono::milliseconds(0));
}

MidiResult JackMidiBackend::writeShort(std::span<const std::uint8_t> message) { return m_impl->send(message); }

MidiResult JackMidiBackend::writeSysex(std::span<const std::uint8_t> message)
{
    // What leaves of a message is counted on the client that sends it: the bytes it queued
    // before the message were the first to go.
    Impl& d = *m_impl;
    const std::shared_ptr<JackMidiClient> viaMapper = d.outputOnMapper ? d.mapper->sendingClient() : nullptr;
    const JackMidiClient* client = viaMapper ? viaMapper.get() : d.out.get();
    const std::uint64_t before = client ? client->bytesQueued() : 0;
    const MidiResult r = d.writePaced(message, [&d](std::span<const std::uint8_t> piece) { return d.send(piece); });
    const std::uint64_t sent = client ? client->bytesSent() : 0;
    d.sysexOut = sent > before ? static_cast<std::size_t>(std::min<std::uint64_t>(sent - before, message.size())) : 0;
    return r;
}

std::size_t JackMidiBackend::sysexBytesOut() const { return m_impl->sysexOut; }

}  // namespace platform
