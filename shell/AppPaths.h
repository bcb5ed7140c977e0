// Brevane - where the program finds its own files and keeps the user's.
//
// Its own read-only files ("DXInit.dat") are read from the program folder when they are
// there, else from where an install puts them, relative to the program folder
// ("../share/brevane"). Run from a folder the user may write to that holds its own files
// or neither (a build tree, an unpacked archive), the program keeps everything beside
// itself: "Brevane.ini", the data folder and "PatchGen.dat". Installed (its own files come
// from the installed files folder, whatever prefix), or in a folder it may not write to,
// it keeps the settings in the user's XDG config folder and the data in the XDG data
// folder, both under "Brevane".
#pragma once

#include <functional>
#include <string>

namespace shell {

constexpr const char* kSettingsFileName = "Brevane.ini";
constexpr const char* kAppFolderName = "Brevane";

// Where an installed program's own files are, relative to its program folder.
extern const char* const kInstalledFilesFolder;

struct AppPaths {
    std::string programFolder;   // folder of the executable, with a trailing '/'
    std::string filesFolder;     // folder of the program's own files, with '/'; empty: programFolder
    std::string settingsFile;    // full path of "Brevane.ini"
    std::string dataBaseFolder;  // folder whose "Data" subfolder the data-folder rule looks at, with '/'
    bool besideProgram = false;  // settings and data live in the program folder

    // The folder of "DXInit.dat" and the program's other read-only files, ending in '/'.
    [[nodiscard]] const std::string& ownFilesFolder() const
    {
        return filesFolder.empty() ? programFolder : filesFolder;
    }
};

// Looks up an environment variable; an empty text when it is not set.
using EnvironmentLookup = std::function<std::string(const char* name)>;
// True when the program may keep its settings in this folder.
using FolderWritable = std::function<bool(const std::string& folder)>;

// The paths for a program in programFolder (with or without a trailing '/').
[[nodiscard]] AppPaths resolveAppPaths(const std::string& programFolder, const EnvironmentLookup& env,
                                       const FolderWritable& writable);
// The same with the process environment and the real file system.
[[nodiscard]] AppPaths resolveAppPaths(const std::string& programFolder);

// A folder counts as writable when the user may create files in it and it is not one of
// the system's program folders (/usr, /opt, /bin, ...), where even root keeps no settings.
[[nodiscard]] bool isUserWritableFolder(const std::string& folder);

// The data folder at start-up: a non-empty current value is kept; otherwise the "Data"
// subfolder of baseFolder when it holds at least one ".dat" file (any letter case), else
// baseFolder itself. The result ends in '/'.
[[nodiscard]] std::string settleDataDirectory(const std::string& current, const std::string& baseFolder);

// folder with exactly one trailing '/' (an empty folder stays empty).
[[nodiscard]] std::string withTrailingSlash(std::string folder);

}  // namespace shell
