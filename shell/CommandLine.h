// Brevane - the one-letter command-line switch.
#pragma once

#include <string>
#include <vector>

namespace shell {

// The whole command line is one optional letter, upper or lower case; anything else is
// ignored, so at most one switch takes effect. The values are the letters.
enum class CommandLineSwitch : char {
    None = 0,
    WorkOffline = 'n',    // open no MIDI device
    CallbackMode = 'c',   // open the MIDI devices in callback-function mode
    SkipDetection = 's',  // do not detect the synthesizer at start-up
};

// args: the arguments after the program name (Qt's own options already removed).
[[nodiscard]] CommandLineSwitch parseCommandLine(const std::vector<std::string>& args);

}  // namespace shell
