// The conversion dialog: real banks through both steps with a fake converter.
#include "tools/frmTamselconversion.h"

#include "ConversionTestSupport.h"

#include "../shell/TestApplication.h"

#include "platform/FileIO.h"
#include "platform/testing/ScriptedServices.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

using tools::frmTamselconversion;
using tools::TamselBridge;
using namespace tools::testing;

// One QApplication for the whole test program (offscreen), made before the first test.
[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new shell::testing::AppEnvironment<QApplication>("tools_test"));

class ConversionDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(program.valid() && outputs.valid());
        writeFakeConverter(program.path(), fake);
    }

    void open(const std::string& startFolder)
    {
        dialog = std::make_unique<frmTamselconversion>(startFolder, [this] {
            return tools::locateTamsel(program.path(), std::string());
        });
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }

    // Types into the name box as a user would, then presses OK.
    void typeAndOk(const std::string& text)
    {
        dialog->TextBox()->clear();
        QTest::keyClicks(dialog->TextBox(), QString::fromStdString(text));
        QTest::mouseClick(dialog->DlgButton(frmTamselconversion::kOk), Qt::LeftButton);
    }

    void waitForRun()
    {
        ASSERT_TRUE(waitUntil([this] { return !dialog->bridge().running(); }));
        QApplication::processEvents();
    }

    platform::testing::ScriptedServices services;
    Folder program, outputs;
    FakeConverter fake;
    std::unique_ptr<frmTamselconversion> dialog;
};

TEST_F(ConversionDialogTest, RealBankThroughBothStepsIntoOneFile)
{
    if (!haveRealBanks())
        GTEST_SKIP() << "no real banks";
    open(realBanks());
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Tamsel  - DX7 to SY77 Voice Conversion "));
    EXPECT_EQ(dialog->Label2()->text().toStdString(), tools::ConversionWizard::kStep1Prompt);
    EXPECT_FALSE(dialog->Frame1()->isEnabled());

    typeAndOk("DXCARTFO__CART1A.SYX");  // two bulk dumps, 64 voices
    ASSERT_EQ(dialog->wizard().step(), 2);
    EXPECT_EQ(dialog->Text1(0)->text().toStdString(), realBanks() + "/DXCARTFO__CART1A.SYX");
    EXPECT_EQ(dialog->Label2()->text().toStdString(), tools::ConversionWizard::kStep2Prompt);
    EXPECT_TRUE(dialog->Frame1()->isEnabled());
    EXPECT_EQ(dialog->TextBox()->text(), QStringLiteral("*.dat"));

    typeAndOk(outputs.path() + "cart1a.sy7");
    EXPECT_FALSE(dialog->DlgButton(frmTamselconversion::kOk)->isEnabled());
    waitForRun();
    ASSERT_EQ(services.messagesShown().size(), 1u);
    EXPECT_EQ(services.messagesShown()[0].text, "Tamsel created  SY77 format file : cart1a.sy7 (  16416 bytes )");
    EXPECT_EQ(services.messagesShown()[0].title, "File conversion complete");
    EXPECT_EQ(services.statusText(1), "DXCARTFO__CART1A.SYX converted to SY77 format file : cart1a.sy7 (  16416 bytes )");
    EXPECT_EQ(platform::fileSize(outputs.file("cart1a.sy7")), 2 * 8208);

    // Back at step 1, in the folder of the output, ready for the next run.
    EXPECT_EQ(dialog->wizard().step(), 1);
    EXPECT_TRUE(dialog->DlgButton(frmTamselconversion::kOk)->isEnabled());
    EXPECT_TRUE(dialog->Text1(0)->text().isEmpty());
    EXPECT_FALSE(dialog->Frame1()->isEnabled());
    EXPECT_EQ(dialog->PathSpec()->text().toStdString(), platform::canonicalPath(outputs.path()) + "/");
    EXPECT_EQ(dialog->FileListBox()->count(), 0);  // "cart1a.sy7" is not in the pattern
}

TEST_F(ConversionDialogTest, RealBankThroughBothStepsIntoOneFilePerSet)
{
    if (!haveRealBanks())
        GTEST_SKIP() << "no real banks";
    open(realBanks());
    typeAndOk("PA-Decoder__PA-Decoder.syx");  // 1,024 voices: 16 sets
    ASSERT_EQ(dialog->wizard().step(), 2);
    EXPECT_EQ(dialog->wizard().lastSetNumber(), 15);
    QTest::mouseClick(dialog->Option1(1), Qt::LeftButton);
    ASSERT_TRUE(dialog->Option1(1)->isChecked());
    fake.chunks = 1;
    writeFakeConverter(program.path(), fake);
    typeAndOk(outputs.path() + "pa.sy7");
    waitForRun();
    ASSERT_EQ(services.messagesShown().size(), 1u);
    EXPECT_EQ(services.messagesShown()[0].text, "Tamsel created  multiple SY77 format files ");
    for (int n = 0; n <= 15; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "pa.%03d", n);
        EXPECT_TRUE(platform::fileExists(outputs.file(name))) << name;
    }
    EXPECT_FALSE(platform::fileExists(outputs.file("pa.016")));
    // Every file shows now, the numbered outputs among them.
    EXPECT_EQ(dialog->TextBox()->text(), QStringLiteral("*.*"));
    EXPECT_EQ(dialog->FileListBox()->count(), 16);
}

TEST_F(ConversionDialogTest, FileListClicksAndCancel)
{
    writeFile(outputs.file("one.dat"), unpackedVoices(32));
    writeFile(outputs.file("two.syx"), unpackedVoices(32));
    open(outputs.path());
    ASSERT_EQ(dialog->FileListBox()->count(), 2);
    QListWidgetItem* first = dialog->FileListBox()->item(0);
    const QRect rect = dialog->FileListBox()->visualItemRect(first);
    ASSERT_TRUE(rect.isValid());
    QTest::mouseClick(dialog->FileListBox()->viewport(), Qt::LeftButton, {}, rect.center());
    EXPECT_EQ(dialog->TextBox()->text(), QStringLiteral("one.dat"));
    QTest::mouseDClick(dialog->FileListBox()->viewport(), Qt::LeftButton, {}, rect.center());
    EXPECT_EQ(dialog->wizard().step(), 2);
    EXPECT_EQ(dialog->Text1(0)->text().toStdString(), dialog->wizard().folder() + "one.dat");

    QTest::mouseClick(dialog->DlgButton(frmTamselconversion::kCancel), Qt::LeftButton);
    EXPECT_EQ(dialog->wizard().step(), 1);
    EXPECT_TRUE(dialog->Text1(0)->text().isEmpty());
    EXPECT_EQ(dialog->TextBox()->text(), QStringLiteral("*.dat;*.syx;*.32;*.dx7"));
    EXPECT_TRUE(services.messagesShown().empty());
}

TEST_F(ConversionDialogTest, EnterInTheNameBoxPressesOkOnce)
{
    writeFile(outputs.file("bank.dat"), unpackedVoices(100));
    open(outputs.path());
    dialog->TextBox()->clear();
    QTest::keyClicks(dialog->TextBox(), QStringLiteral("bank.dat"));
    QTest::keyClick(dialog->TextBox(), Qt::Key_Return);
    EXPECT_EQ(dialog->wizard().step(), 2);
    EXPECT_EQ(dialog->wizard().pattern(), tools::ConversionWizard::kDesignPattern);
    EXPECT_EQ(dialog->TextBox()->text(), QStringLiteral("*.dat"));
    EXPECT_TRUE(dialog->TextBox()->hasSelectedText());
}

TEST_F(ConversionDialogTest, ExitDuringARunStopsTheUtility)
{
    fake.hang = true;
    writeFakeConverter(program.path(), fake);
    writeFile(outputs.file("bank.dat"), unpackedVoices(100));
    open(outputs.path());
    typeAndOk("bank.dat");
    typeAndOk("bank.sy7");
    ASSERT_TRUE(dialog->bridge().running());
    EXPECT_FALSE(dialog->DlgButton(frmTamselconversion::kCancel)->isEnabled());
    QTest::mouseClick(dialog->DlgButton(frmTamselconversion::kExit), Qt::LeftButton);
    EXPECT_FALSE(dialog->bridge().running());
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(services.messagesShown().empty());
    EXPECT_TRUE(services.statusText(1).empty());
    EXPECT_FALSE(platform::fileExists(outputs.file("bank.sy7")));
}

TEST_F(ConversionDialogTest, NoUtilityIsReportedAtOnce)
{
    std::filesystem::remove(program.file("tamsel"));
    writeFile(outputs.file("bank.dat"), unpackedVoices(100));
    open(outputs.path());
    typeAndOk("bank.dat");
    typeAndOk("bank.sy7");
    EXPECT_FALSE(dialog->bridge().running());
    ASSERT_EQ(services.messagesShown().size(), 1u);
    EXPECT_EQ(services.messagesShown()[0].text, "Conversion failed - Tamsel couldn't be located or loaded");
    EXPECT_EQ(dialog->wizard().step(), 1);
}

}  // namespace
