// Brevane - a simulated DX7 as a process of its own, on JACK MIDI ports.
//
//   brevane_simdx7 --name CLIENT --report FILE [--device N] [--lifetime SECONDS] [--timeline FILE]
//
// Opens the ports "CLIENT In:in" (what the instrument receives) and "CLIENT Out:out" (what
// it sends), prints READY on standard output, then answers like the instrument until its
// standard input closes or its lifetime (default 60 s) runs out. Every message it receives
// is appended to the report file as one line: kind, checksum test (1 good, 0 bad), length
// and the bytes in hexadecimal. With --timeline, each message is also appended to that
// file as the microseconds of the monotonic clock at which it arrived and its bytes.
#include "platform/midi/JackMidiBackend.h"
#include "platform/midi/SimulatedDX7.h"

#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

namespace {

using platform::MidiEvent;
using platform::MidiEventKind;

// A message as it arrived, with the monotonic time of its arrival.
struct Arrival {
    MidiEvent event;
    std::int64_t atUs = 0;
};

class Inbox final : public platform::MidiEventReceiver {
public:
    void post(MidiEvent e) override
    {
        const auto at = std::chrono::duration_cast<std::chrono::microseconds>(
                            std::chrono::steady_clock::now().time_since_epoch())
                            .count();
        {
            std::lock_guard lock(m_mutex);
            m_events.push_back({std::move(e), at});
        }
        m_ready.notify_one();
    }
    bool wait(Arrival& a, std::chrono::milliseconds timeout)
    {
        std::unique_lock lock(m_mutex);
        if (!m_ready.wait_for(lock, timeout, [this] { return !m_events.empty(); }))
            return false;
        a = std::move(m_events.front());
        m_events.pop_front();
        return true;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<Arrival> m_events;
};

const char* kindName(platform::SimulatedDX7::Received::Kind k)
{
    using K = platform::SimulatedDX7::Received::Kind;
    switch (k) {
    case K::VoiceRequest: return "VoiceRequest";
    case K::BankRequest: return "BankRequest";
    case K::ParameterChange: return "ParameterChange";
    case K::Voice: return "Voice";
    case K::Bank: return "Bank";
    case K::Other: break;
    }
    return "Other";
}

void report(const std::string& path, const platform::SimulatedDX7::Received& r)
{
    std::FILE* f = std::fopen(path.c_str(), "a");
    if (!f)
        return;
    std::fprintf(f, "%s %d %zu", kindName(r.kind), r.checksumOk ? 1 : 0, r.bytes.size());
    for (const std::uint8_t b : r.bytes)
        std::fprintf(f, " %02X", b);
    std::fprintf(f, "\n");
    std::fclose(f);
}

void timeline(const std::string& path, std::int64_t atUs, const std::vector<std::uint8_t>& bytes)
{
    if (path.empty())
        return;
    std::FILE* f = std::fopen(path.c_str(), "a");
    if (!f)
        return;
    std::fprintf(f, "%lld", static_cast<long long>(atUs));
    for (const std::uint8_t b : bytes)
        std::fprintf(f, " %02X", b);
    std::fprintf(f, "\n");
    std::fclose(f);
}

// True once standard input has reached its end (the test closed it or died).
bool stdinClosed()
{
    pollfd p{STDIN_FILENO, POLLIN, 0};
    if (::poll(&p, 1, 0) <= 0)
        return false;
    char buf[64];
    return ::read(STDIN_FILENO, buf, sizeof buf) <= 0;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string name = "brevsim";
    std::string reportPath;
    std::string timelinePath;
    int device = 0;
    int lifetimeS = 60;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i];
        const std::string value = argv[i + 1];
        if (key == "--name")
            name = value;
        else if (key == "--report")
            reportPath = value;
        else if (key == "--device")
            device = std::atoi(value.c_str());
        else if (key == "--lifetime")
            lifetimeS = std::atoi(value.c_str());
        else if (key == "--timeline")
            timelinePath = value;
    }
    if (reportPath.empty()) {
        std::fprintf(stderr,
                     "usage: %s --name CLIENT --report FILE [--device N] [--lifetime SECONDS] [--timeline FILE]\n",
                     argv[0]);
        return 2;
    }

    platform::JackMidiBackend backend(name);
    Inbox inbox;
    if (backend.openVirtualInput("in", inbox) != platform::MidiResult::NoError ||
        backend.startInput() != platform::MidiResult::NoError ||
        backend.openVirtualOutput("out") != platform::MidiResult::NoError) {
        std::fprintf(stderr, "simulated DX7: cannot open JACK ports\n");
        return 1;
    }
    platform::SimulatedDX7 dx7(device);
    std::printf("READY\n");
    std::fflush(stdout);

    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(lifetimeS);
    while (std::chrono::steady_clock::now() < end && !stdinClosed()) {
        Arrival arrival;
        if (!inbox.wait(arrival, std::chrono::milliseconds(50)))
            continue;
        MidiEvent& e = arrival.event;
        std::vector<std::uint8_t> message;
        if (e.kind == MidiEventKind::LongData) {
            message = std::move(e.bytes);
        } else if (e.kind == MidiEventKind::Data) {
            const int length = platform::shortMessageLength(static_cast<std::uint8_t>(e.data & 0xFF));
            for (int i = 0; i < length; ++i)
                message.push_back(static_cast<std::uint8_t>((e.data >> (8 * i)) & 0xFF));
        } else {
            continue;
        }
        timeline(timelinePath, arrival.atUs, message);
        const auto replies = dx7.receive(message);
        report(reportPath, dx7.received().back());
        for (const auto& reply : replies) {
            std::this_thread::sleep_for(std::chrono::milliseconds(dx7.replyDelayMs()));
            if (backend.sendMessage(reply) != platform::MidiResult::NoError)
                std::fprintf(stderr, "simulated DX7: a reply could not be sent\n");
        }
    }
    backend.closeInput();
    backend.closeOutput();
    return 0;
}
