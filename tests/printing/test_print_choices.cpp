// The print dialog's rules: the kinds offered, the boxes and the range controls they
// switch, what is remembered, and the banks that print.
#include "printing/PrintChoices.h"
#include "printing/PrintOptionsDialog.h"

#include "PrintingTestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

namespace printing {
namespace {

TEST(PrintChoices, WithoutSelectedVoicesOnlyTheNameListingIsOffered)
{
    PrintDialogMemory memory;
    memory.RememberedKind = true;
    memory.SelectedOnly = true;
    const PrintChoices choices(2, 1, false, memory);
    EXPECT_EQ(choices.kinds(), std::vector<std::string>{kPatchNames});
    EXPECT_EQ(choices.kindIndex(), 0);
    EXPECT_FALSE(choices.dataOptionsVisible());
    EXPECT_TRUE(choices.rangeEnabled());
    EXPECT_FALSE(choices.memory().ListingWithData);
}

TEST(PrintChoices, NamesAndDataTicksSelectedVoicesAndGreysTheRangeUntilUnticked)
{
    PrintChoices choices(3, 1, true, {});
    EXPECT_EQ(choices.kinds(), (std::vector<std::string>{kPatchNames, kNamesAndData}));
    EXPECT_FALSE(choices.dataOptionsVisible());
    choices.chooseKind(1);
    EXPECT_TRUE(choices.dataOptionsVisible());
    EXPECT_TRUE(choices.selectedOnlyChecked());
    EXPECT_FALSE(choices.rangeEnabled());
    choices.setSelectedOnly(false);
    EXPECT_TRUE(choices.rangeEnabled());
    choices.setSelectedOnly(true);
    EXPECT_FALSE(choices.rangeEnabled());
    choices.chooseKind(0);
    EXPECT_FALSE(choices.dataOptionsVisible());
    EXPECT_TRUE(choices.rangeEnabled());
}

TEST(PrintChoices, WhatPrintsIsWhatTheDialogShowed)
{
    PrintChoices names(3, 1, true, {});
    names.setOmitBankLine(true);
    PrintDialogMemory m = names.memory();
    EXPECT_FALSE(m.ListingWithData);
    EXPECT_FALSE(m.SelectedOnly);
    EXPECT_TRUE(m.OmitBankLine);

    PrintChoices data(3, 1, true, {});
    data.chooseKind(1);
    m = data.memory();
    EXPECT_TRUE(m.RememberedKind);
    EXPECT_TRUE(m.RememberedSelected);
    EXPECT_TRUE(m.ListingWithData);
    EXPECT_TRUE(m.SelectedOnly);

    // The next dialog for the same list opens as this one closed.
    const PrintChoices again(3, 1, true, m);
    EXPECT_EQ(again.kindIndex(), 1);
    EXPECT_TRUE(again.dataOptionsVisible());
    EXPECT_TRUE(again.selectedOnlyChecked());
    EXPECT_FALSE(again.rangeEnabled());
}

TEST(PrintChoices, TheBankShownIsTheSelectionAndPagesAreBanks)
{
    PrintChoices choices(2, 2, false, {});
    EXPECT_EQ(choices.range(), BankRange::Selection);
    EXPECT_EQ(choices.bankRange(), std::make_pair(2, 2));
    choices.setRange(BankRange::All);
    EXPECT_EQ(choices.bankRange(), std::make_pair(1, 2));
    choices.setRange(BankRange::Pages);
    choices.setFromBank(9);
    choices.setToBank(1);
    EXPECT_EQ(choices.bankRange(), std::make_pair(1, 2));
}

TEST(PrintOptionsDialog, ControlsFollowTheRulesAndPreviewConfirms)
{
    PrintChoices choices(4, 3, true, {});
    PrintOptionsDialog dialog(choices);
    EXPECT_EQ(dialog.kindList()->count(), 2);
    EXPECT_TRUE(dialog.selectionButton()->isChecked());
    EXPECT_EQ(dialog.toBox()->maximum(), 4);
    dialog.kindList()->setCurrentIndex(1);
    EXPECT_TRUE(dialog.selectedOnlyBox()->isChecked());
    EXPECT_FALSE(dialog.selectedOnlyBox()->isHidden());
    EXPECT_FALSE(dialog.allButton()->isEnabled());
    EXPECT_FALSE(dialog.fromBox()->isEnabled());
    dialog.selectedOnlyBox()->setChecked(false);
    EXPECT_TRUE(dialog.pagesButton()->isEnabled());
    dialog.omitBankLineBox()->setChecked(true);
    dialog.printToFileBox()->setChecked(true);
    dialog.previewButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(choices.previewPressed());
    EXPECT_TRUE(choices.printToFile());
    EXPECT_TRUE(choices.memory().OmitBankLine);
    EXPECT_FALSE(choices.memory().SelectedOnly);

    // The two boxes come and go with "Names and Data", and the dialog's height with them:
    // after each choice it is as high as a dialog opened with that kind, with no blank band.
    const PrintDialogMemory openedWith[] = {{}, choices.memory()};  // "Patch Names", "Names and Data"
    int openedHeight[2] = {};
    for (const int kind : {0, 1}) {
        PrintChoices opened(4, 3, true, openedWith[kind]);
        PrintOptionsDialog shown(opened);
        shown.show();
        ASSERT_EQ(shown.kindList()->currentIndex(), kind);
        openedHeight[kind] = shown.height();
    }
    EXPECT_LT(openedHeight[0], openedHeight[1]);
    for (const int kind : {0, 1}) {
        PrintChoices opened(4, 3, true, openedWith[kind]);
        PrintOptionsDialog shown(opened);
        shown.show();
        for (const int next : {1 - kind, kind}) {
            shown.kindList()->setCurrentIndex(next);
            QApplication::processEvents();
            EXPECT_EQ(shown.height(), openedHeight[next]) << "opened with kind " << kind << ", then " << next;
        }
    }
}

}  // namespace
}  // namespace printing
