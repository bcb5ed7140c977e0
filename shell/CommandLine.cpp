// Brevane - the one-letter command-line switch.
#include "shell/CommandLine.h"

namespace shell {

CommandLineSwitch parseCommandLine(const std::vector<std::string>& args)
{
    // The arguments joined as the command line would read, without outer blanks.
    std::string line;
    for (const std::string& arg : args) {
        if (!line.empty())
            line += ' ';
        line += arg;
    }
    const auto first = line.find_first_not_of(" \t");
    if (first == std::string::npos)
        return CommandLineSwitch::None;
    line = line.substr(first, line.find_last_not_of(" \t") - first + 1);
    if (line.size() != 1)
        return CommandLineSwitch::None;
    switch (line[0] | 0x20) {
    case 'n': return CommandLineSwitch::WorkOffline;
    case 'c': return CommandLineSwitch::CallbackMode;
    case 's': return CommandLineSwitch::SkipDetection;
    default: return CommandLineSwitch::None;
    }
}

}  // namespace shell
