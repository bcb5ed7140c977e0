// Brevane - program, settings and data folders.
#include "shell/AppPaths.h"

#include "banklib/InitVoice.h"

#include <unistd.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace shell {

// The build passes the install's layout (GNUInstallDirs); the usual one otherwise.
#ifdef BREVANE_FILES_FROM_BIN
const char* const kInstalledFilesFolder = BREVANE_FILES_FROM_BIN;
#else
const char* const kInstalledFilesFolder = "../share/brevane";
#endif

namespace {

// Folders where installed programs live; settings are never written there.
constexpr std::array<std::string_view, 7> kSystemPrefixes = {"/usr/", "/opt/", "/bin/", "/sbin/",
                                                             "/lib/", "/snap/", "/nix/"};

bool endsWithDat(const std::string& name)
{
    if (name.size() < 4)
        return false;
    const std::string_view ext(name.data() + name.size() - 4, 4);
    return ext[0] == '.' && (ext[1] | 0x20) == 'd' && (ext[2] | 0x20) == 'a' && (ext[3] | 0x20) == 't';
}

// The program folder when its own files are beside it (a build folder, an unpacked archive),
// else the installed files folder when they are there; the program folder when neither holds them.
std::string findOwnFiles(const std::string& programFolder)
{
    std::error_code ec;
    if (programFolder.empty() ||
        std::filesystem::exists(std::filesystem::path(programFolder) / banklib::kInitBankFileName, ec))
        return programFolder;
    const std::filesystem::path installed =
        (std::filesystem::path(programFolder) / kInstalledFilesFolder).lexically_normal();
    if (std::filesystem::exists(installed / banklib::kInitBankFileName, ec))
        return withTrailingSlash(installed.string());
    return programFolder;
}

}  // namespace

std::string withTrailingSlash(std::string folder)
{
    while (folder.size() > 1 && folder.back() == '/' && folder[folder.size() - 2] == '/')
        folder.pop_back();
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder;
}

bool isUserWritableFolder(const std::string& folder)
{
    const std::string f = withTrailingSlash(folder);
    if (f.empty())
        return false;
    for (std::string_view prefix : kSystemPrefixes)
        if (std::string_view(f).starts_with(prefix))
            return false;
    return ::access(f.c_str(), W_OK | X_OK) == 0;
}

AppPaths resolveAppPaths(const std::string& programFolder, const EnvironmentLookup& env,
                         const FolderWritable& writable)
{
    AppPaths paths;
    paths.programFolder = withTrailingSlash(programFolder);
    paths.filesFolder = findOwnFiles(paths.programFolder);
    // A program whose own files come from the installed files folder is installed: it keeps
    // nothing beside itself, even in a prefix the user may write to (~/.local).
    const bool installed = paths.filesFolder != paths.programFolder;
    paths.besideProgram = !installed && writable(paths.programFolder);
    if (paths.besideProgram) {
        paths.settingsFile = paths.programFolder + kSettingsFileName;
        paths.dataBaseFolder = paths.programFolder;
        return paths;
    }
    const std::string home = env("HOME");
    std::string config = env("XDG_CONFIG_HOME");
    std::string data = env("XDG_DATA_HOME");
    // Relative XDG paths are invalid and must be ignored.
    if (config.empty() || config.front() != '/')
        config = home.empty() ? std::string() : withTrailingSlash(home) + ".config";
    if (data.empty() || data.front() != '/')
        data = home.empty() ? std::string() : withTrailingSlash(home) + ".local/share";
    if (config.empty() || data.empty()) {
        // Without a home there is nowhere else to go.
        paths.settingsFile = paths.programFolder + kSettingsFileName;
        paths.dataBaseFolder = paths.programFolder;
        return paths;
    }
    paths.settingsFile = withTrailingSlash(config) + kAppFolderName + "/" + kSettingsFileName;
    paths.dataBaseFolder = withTrailingSlash(withTrailingSlash(data) + kAppFolderName);
    return paths;
}

AppPaths resolveAppPaths(const std::string& programFolder)
{
    return resolveAppPaths(
        programFolder,
        [](const char* name) {
            const char* value = std::getenv(name);
            return std::string(value ? value : "");
        },
        isUserWritableFolder);
}

std::string settleDataDirectory(const std::string& current, const std::string& baseFolder)
{
    if (!current.empty())
        return current;
    const std::string base = withTrailingSlash(baseFolder);
    const std::filesystem::path dataFolder = std::filesystem::path(base) / "Data";
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dataFolder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code fileEc;
        if (endsWithDat(it->path().filename().string()) && it->is_regular_file(fileEc))
            return base + "Data/";
    }
    return base;
}

}  // namespace shell
