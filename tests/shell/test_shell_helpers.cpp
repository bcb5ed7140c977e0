// Folders, the command-line switch, recent-file captions and help topics.
#include "shell/AppPaths.h"
#include "shell/CommandLine.h"
#include "shell/HelpTopics.h"
#include "shell/ShellHelpers.h"

#include "ShellTestSupport.h"

#include <gtest/gtest.h>

#include <map>

namespace shell {
namespace {

using shell::testing::TempFolder;
using shell::testing::writeFile;

EnvironmentLookup env(std::map<std::string, std::string> vars)
{
    return [vars](const char* name) {
        const auto it = vars.find(name);
        return it == vars.end() ? std::string() : it->second;
    };
}

TEST(AppPaths, AWritableProgramFolderKeepsEverythingBesideTheProgram)
{
    const AppPaths p = resolveAppPaths("/home/me/brevane/build/bin", env({{"HOME", "/home/me"}}),
                                       [](const std::string&) { return true; });
    EXPECT_TRUE(p.besideProgram);
    EXPECT_EQ(p.programFolder, "/home/me/brevane/build/bin/");
    EXPECT_EQ(p.settingsFile, "/home/me/brevane/build/bin/Brevane.ini");
    EXPECT_EQ(p.dataBaseFolder, "/home/me/brevane/build/bin/");
}

TEST(AppPaths, AnInstalledProgramUsesTheXdgFolders)
{
    const auto readOnly = [](const std::string&) { return false; };
    const AppPaths home = resolveAppPaths("/usr/bin/", env({{"HOME", "/home/me"}}), readOnly);
    EXPECT_FALSE(home.besideProgram);
    EXPECT_EQ(home.programFolder, "/usr/bin/");
    EXPECT_EQ(home.settingsFile, "/home/me/.config/Brevane/Brevane.ini");
    EXPECT_EQ(home.dataBaseFolder, "/home/me/.local/share/Brevane/");

    const AppPaths xdg = resolveAppPaths(
        "/usr/bin", env({{"HOME", "/home/me"}, {"XDG_CONFIG_HOME", "/cfg"}, {"XDG_DATA_HOME", "/data/"}}), readOnly);
    EXPECT_EQ(xdg.settingsFile, "/cfg/Brevane/Brevane.ini");
    EXPECT_EQ(xdg.dataBaseFolder, "/data/Brevane/");

    // Relative XDG values are not valid and are ignored.
    const AppPaths relative =
        resolveAppPaths("/usr/bin", env({{"HOME", "/home/me"}, {"XDG_CONFIG_HOME", "cfg"}}), readOnly);
    EXPECT_EQ(relative.settingsFile, "/home/me/.config/Brevane/Brevane.ini");
}

// A prefix the user may write to, as ~/.local is: bin/ for the program, share/brevane/ for
// its own files.
TEST(AppPaths, TheProgramsOwnFilesAreBesideItElseInstalledAndAnInstallKeepsNothingInBin)
{
    TempFolder prefix;
    const std::string program = prefix.folder() + "bin";
    const std::string installed =
        withTrailingSlash((std::filesystem::path(program) / kInstalledFilesFolder).lexically_normal().string());
    std::filesystem::create_directories(program);
    ASSERT_TRUE(isUserWritableFolder(program));
    const auto paths = [&] {
        const AppPaths p = resolveAppPaths(
            program, env({{"HOME", "/home/me"}, {"XDG_CONFIG_HOME", "/cfg"}, {"XDG_DATA_HOME", "/data"}}),
            isUserWritableFolder);
        EXPECT_EQ(p.programFolder, program + "/");
        return p;
    };
    const auto expectBesideTheProgram = [&](const AppPaths& p) {
        EXPECT_TRUE(p.besideProgram);
        EXPECT_EQ(p.settingsFile, program + "/Brevane.ini");
        EXPECT_EQ(p.dataBaseFolder, program + "/");
    };
    // Found nowhere: the program folder, whose missing file File > New then names; the
    // writable folder keeps the settings and data as before.
    AppPaths p = paths();
    EXPECT_EQ(p.ownFilesFolder(), program + "/");
    expectBesideTheProgram(p);
    // Installed: the shared files folder, found from the program's own folder; settings
    // and data go to the XDG folders although bin/ may be written to.
    writeFile(installed + "DXInit.dat", "x");
    p = paths();
    EXPECT_EQ(p.ownFilesFolder(), installed);
    EXPECT_FALSE(p.besideProgram);
    EXPECT_EQ(p.settingsFile, "/cfg/Brevane/Brevane.ini");
    EXPECT_EQ(p.dataBaseFolder, "/data/Brevane/");
    // A copy beside the program comes first (a build folder, an unpacked archive), and
    // everything stays beside it.
    writeFile(program + "/DXInit.dat", "x");
    p = paths();
    EXPECT_EQ(p.ownFilesFolder(), program + "/");
    expectBesideTheProgram(p);
}

TEST(AppPaths, SystemFoldersAreNeverWritableForSettings)
{
    EXPECT_FALSE(isUserWritableFolder("/usr/bin"));
    EXPECT_FALSE(isUserWritableFolder("/opt/brevane/"));
    TempFolder temp;
    EXPECT_TRUE(isUserWritableFolder(temp.folder()));
}

TEST(AppPaths, TheDataFolderRule)
{
    TempFolder temp;
    // A kept value stays.
    EXPECT_EQ(settleDataDirectory("/kept/", temp.folder()), "/kept/");
    // No Data folder, or one without .dat files: the base folder.
    EXPECT_EQ(settleDataDirectory("", temp.folder()), temp.folder());
    writeFile(temp.file("Data/readme.txt"), "x");
    std::filesystem::create_directories(temp.path() / "Data" / "sub.dat");  // a folder, not a file
    EXPECT_EQ(settleDataDirectory("", temp.path().string()), temp.folder());
    // A .dat file in any letter case makes Data the data folder.
    writeFile(temp.file("Data/BANK1.DAT"), "x");
    EXPECT_EQ(settleDataDirectory("", temp.path().string()), temp.folder() + "Data/");
}

TEST(CommandLine, OneLetterInAnyCaseOrNothing)
{
    const std::pair<std::vector<std::string>, CommandLineSwitch> cases[] = {
        {{}, CommandLineSwitch::None},
        {{"n"}, CommandLineSwitch::WorkOffline},
        {{"N"}, CommandLineSwitch::WorkOffline},
        {{"c"}, CommandLineSwitch::CallbackMode},
        {{" s "}, CommandLineSwitch::SkipDetection},
        {{"S"}, CommandLineSwitch::SkipDetection},
        {{"x"}, CommandLineSwitch::None},
        {{"n", "s"}, CommandLineSwitch::None},  // the whole line is compared
        {{"-n"}, CommandLineSwitch::None},
        {{"ns"}, CommandLineSwitch::None},
    };
    for (const auto& [args, expected] : cases)
        EXPECT_EQ(parseCommandLine(args), expected) << (args.empty() ? "(none)" : args.front());
}

TEST(RecentFiles, LongPathsAreShortenedInTheMiddle)
{
    EXPECT_EQ(compactPath("/home/me/a.dat"), "/home/me/a.dat");
    const std::string path = "/home/musician/Synthesizers/DX7/Banks/Factory/ROM1A.syx";
    const std::string shown = compactPath(path);
    EXPECT_LE(shown.size(), kRecentPathChars);
    EXPECT_EQ(shown, "/home/.../Factory/ROM1A.syx");
    // The file name always stays; a name too long on its own is cut.
    EXPECT_EQ(compactPath("/x/averyveryverylongfilenamethatgoesonandon.dat"), "averyveryverylongfilenamet...");
    EXPECT_EQ(compactPath("/home/musician/Synthesizers/averyverylongname.dat"), ".../averyverylongname.dat");
    EXPECT_EQ(recentFileCaption(3, "/b.dat"), "3 /b.dat");
    for (std::size_t n = 4; n < 40; ++n)
        EXPECT_LE(compactPath(path, n).size(), n);

    // Letters, not bytes, are counted, and a name is cut on a letter.
    std::string umlauts;
    for (int i = 0; i < 40; ++i)
        umlauts += "\xC3\xA4";
    const std::string japanese =
        "/home/me/\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE9\x9F\xB3\xE8\x89\xB2\xE9\x9B\x86.dat";
    EXPECT_EQ(compactPath(japanese), japanese) << "20 letters of 34 bytes";
    EXPECT_EQ(compactPath("/x/" + umlauts + ".dat"), umlauts.substr(0, 2 * 26) + "...");
}

TEST(HelpTopics, TopicsAndContextNumbers)
{
    EXPECT_EQ(normaliseHelpTopic("::/MDIMain.htm#FileOpen"), "MDIMain.htm#FileOpen");
    EXPECT_EQ(normaliseHelpTopic("Brevane.chm::/MDIMain.htm#EditFind"), "MDIMain.htm#EditFind");
    EXPECT_EQ(normaliseHelpTopic("MDIMain.htm#ToolsOptions"), "MDIMain.htm#ToolsOptions");
    EXPECT_EQ(normaliseHelpTopic(""), "index.htm");
    EXPECT_EQ(helpTopicForContext(2020), "MDIMain.htm#FileOpen");
    EXPECT_EQ(helpTopicForContext(2420), "QuickTour.htm");
    EXPECT_EQ(helpTopicForContext(2440), "Support.htm");
    EXPECT_EQ(helpTopicForContext(1), "index.htm");
}

}  // namespace
}  // namespace shell
