// The Edit menu's catalogue commands on real voice-list windows: each opens its dialog
// for the active list, and Find Next before any Find does nothing.
#include "VoiceListTestSupport.h"

#include "catalogue/CatalogueCommands.h"
#include "catalogue/frmDuplicates.h"
#include "catalogue/frmFind.h"
#include "catalogue/frmGroupPatches.h"

namespace shell {
namespace {

using banklib::FileType;
using testing::VoiceListFixture;

// Edit menu indexes.
constexpr int kFind = 5;
constexpr int kFindNext = 6;
constexpr int kFindDuplicates = 9;
constexpr int kGroupPatches = 10;

class EditMenu : public VoiceListFixture {
protected:
    ~EditMenu() override { unloadCatalogueDialogs(); }
};

TEST_F(EditMenu, CatalogueCommandsOpenTheirDialogsForTheActiveList)
{
    frmVoiceList* list = openBank("strings.syx", 40, FileType::PackedSysex);
    ASSERT_NE(list, nullptr);
    for (CommandId id : {CommandId::EditFind, CommandId::EditFindNext, CommandId::EditFindDuplicates,
                         CommandId::EditGroupPatches})
        EXPECT_TRUE(main->commandState().isEnabled(id)) << commandSpec(id).caption;

    edit(*list, kFindNext);  // F3 before any Find
    EXPECT_EQ(frmFind::instance(), nullptr);

    edit(*list, kFind);
    ASSERT_NE(frmFind::instance(), nullptr);
    edit(*list, kFindDuplicates);
    ASSERT_NE(frmDuplicates::instance(), nullptr);
    edit(*list, kGroupPatches);
    ASSERT_NE(frmGroupPatches::instance(), nullptr);

    unloadCatalogueDialogs();
    EXPECT_EQ(frmFind::instance(), nullptr);
    EXPECT_EQ(frmDuplicates::instance(), nullptr);
    EXPECT_EQ(frmGroupPatches::instance(), nullptr);
}

}  // namespace
}  // namespace shell
