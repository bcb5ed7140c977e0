// Brevane - JACK MIDI input: 4104-byte banks arriving back to back from another JACK
// client, at the wire speed of DIN MIDI (3125 bytes/s) and as fast as JACK carries them,
// from a sender that writes again in the next period what the period's buffer refused.
// Every bank must arrive whole, none dropped, and no loss be reported (loss_lines, the
// lines the monitor would show for events lost): the counters say how it went.
//
// A private JACK server (the dummy driver, 64 frames a period at 48 kHz) is started for
// the run; without jackd the benchmarks are skipped.
#include "platform/midi/JackMidiBackend.h"
#include "platform/midi/SimulatedDX7.h"
#include "platform/testing/JackSendingClient.h"

#include <benchmark/benchmark.h>
#include <jack/jack.h>
#include <jack/midiport.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <limits>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kSampleRate = 48000;
constexpr int kPeriodFrames = 64;

// A private jackd for the whole run, ended with the process.
class PrivateJackServer {
public:
    PrivateJackServer()
    {
        const std::string jackd = platform::testing::findJackd();
        if (jackd.empty())
            return;
        const std::string name = "brevane-bench-" + std::to_string(::getpid());
        ::setenv("JACK_DEFAULT_SERVER", name.c_str(), 1);
        const std::string period = std::to_string(kPeriodFrames);
        const std::string rate = std::to_string(kSampleRate);
        const pid_t parent = ::getpid();
        m_pid = ::fork();
        if (m_pid == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (::getppid() != parent)
                ::_exit(126);
            const int devnull = ::open("/dev/null", O_RDWR);
            ::dup2(devnull, 0);
            ::dup2(devnull, 1);
            ::dup2(devnull, 2);
            ::execl(jackd.c_str(), "jackd", "--no-realtime", "-d", "dummy", "-r", rate.c_str(), "-p",
                    period.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        const auto until = Clock::now() + 15s;
        while (m_pid > 0 && !platform::JackMidiBackend::serverRunning() && Clock::now() < until)
            std::this_thread::sleep_for(100ms);
    }
    ~PrivateJackServer()
    {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, SIGTERM);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
    }
    PrivateJackServer(const PrivateJackServer&) = delete;
    PrivateJackServer& operator=(const PrivateJackServer&) = delete;

    [[nodiscard]] bool running() const { return m_pid > 0 && platform::JackMidiBackend::serverRunning(); }

private:
    pid_t m_pid = -1;
};

PrivateJackServer& server()
{
    static PrivateJackServer s;
    return s;
}

// Another JACK client that sends banks back to back, at a byte rate or (rate 0) as fast as
// the port's buffer takes them: then it writes events until one is refused, and writes
// that one again in the next period.
class BankSender {
public:
    explicit BankSender(std::vector<std::uint8_t> bank) : m_bank(std::move(bank)) {}

    [[nodiscard]] bool ready() const { return m_client.ready(); }
    // Starts sending this many banks; bytesPerSecond 0 sends at full speed.
    void send(int banks, int bytesPerSecond)
    {
        m_rate.store(bytesPerSecond);
        m_banks.store(banks);
    }
    [[nodiscard]] bool idle() const { return m_banks.load() == 0; }
    // Writes the period's buffer refused (each written again in the next period).
    [[nodiscard]] int refused() const { return m_refused.load(); }

private:
    void fill(void* buffer, jack_nframes_t frames)
    {
        if (m_banks.load() == 0)
            return;
        const int rate = m_rate.load();
        // Bytes this period may carry: the wire's share of the period, or all that fits.
        std::size_t budget = 0;
        if (rate > 0) {
            m_credit += static_cast<double>(rate) * frames / kSampleRate;
            budget = static_cast<std::size_t>(m_credit);
        } else {
            budget = std::numeric_limits<std::size_t>::max();
        }
        std::size_t sent = 0;
        while (m_banks.load() > 0 && sent < budget) {
            // Events of at most 256 bytes, and never all of the room: an event that fills
            // the whole buffer may be spoilt by the server.
            const std::size_t room = jack_midi_max_event_size(buffer);
            std::size_t n = std::min({std::size_t{256}, budget - sent, m_bank.size() - m_offset});
            if (rate > 0 && n + 32 > room)
                break;
            if (n > 1 && n == room)
                --n;
            if (jack_midi_event_write(buffer, 0, m_bank.data() + m_offset, n) != 0) {
                m_refused.fetch_add(1);
                break;
            }
            sent += n;
            m_offset += n;
            if (m_offset == m_bank.size()) {
                m_offset = 0;
                m_banks.fetch_sub(1);
            }
        }
        if (rate > 0)
            m_credit -= static_cast<double>(sent);
    }

    std::vector<std::uint8_t> m_bank;
    std::atomic<int> m_banks{0};
    std::atomic<int> m_rate{0};
    std::atomic<int> m_refused{0};
    std::size_t m_offset = 0;  // process thread only
    double m_credit = 0;       // process thread only
    platform::testing::JackSendingClient m_client{
        "brevane-bench-sender", [this](void* buffer, jack_nframes_t frames) { fill(buffer, frames); }};
};

// Counts what the program's input delivers: banks that arrived whole, and anything else.
class BankCounter final : public platform::MidiEventReceiver {
public:
    explicit BankCounter(std::vector<std::uint8_t> bank) : m_bank(std::move(bank)) {}
    void post(platform::MidiEvent e) override
    {
        {
            std::lock_guard lock(m_mutex);
            if (e.kind == platform::MidiEventKind::LongData && e.bytes == m_bank)
                ++m_whole;
            else if (e.kind == platform::MidiEventKind::InputLost)
                ++m_lossLines;
            else
                ++m_other;
        }
        m_changed.notify_all();
    }
    // Waits until this many whole banks have come in all, or the time is up.
    void waitFor(int whole, std::chrono::milliseconds timeout)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, timeout, [&] { return m_whole >= whole; });
    }
    [[nodiscard]] int whole() const
    {
        std::lock_guard lock(m_mutex);
        return m_whole;
    }
    [[nodiscard]] int other() const
    {
        std::lock_guard lock(m_mutex);
        return m_other;
    }
    // Reports of events lost: one monitor line each.
    [[nodiscard]] int lossLines() const
    {
        std::lock_guard lock(m_mutex);
        return m_lossLines;
    }

private:
    std::vector<std::uint8_t> m_bank;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_whole = 0;
    int m_other = 0;
    int m_lossLines = 0;
};

// state.range(0): banks per iteration; state.range(1): bytes per second, 0 = full speed.
void BM_JackBankInput(benchmark::State& state)
{
    if (!server().running()) {
        state.SkipWithError("no JACK server could be started");
        return;
    }
    const auto bank = platform::SimulatedDX7(0).bulkDump();
    BankSender sender(bank);
    BankCounter counter(bank);
    platform::JackMidiBackend backend("BrevaneBench");
    backend.refreshDevices();
    int source = -1;
    for (int id = 0; id < backend.inputCount(); ++id)
        if (backend.inputCaps(id)->productName == "brevane-bench-sender:out")
            source = id;
    if (!sender.ready() || source < 0 || backend.openInput(source, counter) != platform::MidiResult::NoError ||
        backend.startInput() != platform::MidiResult::NoError) {
        state.SkipWithError("the JACK clients could not be set up");
        return;
    }
    const int banks = static_cast<int>(state.range(0));
    const int rate = static_cast<int>(state.range(1));
    // The wire time of the banks, twice over, and never less than ten seconds.
    const auto timeout = std::chrono::milliseconds(
        std::max<long long>(10'000, rate > 0 ? 2'000LL * banks * static_cast<long long>(bank.size()) / rate : 0));
    int sent = 0;
    for (auto _ : state) {
        sender.send(banks, rate);
        sent += banks;
        counter.waitFor(sent, timeout);
        while (!sender.idle())
            std::this_thread::sleep_for(1ms);
    }
    backend.closeInput();
    state.counters["banks_sent"] = sent;
    state.counters["banks_whole"] = counter.whole();
    state.counters["banks_dropped"] = sent - counter.whole();
    state.counters["other_events"] = counter.other();
    state.counters["loss_lines"] = counter.lossLines();
    state.counters["writes_refused"] = sender.refused();
    state.SetBytesProcessed(static_cast<std::int64_t>(counter.whole()) * static_cast<std::int64_t>(bank.size()));
}
BENCHMARK(BM_JackBankInput)
    ->ArgNames({"banks", "bytes_per_s"})
    ->Args({3, 3125})
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JackBankInput)
    ->ArgNames({"banks", "bytes_per_s"})
    ->Args({200, 0})
    ->Iterations(5)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
