// Brevane - the real MIDI system on the ALSA sequencer, through RtMidi.
#include "platform/midi/RtMidiBackend.h"

#include "platform/midi/MidiMapperPort.h"
#include "platform/midi/PortBackendCore.h"

#include <RtMidi.h>
#include <alsa/asoundlib.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <iostream>
#include <mutex>
#include <streambuf>
#include <vector>

namespace platform {
namespace {

// ---- keeping the MIDI libraries quiet

// A stream buffer that swallows everything: RtMidi writes to std::cerr before it throws.
class NullBuffer final : public std::streambuf {
protected:
    int overflow(int c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

class SilencedCerr {
public:
    SilencedCerr() : m_old(std::cerr.rdbuf(&m_null)) {}
    ~SilencedCerr() { std::cerr.rdbuf(m_old); }
    SilencedCerr(const SilencedCerr&) = delete;
    SilencedCerr& operator=(const SilencedCerr&) = delete;

private:
    NullBuffer m_null;
    std::streambuf* m_old;
};

void quietAlsa(const char*, int, const char*, int, const char*, ...) {}

// The ALSA library prints its errors unless told otherwise; this process never wants that.
void silenceLibraries()
{
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(&quietAlsa); });
}

// ---- RtMidi's error reports

// Collects what RtMidi reports through its error callback; a send checks it afterwards.
struct ErrorRecord {
    std::mutex mutex;
    bool raised = false;
    std::string text;

    void raise()
    {
        std::lock_guard lock(mutex);
        raised = true;
    }
    void clear()
    {
        std::lock_guard lock(mutex);
        raised = false;
        text.clear();
    }
    // Whether something was reported since clear(), and what.
    bool take(std::string* what = nullptr)
    {
        std::lock_guard lock(mutex);
        const bool r = raised;
        if (what)
            *what = text;
        raised = false;
        return r;
    }
};

void onRtMidiError(RtMidiError::Type, const std::string& text, void* user)
{
    auto* record = static_cast<ErrorRecord*>(user);
    std::lock_guard lock(record->mutex);
    record->raised = true;
    record->text = text;
}

MidiResult resultForReport(const std::string& text)
{
    if (text.find("full") != std::string::npos)
        return MidiResult::NotReady;
    if (text.find("not open") != std::string::npos || text.find("no open") != std::string::npos)
        return MidiResult::InvalidHandle;
    return MidiResult::Error;
}

bool isDigits(std::string_view s)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

// The Mapper: an RtMidi client of its own ("<client> MIDI Mapper") with one virtual output
// port, made at the first listing (or use) and kept until the backend goes.
class RtMidiMapper final : public MidiMapperPort {
public:
    explicit RtMidiMapper(std::string clientName) : m_clientName(std::move(clientName)) {}
    ~RtMidiMapper() override
    {
        try {
            SilencedCerr quiet;
            m_out.reset();
        } catch (...) {
            // Tearing down a client of a vanished server may throw; nothing is left to do.
        }
    }

    [[nodiscard]] std::string name() const override { return m_clientName; }
    [[nodiscard]] bool isOpen() const override { return m_open.load(); }

    [[nodiscard]] MidiResult open() override
    {
        if (m_open.load())
            return MidiResult::NoError;
        silenceLibraries();
        if (!RtMidiBackend::alsaSequencerPresent())
            return MidiResult::NoDriver;
        try {
            SilencedCerr quiet;
            m_errors.clear();
            auto out = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, m_clientName);
            out->setErrorCallback(&onRtMidiError, &m_errors);
            out->openVirtualPort(kPortName);
            if (m_errors.take())
                return MidiResult::NotEnabled;
            m_out = std::move(out);
        } catch (...) {
            return MidiResult::NotEnabled;
        }
        m_open.store(true);
        return MidiResult::NoError;
    }

    // Any bytes (the pieces of a paced System Exclusive message too).
    [[nodiscard]] MidiResult sendRaw(std::span<const std::uint8_t> bytes)
    {
        if (!m_open.load())
            return MidiResult::InvalidHandle;
        m_errors.clear();
        try {
            m_out->sendMessage(bytes.data(), bytes.size());
        } catch (...) {
            return MidiResult::Error;
        }
        std::string text;
        if (m_errors.take(&text))
            return resultForReport(text);
        return MidiResult::NoError;
    }

    // Whether a listed port name is this Mapper's own port.
    [[nodiscard]] bool isOwnPort(const std::string& listed) const { return listed.rfind(m_clientName + ":", 0) == 0; }

protected:
    [[nodiscard]] MidiResult write(std::span<const std::uint8_t> message) override { return sendRaw(message); }

private:
    static constexpr const char* kPortName = "out";
    std::string m_clientName;
    std::unique_ptr<RtMidiOut> m_out;
    ErrorRecord m_errors;
    std::atomic<bool> m_open{false};
};

std::string RtMidiBackend::cleanPortName(std::string_view name)
{
    // ALSA lists "Client:Port 24:0": drop a last blank-separated word of the form digits:digits.
    const auto blank = name.rfind(' ');
    if (blank != std::string_view::npos) {
        const std::string_view tail = name.substr(blank + 1);
        const auto colon = tail.find(':');
        if (colon != std::string_view::npos && isDigits(tail.substr(0, colon)) &&
            isDigits(tail.substr(colon + 1)))
            name = name.substr(0, blank);
    }
    while (!name.empty() && name.back() == ' ')
        name.remove_suffix(1);
    return std::string(name);
}

bool RtMidiBackend::alsaSequencerPresent() { return ::access("/dev/snd/seq", R_OK | W_OK) == 0; }

struct RtMidiBackend::Impl final : PortBackendCore {
    std::string clientName;

    std::unique_ptr<RtMidiIn> in;
    std::unique_ptr<RtMidiOut> out;
    ErrorRecord inErrors;
    ErrorRecord outErrors;

    std::unique_ptr<RtMidiMapper> mapper;

    // Joins what RtMidi's input thread delivers; inputMutex held.
    MidiStreamParser parser;

    void resetInputStream() override { parser.reset(); }

    void dropClients()
    {
        in.reset();
        out.reset();
        inputOpen = outputOpen = false;
        std::lock_guard lock(inputMutex);
        receiver = nullptr;
        started = false;
    }

    // Creates the RtMidi objects when the system is there; false when it is not.
    bool ensureClients() override
    {
        silenceLibraries();
        if (in && out)
            return true;
        if (!alsaSequencerPresent())
            return false;
        try {
            SilencedCerr quiet;
            in = std::make_unique<RtMidiIn>(RtMidi::LINUX_ALSA, clientName + " In");
            in->setErrorCallback(&onRtMidiError, &inErrors);
            // System Exclusive and time code in; active sensing stays out.
            in->ignoreTypes(false, false, true);
            out = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, clientName + " Out");
            out->setErrorCallback(&onRtMidiError, &outErrors);
        } catch (...) {
            in.reset();
            out.reset();
            return false;
        }
        return true;
    }

    // Names of the ports an RtMidi object lists now, cleaned and told apart.
    template <class Port>
    std::vector<std::string> listNames(Port& port, ErrorRecord& errors)
    {
        std::vector<std::string> names;
        try {
            errors.clear();
            const unsigned count = port.getPortCount();
            for (unsigned i = 0; i < count; ++i)
                names.push_back(cleanPortName(port.getPortName(i)));
            names = distinctDeviceNames(std::move(names));
            errors.clear();
        } catch (...) {
            names.clear();
        }
        return names;
    }

    // Port number of a listed name now, or -1.
    template <class Port>
    int findPort(Port& port, ErrorRecord& errors, const std::string& name)
    {
        const auto names = listNames(port, errors);
        const auto it = std::find(names.begin(), names.end(), name);
        return it == names.end() ? -1 : static_cast<int>(it - names.begin());
    }

    void onInput(const std::vector<unsigned char>& bytes)
    {
        std::lock_guard lock(inputMutex);
        if (!receiver || !started)
            return;
        const std::uint32_t timeMs = msSinceStart(Clock::now());
        parser.feed(bytes, [&](MidiPiece&& p) { deliver(std::move(p), timeMs); });
    }

    static void inputCallback(double, std::vector<unsigned char>* message, void* user)
    {
        if (message)
            static_cast<Impl*>(user)->onInput(*message);
    }

    MidiResult send(std::span<const std::uint8_t> bytes)
    {
        if (outputOpen && outputOnMapper)
            return mapper->sendRaw(bytes);
        if (!out || !outputOpen)
            return MidiResult::InvalidHandle;
        outErrors.clear();
        try {
            out->sendMessage(bytes.data(), bytes.size());
        } catch (...) {
            return MidiResult::Error;
        }
        std::string text;
        if (outErrors.take(&text))
            return resultForReport(text);
        return MidiResult::NoError;
    }
};

RtMidiBackend::RtMidiBackend(std::string clientName) : m_impl(std::make_unique<Impl>())
{
    m_impl->clientName = std::move(clientName);
    m_impl->mapper = std::make_unique<RtMidiMapper>(m_impl->clientName + " MIDI Mapper");
}

RtMidiBackend::~RtMidiBackend()
{
    closeInput();
    closeOutput();
    try {
        SilencedCerr quiet;
        m_impl->dropClients();
    } catch (...) {
        // Tearing down a client of a vanished server may throw; nothing is left to do.
    }
}

void RtMidiBackend::setSysexRate(int bytesPerSecond) { m_impl->pacer.setRate(bytesPerSecond); }
bool RtMidiBackend::systemPresent() const { return alsaSequencerPresent(); }
std::string RtMidiBackend::systemName() const { return "ALSA"; }

void RtMidiBackend::refreshDevices()
{
    m_impl->inputNames.clear();
    m_impl->outputNames.clear();
    if (!m_impl->ensureClients())
        return;
    // The Mapper is there from the first listing on, for other programs to connect to.
    (void)m_impl->mapper->open();
    m_impl->inputNames = m_impl->listNames(*m_impl->in, m_impl->inErrors);
    m_impl->outputNames = m_impl->listNames(*m_impl->out, m_impl->outErrors);
    // The Mapper's own port is no input for the program: it would hear itself.
    std::erase_if(m_impl->inputNames, [this](const std::string& n) { return m_impl->mapper->isOwnPort(n); });
}

int RtMidiBackend::inputCount() const { return m_impl->inputCount(); }
int RtMidiBackend::outputCount() const { return m_impl->outputCount(); }

std::optional<MidiDeviceCaps> RtMidiBackend::inputCaps(int id) const { return m_impl->inputCaps(id); }

std::optional<MidiDeviceCaps> RtMidiBackend::outputCaps(int id) const
{
    return m_impl->outputCaps(id, m_impl->in && m_impl->out, *m_impl->mapper);
}

MidiResult RtMidiBackend::openInput(int id, MidiEventReceiver& receiver)
{
    if (const auto decided = m_impl->beginOpenInput(id))
        return *decided;
    const int port = m_impl->findPort(*m_impl->in, m_impl->inErrors, m_impl->inputNames[static_cast<std::size_t>(id)]);
    if (port < 0)
        return MidiResult::NoDevice;
    m_impl->attachReceiver(receiver);
    try {
        m_impl->inErrors.clear();
        m_impl->in->setCallback(&Impl::inputCallback, m_impl.get());
        m_impl->in->openPort(static_cast<unsigned>(port), m_impl->clientName + " Input");
    } catch (...) {
        m_impl->inErrors.raise();
    }
    if (m_impl->inErrors.take() || !m_impl->in->isPortOpen()) {
        m_impl->detachReceiver();
        try {
            m_impl->in->cancelCallback();
            m_impl->in->closePort();
        } catch (...) {
            // The port never opened; there is nothing to close.
        }
        m_impl->inErrors.clear();
        return MidiResult::NotEnabled;
    }
    m_impl->inputOpen = true;
    return MidiResult::NoError;
}

MidiResult RtMidiBackend::openVirtualInput(const std::string& portName, MidiEventReceiver& receiver)
{
    if (const auto decided = m_impl->beginOpenVirtual(false))
        return *decided;
    m_impl->attachReceiver(receiver);
    try {
        m_impl->inErrors.clear();
        m_impl->in->setCallback(&Impl::inputCallback, m_impl.get());
        m_impl->in->openVirtualPort(portName);
    } catch (...) {
        m_impl->inErrors.raise();
    }
    if (m_impl->inErrors.take()) {
        m_impl->detachReceiver();
        return MidiResult::NotEnabled;
    }
    m_impl->inputOpen = true;
    return MidiResult::NoError;
}

MidiResult RtMidiBackend::startInput() { return m_impl->startInput(); }
MidiResult RtMidiBackend::stopInput() { return m_impl->stopInput(); }

void RtMidiBackend::closeInput()
{
    if (!m_impl->inputOpen)
        return;
    m_impl->inputOpen = false;
    // Detach first, without holding the lock while RtMidi joins its thread.
    m_impl->detachReceiver();
    try {
        SilencedCerr quiet;
        m_impl->in->cancelCallback();
        m_impl->in->closePort();
    } catch (...) {
        // A port that cannot be closed cleanly is gone already.
    }
    m_impl->inErrors.clear();
}

bool RtMidiBackend::inputIsOpen() const { return m_impl->inputOpen; }

MidiResult RtMidiBackend::openOutput(int id)
{
    if (const auto decided = m_impl->beginOpenOutput(id, *m_impl->mapper))
        return *decided;
    const int port = m_impl->findPort(*m_impl->out, m_impl->outErrors, m_impl->outputNames[static_cast<std::size_t>(id)]);
    if (port < 0)
        return MidiResult::NoDevice;
    try {
        m_impl->outErrors.clear();
        m_impl->out->openPort(static_cast<unsigned>(port), m_impl->clientName + " Output");
    } catch (...) {
        m_impl->outErrors.raise();
    }
    if (m_impl->outErrors.take() || !m_impl->out->isPortOpen()) {
        try {
            m_impl->out->closePort();
        } catch (...) {
            // The port never opened; there is nothing to close.
        }
        m_impl->outErrors.clear();
        return MidiResult::NotEnabled;
    }
    m_impl->outputOpen = true;
    m_impl->pacer.restart();
    return MidiResult::NoError;
}

MidiResult RtMidiBackend::openVirtualOutput(const std::string& portName)
{
    if (const auto decided = m_impl->beginOpenVirtual(true))
        return *decided;
    try {
        m_impl->outErrors.clear();
        m_impl->out->openVirtualPort(portName);
    } catch (...) {
        m_impl->outErrors.raise();
    }
    if (m_impl->outErrors.take())
        return MidiResult::NotEnabled;
    m_impl->outputOpen = true;
    m_impl->pacer.restart();
    return MidiResult::NoError;
}

void RtMidiBackend::closeOutput()
{
    if (!m_impl->endOutput(*m_impl->mapper))
        return;
    try {
        SilencedCerr quiet;
        m_impl->out->closePort();
    } catch (...) {
        // A port that cannot be closed cleanly is gone already.
    }
    m_impl->outErrors.clear();
}

bool RtMidiBackend::outputIsOpen() const { return m_impl->outputOpen; }

MidiMapperPort* RtMidiBackend::mapper() { return m_impl->mapper.get(); }

MidiResult RtMidiBackend::writeShort(std::span<const std::uint8_t> message) { return m_impl->send(message); }

MidiResult RtMidiBackend::writeSysex(std::span<const std::uint8_t> message)
{
    // The ALSA event encoder passes a piece on as soon as it holds SysexPacer::kChunkBytes.
    return m_impl->writePaced(message, [this](std::span<const std::uint8_t> piece) { return m_impl->send(piece); });
}

}  // namespace platform
