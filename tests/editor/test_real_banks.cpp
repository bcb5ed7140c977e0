// Brevane - editing one voice of a real-world bank changes that voice's bytes alone.
#include "EditorTestSupport.h"

#include "banklib/VoiceFormat.h"
#include "shell/frmFileFormatDialog.h"

#include <QPushButton>
#include <QRadioButton>

#include <cstdlib>
#include <filesystem>

namespace {

using banklib::FileType;
using editor::EditPath;

// The shared real-world banks (BREVANE_REAL_BANKS_DIR overrides the folder).
std::filesystem::path realBanks()
{
    if (const char* dir = std::getenv("BREVANE_REAL_BANKS_DIR"))
        return dir;
    return BREVANE_REAL_BANKS;
}

struct RealBank {
    const char* name;  // of the test
    const char* file;
    FileType type;
    std::size_t voiceStart;  // offset of voice 1
    std::size_t voiceSize;
    std::size_t checksumAt;  // 0: no checksum
};

class RealBankEditTest : public editor::testing::EditorFixture, public ::testing::WithParamInterface<RealBank> {};

TEST_P(RealBankEditTest, EditingAndSavingOneVoiceChangesOnlyItsBytes)
{
    const RealBank& bank = GetParam();
    const std::filesystem::path source = realBanks() / bank.file;
    if (!std::filesystem::exists(source))
        GTEST_SKIP() << "no real-world banks at " << realBanks();
    const std::string copy = data.file(bank.file);
    std::filesystem::copy_file(source, copy);
    const auto before = banklib::test::readBytes(copy);

    shell::frmVoiceList* list = open(copy);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->fileType(), bank.type);
    constexpr int kVoice = 5;
    editor::frmVoiceEditor* e = openEditor(*list, kVoice);
    ASSERT_NE(e, nullptr);
    // Operator 1's output level, and operator 3's frequency typed as a ratio.
    constexpr int kOutput = (6 - 1) * 21 + 16;
    constexpr int kCoarse3 = (6 - 3) * 21 + 18;
    const int level = e->edits().value(kOutput);
    ASSERT_TRUE(e->edits().commit(kOutput, level == 99 ? 98 : level + 1, EditPath::Spin));
    ASSERT_TRUE(e->edits().commit(kCoarse3 - 1, 0, EditPath::Spin));
    ASSERT_TRUE(e->edits().typeValue(kCoarse3, "2.5"));
    ui.clear();
    ui.answer(platform::MsgAnswer::Yes);
    ASSERT_TRUE(e->unload());
    ASSERT_EQ(ui.messagesShown().size(), 1u);
    // File > Save on the list.
    main->mdiArea()->setActiveSubWindow(list->subWindow());
    ui.answerFile(copy);
    bool asked = false;
    shell::testing::whenModal<shell::frmFileFormatDialog>([&](shell::frmFileFormatDialog* d) {
        asked = true;
        // The layout offered is the list's own.
        EXPECT_TRUE(d->Option1(banklib::toCode(bank.type))->isChecked());
        d->OKButton()->click();
    });
    main->mnufile_Click(4);
    EXPECT_TRUE(asked);
    EXPECT_EQ(ui.messagesShown().size(), 1u);

    const auto after = banklib::test::readBytes(copy);
    ASSERT_EQ(after.size(), before.size());
    const std::size_t first = bank.voiceStart + (kVoice - 1) * bank.voiceSize;
    const std::size_t last = first + bank.voiceSize;
    int changed = 0;
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (before[i] == after[i])
            continue;
        ++changed;
        EXPECT_TRUE((i >= first && i < last) || (bank.checksumAt != 0 && i == bank.checksumAt)) << "byte " << i;
    }
    EXPECT_GT(changed, 0);
    // The list read again holds the edits.
    const std::string voice = storedVoice(*list, kVoice);
    EXPECT_EQ(static_cast<std::uint8_t>(voice[kOutput]), level == 99 ? 98 : level + 1);
    EXPECT_EQ(static_cast<std::uint8_t>(voice[kCoarse3]), 2);
    EXPECT_EQ(static_cast<std::uint8_t>(voice[kCoarse3 + 1]), 25);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, RealBankEditTest,
    ::testing::Values(RealBank{"BulkDump", "yamaha__DX7-ROM1__ROM1A.syx", FileType::PackedSysex, 6, 128, 4102},
                      RealBank{"Unpacked", "yamaha__TX802__TX802BankA1.SYX", FileType::Unpacked, 0, 155, 0},
                      RealBank{"PackedWithHighBits", "Christopher-Pardy-Pat-__pat-13.SYX", FileType::Packed, 0, 128,
                               0}),
    [](const ::testing::TestParamInfo<RealBank>& info) { return std::string(info.param.name); });

}  // namespace
