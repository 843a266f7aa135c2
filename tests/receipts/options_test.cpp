// The cash receipts' saved defaults (row 4 of the options table) and the catalog entries
// of both reports.
#include <gtest/gtest.h>

#include "common/ppsetstore.h"
#include "common/registry.h"
#include "receipts/cashrcpt_dialogs.h"
#include "receipts/pmtalloc_collect.h"
#include "shell/catalog.h"

namespace {

TEST(CashReceiptsOptions, PackAndReadBackInRowFour) {
    cashrcpt::Criteria c = cashrcpt::DefaultCriteria(20241115);
    EXPECT_EQ(c.from, 20241101);
    EXPECT_EQ(c.to, 20241115);
    EXPECT_EQ(c.copies, 1);
    EXPECT_EQ(c.sort, 'P');
    EXPECT_EQ(c.group, 'N');
    ppset::PPSetStore store(ppset::Owner::CashReceipts);
    CashReceiptsDlg::BindStore(store, c);
    ASSERT_TRUE(store.Complete());
    EXPECT_EQ(store.Layout().row, 4);
    std::snprintf(c.from_dr, sizeof c.from_dr, "01");
    std::snprintf(c.to_dr, sizeof c.to_dr, "02");
    c.sort = 'A';
    c.group = 'Y';
    EXPECT_EQ(store.Pack("PPST_A11_FIELD05"), "01  02  AY");
    EXPECT_NE(store.UpdateStatement("").find("PPST_A11_FIELD05='01  02  AY'"), std::string::npos);

    // Read back into fresh defaults; a blank sort or grouping keeps the built-in one.
    cashrcpt::Criteria back = cashrcpt::DefaultCriteria(20241115);
    ppset::PPSetStore load(ppset::Owner::CashReceipts);
    CashReceiptsDlg::BindStore(load, back);
    load.Unpack("PPST_A11_FIELD05", "01  02  MY");
    EXPECT_STREQ(back.from_dr, "01");
    EXPECT_STREQ(back.to_dr, "02");
    EXPECT_EQ(back.sort, 'M');
    EXPECT_EQ(back.group, 'Y');
    back = cashrcpt::DefaultCriteria(20241115);
    load.Unpack("PPST_A11_FIELD05", "D01     ");
    EXPECT_STREQ(back.from_dr, "D01");
    EXPECT_STREQ(back.to_dr, "");
    EXPECT_EQ(back.sort, 'P');
    EXPECT_EQ(back.group, 'N');
}

TEST(ReceiptsCatalog, BothReportsOpenFromTheCatalog) {
    for (int command : {114, 1002}) {
        EXPECT_TRUE(reports::IsAvailable(command)) << command;
        const reports::ReportDescriptor* d = reports::FindReport(command);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->dialog_class, reports::FindEntry(command)->class_name);
        EXPECT_EQ(d->resource, reports::FindEntry(command)->resource);
    }
    EXPECT_EQ(pmtalloc::DefaultCriteria(20240229).from, 20240201);
}

}  // namespace
