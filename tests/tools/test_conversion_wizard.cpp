// The two steps of the conversion dialog, driven without the window.
#include "tools/ConversionWizard.h"

#include "ConversionTestSupport.h"

#include "platform/testing/ScriptedServices.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using platform::MsgAnswer;
using tools::ConversionWizard;
using tools::TamselRequest;
using namespace tools::testing;
using Ok = ConversionWizard::OkResult;

// The first bytes of an SY-series voice file.
std::string syFile()
{
    std::string bytes(4096, '\0');
    bytes[0] = static_cast<char>(0xF0);
    bytes[1] = 0x43;
    bytes.replace(6, 10, "LM  8101VC");
    return bytes;
}

class ConversionWizardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.valid());
        writeFile(folder.file("bank.dat"), unpackedVoices(100));
        writeFile(folder.file("ROM1A.SYX"), unpackedVoices(64));
        writeFile(folder.file("notes.txt"), "text");
        wizard = std::make_unique<ConversionWizard>(folder.path(), [this](const TamselRequest& r) {
            runs.push_back(r);
            return startOk;
        });
    }

    void type(const std::string& text)
    {
        wizard->nameEdited(text);
        lastOk = wizard->ok();
    }
    // Step 1 with a file of the folder.
    void chooseSource(const std::string& name)
    {
        type(name);
        ASSERT_EQ(wizard->step(), 2) << name;
    }
    const std::string& lastMessage() const { return services.messagesShown().back().text; }

    platform::testing::ScriptedServices services;
    Folder folder;
    std::unique_ptr<ConversionWizard> wizard;
    std::vector<TamselRequest> runs;
    bool startOk = true;
    Ok lastOk = Ok::None;
};

TEST_F(ConversionWizardTest, OpensOnTheDataFolderWithTheDesignPattern)
{
    EXPECT_EQ(std::filesystem::path(wizard->folder()), std::filesystem::canonical(folder.path()) / "");
    EXPECT_EQ(wizard->pattern(), "*.dat;*.syx;*.32;*.dx7");
    EXPECT_EQ(wizard->nameText(), wizard->pattern());
    EXPECT_EQ(wizard->prompt(), ConversionWizard::kStep1Prompt);
    EXPECT_FALSE(wizard->optionsEnabled());
    // Patterns match without regard to letter case.
    EXPECT_EQ(wizard->fileEntries(), (std::vector<std::string>{"bank.dat", "ROM1A.SYX"}));
}

TEST_F(ConversionWizardTest, TypedPatternFiltersTheListWithoutRunningAStep)
{
    type("*.syx");
    EXPECT_EQ(lastOk, Ok::PatternSet);
    EXPECT_EQ(wizard->pattern(), "*.syx");
    EXPECT_EQ(wizard->fileEntries(), std::vector<std::string>{"ROM1A.SYX"});
    EXPECT_EQ(wizard->step(), 1);
    EXPECT_TRUE(services.messagesShown().empty());
}

TEST_F(ConversionWizardTest, SourceIsCheckedAndItsSetsCounted)
{
    chooseSource("bank.dat");
    EXPECT_EQ(wizard->sourceType(), banklib::FileType::Unpacked);
    EXPECT_EQ(wizard->lastSetNumber(), 1);
    EXPECT_EQ(wizard->sourceText(), wizard->folder() + "bank.dat");
    EXPECT_EQ(wizard->prompt(), ConversionWizard::kStep2Prompt);
    EXPECT_TRUE(wizard->optionsEnabled());
    EXPECT_EQ(wizard->nameText(), "*.dat");

    wizard->cancel();
    chooseSource("ROM1A.SYX");
    EXPECT_EQ(wizard->lastSetNumber(), 0);
}

TEST_F(ConversionWizardTest, SourceThatIsNoDx7FileIsRefusedWithTheRecognitionsMessage)
{
    writeFile(folder.file("empty.dat"), "");
    writeFile(folder.file("sy.dat"), syFile());
    writeFile(folder.file("odd.dat"), "0123456789");

    type("empty.dat");
    EXPECT_EQ(wizard->step(), 1);
    EXPECT_EQ(lastMessage(), wizard->folder() + "empty.dat is empty");
    type("sy.dat");
    EXPECT_EQ(wizard->step(), 1);
    EXPECT_EQ(lastMessage(), wizard->folder() + "sy.dat is a SY format file ");
    services.answer(MsgAnswer::No);  // do not load a file of unknown size
    type("odd.dat");
    EXPECT_EQ(wizard->step(), 1);
    EXPECT_EQ(services.messagesShown().back().title, "Unrecognised File Type");
    type("missing.dat");
    EXPECT_EQ(lastMessage(), "Can't find " + wizard->folder() + "missing.dat");
    EXPECT_EQ(wizard->step(), 1);
    EXPECT_EQ(wizard->nameText(), wizard->pattern());
    EXPECT_TRUE(runs.empty());
}

TEST_F(ConversionWizardTest, NewOutputNameRunsWithoutQuestions)
{
    chooseSource("bank.dat");
    type("bank.sy7");
    EXPECT_EQ(lastOk, Ok::RanStep);
    ASSERT_EQ(runs.size(), 1u);
    const TamselRequest& r = runs[0];
    EXPECT_EQ(r.mode, tools::OutputMode::OneFile);
    EXPECT_EQ(r.sourceType, banklib::FileType::Unpacked);
    EXPECT_EQ(r.sourcePath, wizard->folder() + "bank.dat");
    EXPECT_EQ(r.sourceTitle, "bank.dat");
    EXPECT_EQ(r.outputFolder, wizard->folder());
    EXPECT_EQ(r.outputTitle, "bank.sy7");
    EXPECT_EQ(r.lastSetNumber, 1);
    EXPECT_TRUE(r.replaceApproved.empty());
    EXPECT_TRUE(services.messagesShown().empty());
    EXPECT_TRUE(wizard->running());
    EXPECT_EQ(wizard->outputText(), wizard->folder() + "bank.sy7");

    // Nothing more runs until the run is over; then it is step 1 again.
    type("again.sy7");
    EXPECT_EQ(runs.size(), 1u);
    wizard->runFinished();
    EXPECT_EQ(wizard->step(), 1);
    EXPECT_EQ(wizard->prompt(), ConversionWizard::kStep1Prompt);
    EXPECT_TRUE(wizard->sourceText().empty());
    EXPECT_TRUE(wizard->outputText().empty());
    EXPECT_FALSE(wizard->optionsEnabled());
    EXPECT_EQ(wizard->pattern(), ConversionWizard::kDesignPattern);
}

TEST_F(ConversionWizardTest, OutputThatIsTheSourceIsRefused)
{
    std::filesystem::create_directory(folder.file("sub"));
    std::filesystem::create_symlink(folder.file("bank.dat"), folder.file("link.dat"));
    const char* sameFile[] = {"bank.dat", "BANK.DAT", "link.dat", "sub/../bank.dat"};
    for (const char* name : sameFile) {
        services.clear();
        chooseSource("bank.dat");
        type(name);
        ASSERT_FALSE(services.messagesShown().empty()) << name;
        EXPECT_EQ(lastMessage(), "Can't convert to same file name - try again") << name;
        EXPECT_EQ(wizard->step(), 1) << name;
    }
    EXPECT_TRUE(runs.empty());
    EXPECT_EQ(readFile(folder.file("bank.dat")), unpackedVoices(100));
}

TEST_F(ConversionWizardTest, SourceMayNotBeOneOfTheNumberedOutputs)
{
    writeFile(folder.file("set.001"), unpackedVoices(64));
    type("*.*");
    chooseSource("set.001");
    wizard->setFilePerSet(true);
    type("SET.SY7");
    EXPECT_EQ(lastMessage(), "Can't convert to same file name - try again");
    EXPECT_TRUE(runs.empty());
}

TEST_F(ConversionWizardTest, ExistingOutputsAreReplacedOnlyWhenTheUserAgrees)
{
    writeFile(folder.file("other.dat"), unpackedVoices(32));
    writeFile(folder.file("sy.dat"), syFile());
    writeFile(folder.file("junk.dat"), "0123456789");
    writeFile(folder.file("empty.dat"), "");

    struct Case {
        const char* name;
        const char* title;
    } cases[] = {{"other.dat", "DX7 Voice File"},
                 {"sy.dat", "Update voice file ?"},
                 {"junk.dat", "Replace file ?"},
                 {"empty.dat", "Replace file ?"}};
    std::string dxQuestion;
    for (const Case& c : cases) {
        chooseSource("bank.dat");
        services.clear();
        services.answer(MsgAnswer::No);
        type(c.name);
        ASSERT_EQ(services.messagesShown().size(), 1u) << c.name;
        if (dxQuestion.empty())
            dxQuestion = services.messagesShown()[0].text;
        EXPECT_EQ(services.messagesShown()[0].title, c.title);
        EXPECT_EQ(services.messagesShown()[0].style & platform::MsgStyle::ButtonMask, platform::MsgStyle::YesNo);
        // No: still in step 2, nothing runs.
        EXPECT_EQ(wizard->step(), 2);
        EXPECT_TRUE(runs.empty());

        services.answer(MsgAnswer::Yes);
        type(c.name);
        ASSERT_EQ(runs.size(), 1u);
        EXPECT_EQ(runs[0].replaceApproved, std::vector<std::string>{wizard->folder() + c.name});
        runs.clear();
        wizard->runFinished();
    }
    EXPECT_EQ(dxQuestion,
              "This file already exists and appears to contain DX7 voices.\r\n"
              "Are you sure you want to overwrite this file ?");
}

TEST_F(ConversionWizardTest, OneFilePerSetAsksAboutExistingNumberedFiles)
{
    writeFile(folder.file("out.001"), "an older output");
    chooseSource("bank.dat");
    wizard->setFilePerSet(true);
    services.answer(MsgAnswer::No);
    type("out.sy7");
    ASSERT_EQ(services.messagesShown().size(), 1u);
    EXPECT_EQ(services.messagesShown()[0].text,
              "These files already exist:\r\n" + wizard->folder() + "out.001\r\nDo you want to replace them ?");
    EXPECT_TRUE(runs.empty());

    services.answer(MsgAnswer::Yes);
    type("out.sy7");
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].mode, tools::OutputMode::FilePerSet);
    EXPECT_EQ(runs[0].replaceApproved, std::vector<std::string>{wizard->folder() + "out.001"});
    EXPECT_EQ(wizard->outputText(), wizard->folder() + "out.000,001 etc. Multiple output files");
    // Afterwards every file shows, so the numbered outputs can be seen.
    wizard->runFinished();
    EXPECT_EQ(wizard->pattern(), "*.*");
    EXPECT_EQ(wizard->nameText(), "*.*");
}

TEST_F(ConversionWizardTest, CancelInStepTwoGoesBackToStepOne)
{
    chooseSource("bank.dat");
    wizard->cancel();
    EXPECT_EQ(wizard->prompt(), ConversionWizard::kStep1Prompt);
    EXPECT_TRUE(wizard->sourceText().empty());
    EXPECT_FALSE(wizard->optionsEnabled());
    // A double-click on a file now runs step 1 with it.
    wizard->fileClicked("ROM1A.SYX");
    wizard->runStep();
    EXPECT_EQ(wizard->step(), 2);
    EXPECT_EQ(wizard->sourcePath(), wizard->folder() + "ROM1A.SYX");
    EXPECT_TRUE(runs.empty());
}

TEST_F(ConversionWizardTest, TypedFoldersAreBrowsed)
{
    Folder elsewhere;
    writeFile(elsewhere.file("far.syx"), unpackedVoices(32));
    type(elsewhere.path());
    EXPECT_EQ(lastOk, Ok::FolderChanged);
    EXPECT_EQ(wizard->fileEntries(), std::vector<std::string>{"far.syx"});
    EXPECT_EQ(wizard->nameText(), wizard->pattern());

    // A folder and a name: browse there and run the step with the name.
    type(folder.path() + "bank.dat");
    EXPECT_EQ(wizard->step(), 2);
    EXPECT_EQ(wizard->sourcePath(), wizard->folder() + "bank.dat");

    // A folder that does not exist: a message, and browsing stays where it was.
    const std::string before = wizard->folder();
    type("/nonexistent-brevane/x.sy7");
    EXPECT_EQ(lastMessage(), "Can't find the folder /nonexistent-brevane");
    EXPECT_EQ(wizard->folder(), before);
    EXPECT_EQ(wizard->step(), 2);
}

TEST_F(ConversionWizardTest, RunThatDoesNotStartReturnsToStepOne)
{
    startOk = false;
    chooseSource("bank.dat");
    type("bank.sy7");
    EXPECT_EQ(runs.size(), 1u);
    EXPECT_FALSE(wizard->running());
    EXPECT_EQ(wizard->step(), 1);
}

}  // namespace
