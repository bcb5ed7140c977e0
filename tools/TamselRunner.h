// Brevane - finding the user's copy of the Tamsel utility and how to start it.
//
// Brevane does not contain the utility. It runs, in this order of preference:
//   - the command named by BREVANE_TAMSEL (words split at blanks; double quotes group);
//   - a native executable "tamsel" in the program folder or the data folder;
//   - "tamsel.com" from there under DOSBox, when DOSBox is installed.
// Every run happens in a private working folder that holds copies of the source, the
// utility, its "syinit.dat" (when present beside it) and the settings file.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tools {

// The environment variable that names a runner command of the user's choice.
inline constexpr const char* kTamselCommandVariable = "BREVANE_TAMSEL";

struct TamselRunner {
    enum class Kind { Command, Native, DosBox };
    Kind kind = Kind::Native;
    // Command: the program and its arguments. Native: the utility's own file.
    // DosBox: the DOSBox program.
    std::string program;
    std::vector<std::string> arguments;
    // Files copied into the working folder, under the name given: the utility and its
    // "syinit.dat".
    std::vector<std::pair<std::string, std::string>> copies;  // (from, name in the folder)
};

// How one run starts the runner in a working folder.
struct TamselProcessSpec {
    std::string program;
    std::vector<std::string> arguments;
    std::vector<std::pair<std::string, std::string>> environment;  // variables set or replaced
};

[[nodiscard]] TamselProcessSpec processSpecFor(const TamselRunner& runner, const std::string& workFolder);

struct TamselLocation {
    std::string programFolder;  // the program's folder
    std::string dataFolder;     // the data folder
    std::string command;        // BREVANE_TAMSEL's value; empty when not set
    // Full path of an executable found on the PATH ("dosbox"), or "".
    std::function<std::string(const std::string& name)> findExecutable;
};

// The runner to use, or nullopt when there is no utility or nothing to run it with.
[[nodiscard]] std::optional<TamselRunner> locateTamsel(const TamselLocation& where);

// The same with BREVANE_TAMSEL from the environment and the PATH searched for DOSBox.
[[nodiscard]] std::optional<TamselRunner> locateTamsel(const std::string& programFolder,
                                                       const std::string& dataFolder);

}  // namespace tools
