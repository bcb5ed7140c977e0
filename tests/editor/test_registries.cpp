// Brevane - the per-list registries of editors and holders, and the holder's loads.
#include "EditorTestSupport.h"

#include "editor/clsVoiceEditors.h"
#include "editor/clsVoiceRecordsets.h"
#include "editor/frmVoiceRecordset.h"

namespace {

using banklib::FileType;
using editor::EditPath;
using editor::frmVoiceRecordset;
using platform::MsgAnswer;

class RegistryTest : public editor::testing::EditorFixture {};

TEST_F(RegistryTest, EditorRegistryKeysOrderAndID)
{
    editor::clsVoiceEditors editors;
    auto* three = editors.Add(" 3", "L0001");
    auto* seven = editors.Add(" 7", "L0001");
    ASSERT_NE(three, nullptr);
    EXPECT_EQ(editors.ID(), " 7");
    EXPECT_EQ(editors.count(), 2);
    EXPECT_EQ(editors.editors(), (std::vector<editor::frmVoiceEditor*>{three, seven}));
    EXPECT_EQ(three->EditorID(), " 3");
    EXPECT_EQ(three->VoiceListID(), "L0001");
    EXPECT_EQ(editors.Item(" 7"), seven);
    EXPECT_EQ(editors.Item(" 9"), nullptr);
    EXPECT_EQ(editors.Add(" 3", "L0001"), nullptr) << "a key is held once";
    ui.clear();
    editors.setID("first");
    editors.setID("second");
    EXPECT_EQ(editors.ID(), "first");
    ASSERT_EQ(ui.messagesShown().size(), 1u);
    EXPECT_EQ(ui.messagesShown()[0].text, "Error: VoiceEditor form ID already set");
    EXPECT_EQ(ui.messagesShown()[0].style, platform::MsgStyle::Critical);
    editors.Remove(" 3");
    EXPECT_EQ(editors.count(), 1);
    delete three;  // the registry forgets a window; it does not close it
    // A window that has gone is no longer counted.
    delete seven;
    EXPECT_EQ(editors.count(), 0);
    EXPECT_EQ(editors.Item(" 7"), nullptr);
}

TEST_F(RegistryTest, RecordsetRegistryGivesNullForMissingKeys)
{
    editor::clsVoiceRecordsets holders;
    frmVoiceRecordset* a = holders.Add("a");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(holders.Add("a"), nullptr);
    EXPECT_EQ(holders.ID(), "a");
    EXPECT_EQ(holders.Item("a"), a);
    EXPECT_EQ(holders.Item("b"), nullptr);
    EXPECT_FALSE(holders.Delete("b"));
    EXPECT_TRUE(holders.Delete("a"));
    EXPECT_EQ(holders.count(), 0);
}

TEST_F(RegistryTest, HolderLoadsByBookmarkAndAFailedReloadKeepsTheEdits)
{
    shell::frmVoiceList* list = openBank("bank.dat", 4, FileType::Unpacked);
    frmVoiceRecordset holder;
    holder.ListID = list->ListID();
    holder.VoiceNumber = 3;
    ASSERT_EQ(holder.InitVoiceDataRecordset(), frmVoiceRecordset::LoadResult::Loaded);
    const std::int32_t crc = holder.VoiceCRC;
    EXPECT_NE(crc, 0);
    EXPECT_EQ(holder.rsVoiceData().recordCount(), banklib::kVoiceDataRows);
    EXPECT_EQ(holder.rsProxyData().recordCount(), banklib::kProxyDataRows);

    // An edit in the rows the editor shares with the holder.
    editor::ParameterEdits edits;
    platform::Recordset voice = holder.rsVoiceData().clone();
    edits.setVoice(voice, holder.rsProxyData());
    ASSERT_TRUE(edits.commit(0, 42, EditPath::Quiet));
    EXPECT_EQ(editor::VoiceRows(holder.rsVoiceData()).number(0, banklib::VoiceDataField::Value), 42);

    // The stored voice now has a value out of range; the user refuses it.
    list->rsmfimage().setAbsolutePosition(3);
    std::string data = list->rsmfimage().text(banklib::VoiceListField::Data);
    data[5] = static_cast<char>(120);
    list->rsmfimage().setValue(banklib::VoiceListField::Data, data);
    ui.answer(MsgAnswer::No);
    EXPECT_EQ(holder.InitVoiceDataRecordset(), frmVoiceRecordset::LoadResult::Refused);
    EXPECT_EQ(holder.VoiceNumber, 3);
    EXPECT_EQ(holder.VoiceCRC, crc);
    EXPECT_EQ(edits.value(0), 42) << "the edits are untouched";

    // The voice moves (a sort); the holder reads it again where it is now.
    list->rsmfimage().sort({{banklib::VoiceListField::Names, true}});
    ui.answer(MsgAnswer::Yes);
    EXPECT_EQ(holder.InitVoiceDataRecordset(), frmVoiceRecordset::LoadResult::Loaded);
    EXPECT_EQ(editor::VoiceRows(holder.rsVoiceData()).number(5, banklib::VoiceDataField::Value), 99);

    // Gone from the list: nothing changes.
    list->rsmfimage().moveToBookmark(holder.VoiceBookmark);
    list->rsmfimage().deleteCurrent();
    EXPECT_EQ(holder.InitVoiceDataRecordset(), frmVoiceRecordset::LoadResult::VoiceGone);
    EXPECT_EQ(holder.VoiceNumber, 3);
}

TEST_F(RegistryTest, AFirstLoadThatFailsLeavesVoiceNumberAtMinusOne)
{
    shell::frmVoiceList* list = openBank("bank.dat", 2, FileType::Unpacked);
    frmVoiceRecordset holder;
    holder.ListID = list->ListID();
    holder.VoiceNumber = 5;
    EXPECT_EQ(holder.InitVoiceDataRecordset(), frmVoiceRecordset::LoadResult::VoiceGone);
    EXPECT_EQ(holder.VoiceNumber, -1);
    EXPECT_FALSE(holder.loaded());
    frmVoiceRecordset orphan;
    orphan.ListID = "L9999";
    orphan.VoiceNumber = 1;
    EXPECT_NE(orphan.InitVoiceDataRecordset(), frmVoiceRecordset::LoadResult::Loaded);
    EXPECT_EQ(orphan.VoiceNumber, -1);
}

}  // namespace
