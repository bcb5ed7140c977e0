// Brevane - one client of a JACK server with one MIDI port, on plain libjack.
#include "platform/midi/JackMidiClient.h"

#include "platform/midi/JackLossWatch.h"
#include "platform/midi/SpscByteRing.h"

#include <jack/jack.h>
#include <jack/midiport.h>
#include <semaphore.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <limits>
#include <mutex>
#include <thread>

namespace platform {
namespace {

using namespace std::chrono_literals;

// Input: about three seconds of a port at JACK's full MIDI rate at 64 frames and 48 kHz;
// far more than a reader thread that is merely late needs.
constexpr std::size_t kInputRingBytes = std::size_t{1} << 20;
constexpr std::size_t kOutputRingBytes = std::size_t{1} << 16;
// Bytes queued by one write() are cut into records of at most this many; only System
// Exclusive data is ever longer, and that may be cut anywhere.
constexpr std::size_t kOutputRecordBytes = 1024;
constexpr auto kWriteWait = 2000ms;
constexpr auto kDrainWait = 1000ms;

// What precedes an event in the input ring, or stands for a loss.
struct InputRecord {
    enum Kind : std::uint32_t {
        Event = 0,
        Lost = 1,     // `events` the sender could not put into the period's buffer
        Dropped = 2,  // `events` that came and could not be read or kept
    };
    std::uint32_t size = 0;  // bytes that follow
    std::uint32_t kind = Event;
    std::int64_t atNs = 0;   // steady clock, when the period began
    std::uint64_t period = 0;
    std::uint32_t events = 0;
    std::uint32_t unused = 0;
};

void quietJack(const char*) {}

// The JACK library prints its errors unless told otherwise; this process never wants that.
// It also writes to the server's socket without guarding against a server that has gone,
// which would end the program with SIGPIPE; the write failing with EPIPE is enough.
void silenceJack()
{
    static std::once_flag once;
    std::call_once(once, [] {
        jack_set_error_function(&quietJack);
        jack_set_info_function(&quietJack);
        std::signal(SIGPIPE, SIG_IGN);
    });
}

template <class T>
std::span<const std::uint8_t> bytesOf(const T& value)
{
    return {reinterpret_cast<const std::uint8_t*>(&value), sizeof value};
}

}  // namespace

struct JackMidiClient::Impl {
    jack_client_t* client = nullptr;
    Direction direction = Direction::Input;
    std::atomic<jack_port_t*> port{nullptr};
    std::atomic<bool> gone{false};
    // Size of a MIDI port's buffer in bytes; 0 when the server does not tell.
    std::atomic<std::size_t> bufferBytes{0};
    std::atomic<std::uint64_t> cycles{0};
    // The process thread is inside process(): closePort() waits for it to let go of the port.
    std::atomic<bool> inCycle{false};
    JackLossWatch* watch = nullptr;  // told when the server goes
    std::uint64_t generation = 0;    // this client's in the watch

    // ---- input
    SpscByteRing inRing{kInputRingBytes};
    sem_t wake{};
    std::thread reader;
    std::atomic<bool> stopReader{false};
    InputHandler* handler = nullptr;
    // Process thread only: losses not recorded yet (the ring had no room for the record).
    std::uint32_t droppedPending = 0;
    std::uint32_t lostPending = 0;

    // ---- output
    SpscByteRing outRing{kOutputRingBytes};
    std::mutex writeMutex;
    std::size_t recordLeft = 0;  // process thread only: bytes of the record being sent
    std::atomic<std::uint64_t> bytesQueued{0};  // by write()
    std::atomic<std::uint64_t> bytesSent{0};    // by the process thread

    Impl() { ::sem_init(&wake, 0, 0); }
    ~Impl() { ::sem_destroy(&wake); }

    // ---- the JACK process thread

    static int process(jack_nframes_t frames, void* arg)
    {
        auto* self = static_cast<Impl*>(arg);
        // Marked before the port is read (both sequentially consistent): a closePort() that
        // finds the mark cleared after it took the port away knows that no period uses it.
        self->inCycle.store(true);
        const std::uint64_t period = self->cycles.fetch_add(1, std::memory_order_release) + 1;
        if (jack_port_t* p = self->port.load()) {
            if (void* buffer = jack_port_get_buffer(p, frames)) {
                if (self->direction == Direction::Input)
                    self->receive(buffer, period);
                else
                    self->transmit(buffer);
            }
        }
        self->inCycle.store(false);
        return 0;
    }

    static void addSaturating(std::uint32_t& to, std::uint64_t n)
    {
        to = static_cast<std::uint32_t>(std::min<std::uint64_t>(std::uint64_t{to} + n, UINT32_MAX));
    }

    // Records the losses that are pending, as far as there is room for them.
    bool flushLosses(const InputRecord& at, bool& wrote)
    {
        for (auto [kind, pending] : {std::pair{InputRecord::Dropped, &droppedPending},
                                     std::pair{InputRecord::Lost, &lostPending}}) {
            if (*pending == 0)
                continue;
            InputRecord lost = at;
            lost.size = 0;
            lost.kind = kind;
            lost.events = *pending;
            if (!inRing.write(bytesOf(lost)))
                return false;
            *pending = 0;
            wrote = true;
        }
        return true;
    }

    void receive(void* buffer, std::uint64_t period)
    {
        const auto base = reinterpret_cast<std::uintptr_t>(buffer);
        const std::size_t size = bufferBytes.load(std::memory_order_relaxed);
        const std::uint32_t count = jack_midi_get_event_count(buffer);
        InputRecord record;
        record.atNs = std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
        record.period = period;
        bool wrote = false;
        for (std::uint32_t i = 0; i < count; ++i) {
            jack_midi_event_t event{};
            if (jack_midi_event_get(&event, buffer, i) != 0) {
                addSaturating(droppedPending, 1);
                continue;
            }
            if (event.size == 0)
                continue;
            // The bytes must lie inside the port's buffer, whatever the event claims: an
            // event that fills the whole buffer can come with its place overwritten.
            const auto at = reinterpret_cast<std::uintptr_t>(event.buffer);
            if (event.buffer == nullptr || event.size > std::numeric_limits<std::uint32_t>::max() ||
                (size != 0 && (at < base || event.size > size || at - base > size - event.size))) {
                addSaturating(droppedPending, 1);
                continue;
            }
            record.size = static_cast<std::uint32_t>(event.size);
            if (flushLosses(record, wrote) && inRing.write(bytesOf(record), {event.buffer, event.size}))
                wrote = true;
            else
                addSaturating(droppedPending, 1);
        }
        // The events the sender could not put into this period's buffer would have followed
        // everything that is in it: their loss stands after the period's events.
        addSaturating(lostPending, jack_midi_get_lost_event_count(buffer));
        (void)flushLosses(record, wrote);
        // Whatever was written is read at once, however much the reader took meanwhile.
        if (wrote)
            ::sem_post(&wake);
    }

    void transmit(void* buffer)
    {
        jack_midi_clear_buffer(buffer);
        bool any = false;
        for (;;) {
            if (recordLeft == 0) {
                std::uint32_t size = 0;
                if (!outRing.peek({reinterpret_cast<std::uint8_t*>(&size), sizeof size}))
                    break;
                outRing.skip(sizeof size);
                recordLeft = size;
                continue;
            }
            const std::size_t room = jack_midi_max_event_size(buffer);
            std::size_t n = recordLeft;
            if (n > room) {
                // A record cut over periods only when it cannot fit an empty buffer.
                if (any || room == 0)
                    break;
                n = room;
            }
            jack_midi_data_t* out = jack_midi_event_reserve(buffer, 0, n);
            if (out == nullptr)
                break;
            if (!outRing.peek({out, n}))
                break;  // cannot happen: a record is written whole
            outRing.skip(n);
            recordLeft -= n;
            bytesSent.fetch_add(n, std::memory_order_release);
            any = true;
        }
    }

    static void onShutdown(void* arg)
    {
        auto* self = static_cast<Impl*>(arg);
        self->gone.store(true);
        ::sem_post(&self->wake);
        if (self->watch)
            self->watch->serverGone(self->generation);
    }

    static int onBufferSize(jack_nframes_t, void* arg)
    {
        static_cast<Impl*>(arg)->readBufferSize();
        return 0;
    }

    void readBufferSize() { bufferBytes.store(jack_port_type_get_buffer_size(client, JACK_DEFAULT_MIDI_TYPE)); }

    // ---- the reader thread

    // Waits to be woken, or until the deadline; false when the deadline came first.
    bool waitForWake(std::optional<Clock::time_point> deadline)
    {
        if (!deadline) {
            while (::sem_wait(&wake) != 0 && errno == EINTR) {
            }
            return true;
        }
        // The steady clock is CLOCK_MONOTONIC.
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline->time_since_epoch()).count();
        timespec until{};
        until.tv_sec = static_cast<time_t>(std::max<std::int64_t>(ns, 0) / 1'000'000'000);
        until.tv_nsec = static_cast<long>(std::max<std::int64_t>(ns, 0) % 1'000'000'000);
        for (;;) {
            if (::sem_clockwait(&wake, CLOCK_MONOTONIC, &until) == 0)
                return true;
            if (errno != EINTR)
                return false;
        }
    }

    void readLoop()
    {
        std::vector<std::uint8_t> bytes;
        while (!stopReader.load()) {
            if (!waitForWake(handler->idleDeadline())) {
                if (!stopReader.load())
                    handler->onIdle(Clock::now());
                continue;
            }
            InputRecord record;
            while (inRing.peek({reinterpret_cast<std::uint8_t*>(&record), sizeof record})) {
                bytes.resize(record.size);
                if (!inRing.peek(bytes, sizeof record))
                    break;  // cannot happen: a record is written whole
                inRing.skip(sizeof record + record.size);
                const Clock::time_point at{std::chrono::nanoseconds(record.atNs)};
                if (record.kind == InputRecord::Event)
                    handler->onEvent(bytes, at, record.period);
                else
                    handler->onLost(record.events, record.period, record.kind == InputRecord::Dropped, at);
            }
        }
    }

    void stopReading()
    {
        if (!reader.joinable())
            return;
        stopReader.store(true);
        ::sem_post(&wake);
        reader.join();
        stopReader.store(false);
    }
};

JackMidiClient::JackMidiClient(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

std::unique_ptr<JackMidiClient> JackMidiClient::open(const std::string& name, Direction direction,
                                                     JackLossWatch* watch)
{
    silenceJack();
    auto impl = std::make_unique<Impl>();
    impl->direction = direction;
    impl->watch = watch;
    if (watch)
        impl->generation = watch->enlist();
    const auto longest = static_cast<std::size_t>(std::max(jack_client_name_size() - 1, 1));
    jack_status_t status{};
    impl->client = jack_client_open(name.substr(0, longest).c_str(), JackNoStartServer, &status);
    if (impl->client == nullptr)
        return nullptr;
    Impl* d = impl.get();
    if (jack_set_process_callback(d->client, &Impl::process, d) != 0 ||
        jack_set_buffer_size_callback(d->client, &Impl::onBufferSize, d) != 0) {
        jack_client_close(d->client);
        return nullptr;
    }
    jack_on_shutdown(d->client, &Impl::onShutdown, d);
    d->readBufferSize();
    // Active for good (see the header): the process callback does nothing without a port.
    if (jack_activate(d->client) != 0) {
        jack_client_close(d->client);
        return nullptr;
    }
    return std::unique_ptr<JackMidiClient>(new JackMidiClient(std::move(impl)));
}

bool JackMidiClient::serverRunning()
{
    silenceJack();
    jack_status_t status{};
    jack_client_t* client = jack_client_open("Brevane probe", JackNoStartServer, &status);
    if (client == nullptr)
        return false;
    jack_client_close(client);
    return true;
}

JackMidiClient::~JackMidiClient()
{
    closePort();
    // Deactivates and closes; also after the server has gone: the library frees what it
    // holds for the client.
    jack_client_close(m_impl->client);
}

bool JackMidiClient::serverGone() const { return m_impl->gone.load(); }

std::string JackMidiClient::name() const
{
    const char* n = jack_get_client_name(m_impl->client);
    return n ? std::string(n) : std::string();
}

std::vector<std::string> JackMidiClient::listPorts(bool outputs) const
{
    std::vector<std::string> names;
    if (serverGone())
        return names;
    const char** ports = jack_get_ports(m_impl->client, nullptr, JACK_DEFAULT_MIDI_TYPE,
                                        outputs ? JackPortIsOutput : JackPortIsInput);
    if (ports == nullptr)
        return names;
    for (const char** p = ports; *p != nullptr; ++p)
        names.emplace_back(*p);
    jack_free(static_cast<void*>(ports));
    return names;
}

MidiResult JackMidiClient::openPort(const std::string& portName, InputHandler* handler)
{
    Impl& d = *m_impl;
    if (d.port.load() != nullptr)
        return MidiResult::Allocated;
    if (serverGone())
        return MidiResult::NoDriver;
    const bool input = d.direction == Direction::Input;
    if (input && handler == nullptr)
        return MidiResult::InvalidParameter;
    jack_port_t* port = jack_port_register(d.client, portName.c_str(), JACK_DEFAULT_MIDI_TYPE,
                                           input ? JackPortIsInput : JackPortIsOutput, 0);
    if (port == nullptr)
        return MidiResult::NotEnabled;
    // No period touches the rings or the counts while there is no port (closePort()).
    d.inRing.clear();
    d.outRing.clear();
    d.recordLeft = 0;
    d.bytesSent.store(d.bytesQueued.load());
    d.droppedPending = 0;
    d.lostPending = 0;
    while (::sem_trywait(&d.wake) == 0) {
    }
    if (input) {
        d.handler = handler;
        d.reader = std::thread([&d] { d.readLoop(); });
    }
    d.port.store(port);
    return MidiResult::NoError;
}

void JackMidiClient::closePort()
{
    Impl& d = *m_impl;
    jack_port_t* port = d.port.load();
    if (port == nullptr)
        return;
    if (d.direction == Direction::Output && !serverGone()) {
        // What is queued leaves first, and the period that took the last of it ends.
        const auto until = Clock::now() + kDrainWait;
        while (d.outRing.readable() > 0 && !serverGone() && Clock::now() < until)
            std::this_thread::sleep_for(1ms);
        const std::uint64_t seen = d.cycles.load(std::memory_order_acquire);
        while (d.cycles.load(std::memory_order_acquire) < seen + 2 && !serverGone() && Clock::now() < until)
            std::this_thread::sleep_for(1ms);
    }
    // The process thread lets go of the port within the period it is in; it never waits.
    d.port.store(nullptr);
    while (d.inCycle.load())
        std::this_thread::yield();
    d.stopReading();
    d.handler = nullptr;
    if (!serverGone())
        (void)jack_port_unregister(d.client, port);
}

bool JackMidiClient::portOpen() const { return m_impl->port.load() != nullptr; }

MidiResult JackMidiClient::connect(const std::string& otherPort)
{
    Impl& d = *m_impl;
    jack_port_t* port = d.port.load();
    if (port == nullptr)
        return MidiResult::InvalidHandle;
    if (serverGone())
        return MidiResult::NoDevice;
    const char* own = jack_port_name(port);
    const int r = d.direction == Direction::Input ? jack_connect(d.client, otherPort.c_str(), own)
                                                  : jack_connect(d.client, own, otherPort.c_str());
    if (r == 0 || r == EEXIST)
        return MidiResult::NoError;
    return MidiResult::NoDevice;
}

bool JackMidiClient::connectedTo(const std::string& otherPort) const
{
    const Impl& d = *m_impl;
    jack_port_t* port = d.port.load();
    if (port == nullptr || serverGone())
        return false;
    const char** names = jack_port_get_all_connections(d.client, port);
    if (names == nullptr)
        return false;
    bool found = false;
    for (const char** n = names; *n != nullptr && !found; ++n)
        found = otherPort == *n;
    jack_free(static_cast<void*>(names));
    return found;
}

MidiResult JackMidiClient::write(std::span<const std::uint8_t> bytes)
{
    Impl& d = *m_impl;
    if (d.direction != Direction::Output || d.port.load() == nullptr)
        return MidiResult::InvalidHandle;
    std::lock_guard lock(d.writeMutex);
    const auto until = Clock::now() + kWriteWait;
    while (!bytes.empty()) {
        const auto piece = bytes.first(std::min(bytes.size(), kOutputRecordBytes));
        const auto size = static_cast<std::uint32_t>(piece.size());
        for (;;) {
            if (serverGone())
                return MidiResult::NoDevice;
            if (d.outRing.write(bytesOf(size), piece)) {
                d.bytesQueued.fetch_add(piece.size());
                break;
            }
            if (Clock::now() >= until)
                return MidiResult::NotReady;
            std::this_thread::sleep_for(1ms);
        }
        bytes = bytes.subspan(piece.size());
    }
    return MidiResult::NoError;
}

std::uint64_t JackMidiClient::bytesQueued() const { return m_impl->bytesQueued.load(); }
std::uint64_t JackMidiClient::bytesSent() const { return m_impl->bytesSent.load(std::memory_order_acquire); }

}  // namespace platform
