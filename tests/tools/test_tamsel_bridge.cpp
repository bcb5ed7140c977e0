// Runs of the bridge with a fake converter: outcomes, waiting, time-out, placing outputs.
#include "tools/TamselBridge.h"

#include "ConversionTestSupport.h"

#include "platform/FileIO.h"
#include "platform/testing/ScriptedServices.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <optional>

namespace {

using platform::MsgAnswer;
using tools::OutputMode;
using tools::TamselBridge;
using tools::TamselRequest;
using tools::TamselResult;
using namespace tools::testing;

class TamselBridgeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(program.valid() && sources.valid() && outputs.valid());
        source = sources.file("bank.dat");
        writeFile(source, unpackedVoices(100));  // 15,500 bytes: two sets of 64 voices
    }
    void TearDown() override { platform::setWriteFaultInjector(nullptr); }

    TamselRequest request(OutputMode mode = OutputMode::OneFile, std::string title = "bank.sy7") const
    {
        TamselRequest r;
        r.mode = mode;
        r.sourceType = banklib::FileType::Unpacked;
        r.sourcePath = source;
        r.sourceTitle = "bank.dat";
        r.outputFolder = outputs.path();
        r.outputTitle = std::move(title);
        r.lastSetNumber = 1;
        return r;
    }

    // Starts a run with the fake and waits for its end; nullopt when it did not start.
    std::optional<TamselResult> run(const TamselRequest& r, const FakeConverter& fake = {})
    {
        writeFakeConverter(program.path(), fake);
        QSignalSpy done(&bridge, &TamselBridge::finished);
        if (!bridge.start(r))
            return std::nullopt;
        EXPECT_TRUE(bridge.running());
        EXPECT_TRUE(waitUntil([&] { return done.count() > 0; }));
        EXPECT_FALSE(bridge.running());
        return bridge.lastResult();
    }

    std::string lastMessage() const
    {
        return services.messagesShown().empty() ? std::string() : services.messagesShown().back().text;
    }

    platform::testing::ScriptedServices services;
    Folder program, sources, outputs;
    std::string source;
    QString currentFolder = QDir::currentPath();
    bool haveRunner = true;
    TamselBridge bridge{[this]() -> std::optional<tools::TamselRunner> {
        if (!haveRunner)
            return std::nullopt;
        return fakeRunner(program.path());
    }};
};

TEST_F(TamselBridgeTest, OneOutputFileIsPlacedAndReported)
{
    ASSERT_EQ(run(request()), TamselResult::Succeeded);
    const std::string out = outputs.file("bank.sy7");
    EXPECT_EQ(readFile(out), unpackedVoices(100) + unpackedVoices(100));
    ASSERT_EQ(services.messagesShown().size(), 1u);
    const auto& box = services.messagesShown().front();
    EXPECT_EQ(box.text, "Tamsel created  SY77 format file : bank.sy7 (  31000 bytes )");
    EXPECT_EQ(box.title, "File conversion complete");
    EXPECT_EQ(box.style, platform::MsgStyle::OkOnly);
    EXPECT_EQ(bridge.placedFiles(), std::vector<std::string>{out});

    // The wait showed its status, then the outcome stands in panel 1 until it is cleared.
    bool waited = false;
    for (const auto& s : services.statusHistory())
        waited = waited || s.text == " Please wait while your DX7 voices are converted.";
    EXPECT_TRUE(waited);
    EXPECT_EQ(services.statusText(1), "bank.dat converted to SY77 format file : bank.sy7 (  31000 bytes )");
    EXPECT_TRUE(waitUntil([&] { return services.statusText(1).empty(); }));
    EXPECT_FALSE(services.busy());
    // The source is as it was, and so is the program's current folder.
    EXPECT_EQ(readFile(source), unpackedVoices(100));
    EXPECT_EQ(QDir::currentPath(), currentFolder);
}

TEST_F(TamselBridgeTest, EachFailureCodeShowsItsTextAndPlacesNothing)
{
    const char* texts[] = {
        "",
        "Conversion failed - couldn't find or open tamsel.ini",
        "Conversion failed - couldn't get source or output filename from tamsel.ini",
        "Conversion failed - couldn't find syinit.dat file",
        "Conversion failed - couldn't open source or destination file",
        "Conversion failed - an error occured whilst converting voices",
        "Conversion failed - Tamsel couldn't be located or loaded",
    };
    // An output of an earlier run stays as it was through failed runs.
    const std::string earlier = outputs.file("bank.sy7");
    writeFile(earlier, "earlier");
    TamselRequest r = request();
    r.replaceApproved = {earlier};
    for (int code = 1; code <= 6; ++code) {
        FakeConverter fake;
        fake.line5 = "last exit code=" + std::to_string(code);
        services.clear();
        ASSERT_EQ(run(r, fake), TamselResult::Failed) << code;
        ASSERT_EQ(services.messagesShown().size(), 1u);
        EXPECT_EQ(services.messagesShown()[0].text, texts[code]);
        EXPECT_EQ(services.messagesShown()[0].title, "Tamsel Conversion Failed");
        EXPECT_EQ(services.messagesShown()[0].style, platform::MsgStyle::Exclamation);
        EXPECT_EQ(readFile(earlier), "earlier");
    }
}

TEST_F(TamselBridgeTest, OddExitCodeLinesAreFailures)
{
    struct Case {
        FakeConverter fake;
        const char* text;
    };
    std::vector<Case> cases(6);
    cases[0].fake.line5 = "last exit code=9";
    cases[0].text = "Conversion failed - invalid exit code (9)";
    cases[1].fake.line5 = "last exit code=-1";
    cases[1].text = "Conversion failed - invalid exit code (-1)";
    cases[2].fake.line5 = "last exit code";
    cases[2].text = "Conversion failed - unknown error";
    // No digits after "=": an output was written, but this is no success.
    cases[3].fake.line5 = "last exit code=";
    cases[3].text = "Conversion failed - invalid exit code ()";
    cases[4].fake.shortFile = true;
    cases[4].text = "Conversion failed - unknown error";
    // Code 0 and no output written.
    cases[5].fake.writeOutput = false;
    cases[5].text = "Conversion failed - Tamsel wrote no usable output file";
    for (const Case& c : cases) {
        services.clear();
        ASSERT_EQ(run(request(), c.fake), TamselResult::Failed) << c.text;
        EXPECT_EQ(lastMessage(), c.text);
        EXPECT_FALSE(platform::fileExists(outputs.file("bank.sy7")));
    }
    // A settings file rewritten with LF line ends still reads.
    FakeConverter lf;
    lf.lfLineEnds = true;
    services.clear();
    EXPECT_EQ(run(request(), lf), TamselResult::Succeeded);
}

TEST_F(TamselBridgeTest, SlowWriterIsReportedOnlyWhenItHasFinished)
{
    FakeConverter slow;
    slow.chunks = 6;
    slow.pause = "0.15";
    ASSERT_EQ(run(request(), slow), TamselResult::Succeeded);
    EXPECT_EQ(platform::fileSize(outputs.file("bank.sy7")), 6 * 15500);
    EXPECT_EQ(lastMessage(), "Tamsel created  SY77 format file : bank.sy7 (  93000 bytes )");
}

TEST_F(TamselBridgeTest, UtilityThatNeverFinishesTimesOutAndNothingIsMoved)
{
    FakeConverter hang;
    hang.hang = true;
    writeFakeConverter(program.path(), hang);
    QSignalSpy done(&bridge, &TamselBridge::finished);
    ASSERT_TRUE(bridge.start(request()));
    // Nothing ends the run before the limit, however long the first minute takes.
    services.advance(TamselBridge::kTimeLimitMs - 1000);
    // The ticks show the time and the size of the file being written.
    EXPECT_TRUE(waitUntil([&] { return services.statusText(1) == "119. secs elapsed. bank.sy7 is now 15.5 kb"; }))
        << services.statusText(1);
    EXPECT_TRUE(bridge.running());
    services.advance(2000);
    ASSERT_TRUE(waitUntil([&] { return done.count() > 0; }));
    EXPECT_EQ(bridge.lastResult(), TamselResult::TimedOut);
    EXPECT_EQ(lastMessage(), "Conversion failed - Tamsel did not finish within 120 seconds");
    EXPECT_FALSE(platform::fileExists(outputs.file("bank.sy7")));
    EXPECT_FALSE(services.busy());
}

TEST_F(TamselBridgeTest, MissingRunnerIsReportedAtOnce)
{
    haveRunner = false;
    EXPECT_FALSE(run(request()).has_value());
    EXPECT_EQ(lastMessage(), "Conversion failed - Tamsel couldn't be located or loaded");
    EXPECT_FALSE(bridge.running());

    // A runner whose program cannot be started: the same, without waiting.
    TamselBridge broken([] {
        tools::TamselRunner r;
        r.kind = tools::TamselRunner::Kind::Command;
        r.program = "/nonexistent/brevane-no-such-runner";
        return std::optional<tools::TamselRunner>(r);
    });
    services.clear();
    EXPECT_FALSE(broken.start(request()));
    EXPECT_EQ(lastMessage(), "Conversion failed - Tamsel couldn't be located or loaded");
    EXPECT_FALSE(services.busy());
}

TEST_F(TamselBridgeTest, TwoRunsInARow)
{
    ASSERT_EQ(run(request()), TamselResult::Succeeded);
    FakeConverter failing;
    failing.line5 = "last exit code=4";
    services.clear();
    ASSERT_EQ(run(request(OutputMode::OneFile, "other.sy7"), failing), TamselResult::Failed);
    EXPECT_EQ(lastMessage(), "Conversion failed - couldn't open source or destination file");
    EXPECT_EQ(bridge.watchedTitle(), "other.sy7");
    // The first run's file stays; the second placed nothing.
    EXPECT_EQ(platform::fileSize(outputs.file("bank.sy7")), 31000);
    EXPECT_FALSE(platform::fileExists(outputs.file("other.sy7")));
    services.clear();
    ASSERT_EQ(run(request(OutputMode::OneFile, "third.sy7")), TamselResult::Succeeded);
    EXPECT_EQ(lastMessage(), "Tamsel created  SY77 format file : third.sy7 (  31000 bytes )");
}

TEST_F(TamselBridgeTest, OneFilePerVoiceSet)
{
    // A numbered file beyond the sets of this source is not touched.
    writeFile(outputs.file("bank.005"), "unrelated");
    ASSERT_EQ(run(request(OutputMode::FilePerSet)), TamselResult::Succeeded);
    EXPECT_EQ(bridge.watchedTitle(), "bank.001");
    EXPECT_TRUE(platform::fileExists(outputs.file("bank.000")));
    EXPECT_TRUE(platform::fileExists(outputs.file("bank.001")));
    EXPECT_FALSE(platform::fileExists(outputs.file("bank.002")));
    EXPECT_EQ(readFile(outputs.file("bank.005")), "unrelated");
    EXPECT_EQ(lastMessage(), "Tamsel created  multiple SY77 format files ");
}

TEST_F(TamselBridgeTest, ExistingOutputIsReplacedOnlyWhenAgreed)
{
    const std::string out = outputs.file("bank.sy7");
    writeFile(out, "keep me");
    // Not agreed beforehand: asked now; No keeps the file.
    services.answer(MsgAnswer::No);
    ASSERT_EQ(run(request()), TamselResult::Failed);
    ASSERT_EQ(services.messagesShown().size(), 2u);
    EXPECT_EQ(services.messagesShown()[0].title, "Replace files ?");
    EXPECT_EQ(lastMessage(), "Conversion stopped - the existing output files were kept");
    EXPECT_EQ(readFile(out), "keep me");

    // Agreed in the dialog: replaced without another question.
    TamselRequest agreed = request();
    agreed.replaceApproved = {out};
    services.clear();
    ASSERT_EQ(run(agreed), TamselResult::Succeeded);
    EXPECT_EQ(services.messagesShown().size(), 1u);
    EXPECT_EQ(platform::fileSize(out), 31000);
}

TEST_F(TamselBridgeTest, SettingsFileThatCannotBeWrittenStopsTheRun)
{
    platform::setWriteFaultInjector([](const std::string& path) {
        return path.ends_with("/Tamsel.ini") ? platform::FileError::NoSpace : platform::FileError::None;
    });
    EXPECT_FALSE(run(request()).has_value());
    EXPECT_EQ(lastMessage().rfind("Conversion failed - couldn't write Tamsel.ini (", 0), 0u) << lastMessage();
    EXPECT_FALSE(bridge.running());
    EXPECT_FALSE(services.busy());
}

TEST_F(TamselBridgeTest, OutputFolderThatCannotBeWrittenLosesNothing)
{
    const std::string out = outputs.file("bank.sy7");
    writeFile(out, "old output");
    platform::setWriteFaultInjector([out](const std::string& path) {
        return path == out ? platform::FileError::NoSpace : platform::FileError::None;
    });
    TamselRequest r = request();
    r.replaceApproved = {out};
    ASSERT_EQ(run(r), TamselResult::Failed);
    EXPECT_EQ(lastMessage().rfind("Conversion failed - couldn't write " + out, 0), 0u) << lastMessage();
    EXPECT_EQ(readFile(out), "old output");
    EXPECT_EQ(readFile(source), unpackedVoices(100));
}

TEST_F(TamselBridgeTest, StopEndsTheUtilityWithoutReporting)
{
    FakeConverter hang;
    hang.hang = true;
    writeFakeConverter(program.path(), hang);
    QSignalSpy done(&bridge, &TamselBridge::finished);
    ASSERT_TRUE(bridge.start(request()));
    bridge.stop();
    EXPECT_FALSE(bridge.running());
    ASSERT_EQ(done.count(), 1);
    EXPECT_EQ(bridge.lastResult(), TamselResult::Stopped);
    EXPECT_TRUE(services.messagesShown().empty());
    EXPECT_FALSE(platform::fileExists(outputs.file("bank.sy7")));
}

}  // namespace
