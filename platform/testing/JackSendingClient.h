// Brevane - another program on the JACK server, for tests and benchmarks: a plain libjack
// client with one MIDI output port "out" whose every period is filled by a function of the
// owner's. Header only: its users link libjack themselves.
#pragma once

#include <jack/jack.h>
#include <jack/midiport.h>

#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <utility>

namespace platform::testing {

// The jackd on the PATH, or "" when there is none.
inline std::string findJackd()
{
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "/usr/bin:/bin");
    for (std::string dir; std::getline(dirs, dir, ':');) {
        const std::string candidate = dir + "/jackd";
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

class JackSendingClient {
public:
    // Called on JACK's process thread with the port's buffer, already cleared.
    using Fill = std::function<void(void* buffer, jack_nframes_t frames)>;

    // Joins the running server (never starts one) and starts at once: declare it after
    // everything `fill` reads, so that it stops before they go.
    JackSendingClient(const char* clientName, Fill fill) : m_fill(std::move(fill))
    {
        jack_status_t status{};
        m_client = jack_client_open(clientName, JackNoStartServer, &status);
        if (!m_client)
            return;
        m_port = jack_port_register(m_client, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
        if (!m_port || jack_set_process_callback(m_client, &JackSendingClient::process, this) != 0 ||
            jack_activate(m_client) != 0) {
            jack_client_close(m_client);
            m_client = nullptr;
        }
    }
    ~JackSendingClient()
    {
        if (m_client) {
            jack_deactivate(m_client);
            jack_client_close(m_client);
        }
    }
    JackSendingClient(const JackSendingClient&) = delete;
    JackSendingClient& operator=(const JackSendingClient&) = delete;

    [[nodiscard]] bool ready() const { return m_client != nullptr; }

private:
    static int process(jack_nframes_t frames, void* arg)
    {
        auto* self = static_cast<JackSendingClient*>(arg);
        void* buffer = jack_port_get_buffer(self->m_port, frames);
        jack_midi_clear_buffer(buffer);
        self->m_fill(buffer, frames);
        return 0;
    }

    Fill m_fill;
    jack_client_t* m_client = nullptr;
    jack_port_t* m_port = nullptr;
};

}  // namespace platform::testing
