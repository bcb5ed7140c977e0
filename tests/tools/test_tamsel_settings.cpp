// The settings file of the converter, its exit codes and the numbers of the output sets.
#include "tools/TamselSettings.h"

#include "../shell/TestApplication.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace {

using banklib::FileType;
using tools::ExitCodeReading;
using tools::OutputMode;

// One application object for the whole test program, made before the first test.
[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new shell::testing::AppEnvironment<QCoreApplication>("tools_test"));

TEST(TamselSettingsFile, IsWrittenLineForLineWithCrLf)
{
    const std::string expected =
        "output file type=1\r\n"
        "input file type=3\r\n"
        "input file name=C:\\SOURCE.DAT\r\n"
        "output file name=C:\\OUTPUT.SY7\r\n"
        "last exit code=6\r\n"
        "\r\n"
        "Note: the following information explains the above settings\r\n"
        "\r\n"
        "You can edit the settings if you are using Tamsel as a standalone application\r\n"
        "but you are strongly advised to backup important files before editing the settings\r\n"
        "\r\n"
        "Format of Tamsel.ini file\r\n"
        "\r\n"
        "Output file type : 0 for single file output,1 for multiple. \r\n"
        "Input file type : this specifies the type of voice data contained in the DX7 format file :\r\n"
        "\r\n"
        "  0: voices are unpacked - without headers   :155 bytes per voice , 4960 bytes per bank of 32 voices\r\n"
        "  1: voices are unpacked -    with headers   :163 bytes per voice , 5216 bytes per bank of 32 voices\r\n"
        "  2: voices are packed   -  without headers  :128 bytes per voice , 4096 bytes per bank of 32 voices\r\n"
        "  3: voices are packed   -      with header  :128 bytes per voice , 4104 bytes per bank of 32 voices "
        "(128*32)+ 8\r\n"
        "\r\n"
        "  Tamsel recognises type 0-2  DX7 files that have any number of voices, but will only recognise\r\n"
        "  type 3 files that contain an exact multiple of 32 voices, ie 4104 bytes.\r\n"
        "\r\n"
        "Input File Name : the full filename in 8.3 format - no quotes.\r\n"
        "Output File Name : the full filename in 8.3 format - no quotes.\r\n"
        "\r\n"
        "Exit codes are set when Tamsel completes as follows :\r\n"
        "0  Tamsel completed with no errors\r\n"
        "1  Tamsel couldn't find or open tamsel.ini\r\n"
        "2  Tamsel couldn't get the source or output filename from tamsel.ini\r\n"
        "3  Tamsel couldn't find syinit.dat file\r\n"
        "4  Tamsel couldn't open source or dest file\r\n"
        "5  An error occured whilst Tamsel was converting voices\r\n"
        "The following code indicates Calvine could not locate or load Tamsel :\r\n"
        "6  Error locating or loading Tamsel.com\r\n";
    EXPECT_EQ(tools::tamselSettingsText(OutputMode::FilePerSet, FileType::PackedSysex, "C:\\SOURCE.DAT",
                                        "C:\\OUTPUT.SY7"),
              expected);
    // One file, unpacked voices: only the first two digits change.
    const std::string single =
        tools::tamselSettingsText(OutputMode::OneFile, FileType::Unpacked, "C:\\SOURCE.DAT", "C:\\OUTPUT.SY7");
    EXPECT_EQ(single.substr(0, 39), "output file type=0\r\ninput file type=0\r\n");
    EXPECT_EQ(single.size(), expected.size());
    // A file never touched by the utility reads back as "could not be located or loaded".
    EXPECT_EQ(tools::readTamselExitCode(single).code, 6);
}

TEST(TamselExitCode, CodesZeroToSixGiveTheirTexts)
{
    const char* texts[] = {
        "succeeded - all voices converted",
        "failed - couldn't find or open tamsel.ini",
        "failed - couldn't get source or output filename from tamsel.ini",
        "failed - couldn't find syinit.dat file",
        "failed - couldn't open source or destination file",
        "failed - an error occured whilst converting voices",
        "failed - Tamsel couldn't be located or loaded",
    };
    for (int code = 0; code <= 6; ++code) {
        const std::string file = "a=1\r\nb=0\r\nc=x\r\nd=y\r\nlast exit code=" + std::to_string(code) + "\r\nmore\r\n";
        const ExitCodeReading r = tools::readTamselExitCode(file);
        ASSERT_EQ(r.kind, ExitCodeReading::Kind::Code) << code;
        EXPECT_EQ(r.code, code);
        EXPECT_EQ(r.succeeded(), code == 0);
        EXPECT_EQ(r.failureMessage(), std::string("Conversion ") + texts[code]);
    }
}

TEST(TamselExitCode, AnythingButAWholeNumberZeroToSixIsNoSuccess)
{
    const auto read = [](const std::string& line5) {
        return tools::readTamselExitCode("1\r\n2\r\n3\r\n4\r\n" + line5 + "\r\n");
    };
    EXPECT_EQ(read("last exit code=9").failureMessage(), "Conversion failed - invalid exit code (9)");
    EXPECT_EQ(read("last exit code=-1").failureMessage(), "Conversion failed - invalid exit code (-1)");
    // No digits used to read as 0, a success.
    EXPECT_FALSE(read("last exit code=").succeeded());
    EXPECT_EQ(read("last exit code=").failureMessage(), "Conversion failed - invalid exit code ()");
    EXPECT_EQ(read("last exit code=ok").failureMessage(), "Conversion failed - invalid exit code (ok)");
    EXPECT_FALSE(read("last exit code=0.4").succeeded());
    EXPECT_FALSE(read("last exit code=0x").succeeded());
    EXPECT_EQ(read("last exit code=99999999999999").kind, ExitCodeReading::Kind::Invalid);
    // No "=" at all.
    EXPECT_EQ(read("last exit code 0").failureMessage(), "Conversion failed - unknown error");
    // Blanks around the number do not matter.
    EXPECT_TRUE(read("last exit code= 0 ").succeeded());
}

TEST(TamselExitCode, LfLineEndsAndShortFiles)
{
    EXPECT_TRUE(tools::readTamselExitCode("1\n2\n3\n4\nlast exit code=0\n").succeeded());
    EXPECT_EQ(tools::readTamselExitCode("1\n2\n3\n4\nlast exit code=3").code, 3);
    // Fewer than five lines, or nothing at all.
    EXPECT_EQ(tools::readTamselExitCode("1\r\n2\r\n3\r\n").failureMessage(), "Conversion failed - unknown error");
    EXPECT_EQ(tools::readTamselExitCode("").kind, ExitCodeReading::Kind::Unknown);
}

TEST(TamselOutputSets, LastSetNumberAndNumberedNames)
{
    // 100 unpacked voices: two sets of 64.
    EXPECT_EQ(tools::lastSetNumber(15500, FileType::Unpacked), 1);
    // Exactly 64 voices in each layout.
    EXPECT_EQ(tools::lastSetNumber(64 * 155, FileType::Unpacked), 0);
    EXPECT_EQ(tools::lastSetNumber(64 * 163, FileType::UnpackedSysex), 0);
    EXPECT_EQ(tools::lastSetNumber(8192, FileType::Packed), 0);
    EXPECT_EQ(tools::lastSetNumber(8208, FileType::PackedSysex), 0);
    // One bank of 32 voices, and 1,024 voices.
    EXPECT_EQ(tools::lastSetNumber(4104, FileType::PackedSysex), 0);
    EXPECT_EQ(tools::lastSetNumber(131328, FileType::PackedSysex), 15);
    EXPECT_EQ(tools::lastSetNumber(0, FileType::Packed), -1);

    EXPECT_EQ(tools::numberedOutputName("bank.sy7", 1), "bank.001");
    EXPECT_EQ(tools::numberedOutputName("bank.sy7  ", 15), "bank.015");
    EXPECT_EQ(tools::numberedOutputName("OUTPUT.DAT", 0), "OUTPUT.000");
    EXPECT_EQ(tools::numberedOutputName("Kl\xC3\xA4nge.\xC3\xA9sx", 2), "Kl\xC3\xA4nge.002") << "letters, not bytes";
}

}  // namespace
