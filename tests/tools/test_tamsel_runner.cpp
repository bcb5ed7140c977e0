// Finding the user's converter and how it is started.
#include "tools/TamselRunner.h"

#include "ConversionTestSupport.h"

#include <gtest/gtest.h>

namespace {

using tools::TamselRunner;
using namespace tools::testing;

tools::TamselLocation in(const Folder& program, const Folder& data, std::string dosbox = {})
{
    tools::TamselLocation where;
    where.programFolder = program.path();
    where.dataFolder = data.path();
    where.findExecutable = [dosbox](const std::string& name) { return name == "dosbox" ? dosbox : std::string(); };
    return where;
}

TEST(TamselRunnerLocation, NativeUtilityInTheProgramOrDataFolder)
{
    Folder program, data;
    EXPECT_FALSE(tools::locateTamsel(in(program, data)).has_value());

    // A file that may not be run does not count.
    writeFile(data.file("tamsel"), "not a program");
    EXPECT_FALSE(tools::locateTamsel(in(program, data)).has_value());

    writeFakeConverter(data.path());
    writeFile(data.file("SYINIT.DAT"), "init");
    auto runner = tools::locateTamsel(in(program, data));
    ASSERT_TRUE(runner.has_value());
    EXPECT_EQ(runner->kind, TamselRunner::Kind::Native);
    ASSERT_EQ(runner->copies.size(), 2u);
    EXPECT_EQ(runner->copies[0].second, "tamsel");
    EXPECT_EQ(runner->copies[1], std::make_pair(data.file("SYINIT.DAT"), std::string("syinit.dat")));
    EXPECT_EQ(tools::processSpecFor(*runner, "/work/x").program, "/work/x/tamsel");

    // The program folder comes first.
    writeFakeConverter(program.path());
    runner = tools::locateTamsel(in(program, data));
    ASSERT_TRUE(runner.has_value());
    EXPECT_EQ(runner->program, program.file("tamsel"));
}

TEST(TamselRunnerLocation, DosUtilityRunsUnderDosBoxWhenItIsInstalled)
{
    Folder program, data;
    writeFile(program.file("TAMSEL.COM"), "MZ");
    // Without DOSBox there is nothing to run it with.
    EXPECT_FALSE(tools::locateTamsel(in(program, data)).has_value());

    const auto runner = tools::locateTamsel(in(program, data, "/usr/bin/dosbox"));
    ASSERT_TRUE(runner.has_value());
    EXPECT_EQ(runner->kind, TamselRunner::Kind::DosBox);
    ASSERT_EQ(runner->copies.size(), 1u);
    EXPECT_EQ(runner->copies[0], std::make_pair(program.file("TAMSEL.COM"), std::string("tamsel.com")));

    const tools::TamselProcessSpec spec = tools::processSpecFor(*runner, "/tmp/run 1");
    EXPECT_EQ(spec.program, "/usr/bin/dosbox");
    const std::vector<std::string> args = {"-c", "mount c \"/tmp/run 1\"", "-c", "c:", "-c", "tamsel.com",
                                           "-c", "exit"};
    EXPECT_EQ(spec.arguments, args);
    const std::vector<std::pair<std::string, std::string>> env = {
        {"SDL_VIDEODRIVER", "dummy"}, {"SDL_AUDIODRIVER", "dummy"}, {"HOME", "/tmp/run 1"}};
    EXPECT_EQ(spec.environment, env);
}

TEST(TamselRunnerLocation, CommandOfTheUsersChoiceComesFirst)
{
    Folder program, data;
    writeFakeConverter(program.path());
    writeFile(data.file("tamsel.com"), "MZ");
    tools::TamselLocation where = in(program, data);
    where.command = "wine-like --quiet \"C:/my tools/tamsel.exe\"";
    const auto runner = tools::locateTamsel(where);
    ASSERT_TRUE(runner.has_value());
    EXPECT_EQ(runner->kind, TamselRunner::Kind::Command);
    EXPECT_EQ(runner->program, "wine-like");
    EXPECT_EQ(runner->arguments, (std::vector<std::string>{"--quiet", "C:/my tools/tamsel.exe"}));
    // The DOS utility found beside the program is handed to the command as well.
    ASSERT_EQ(runner->copies.size(), 1u);
    EXPECT_EQ(runner->copies[0].second, "tamsel.com");
}

}  // namespace
