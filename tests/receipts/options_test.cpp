// The cash receipts' saved defaults (row 4 of the options table) and the catalog entries
// of both reports.
#include <gtest/gtest.h>

#include "common/ppsetstore.h"
#include "receipts/cashrcpt_dialogs.h"
#include "receipts/pmtalloc_collect.h"
#include "receipts/pmtalloc_dialogs.h"
#include "tests/common/support.h"
#include "tests/support/rows.h"

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

TEST(ReceiptsDefaults, TheAllocationsStartOnTheFirstOfTheMonth) {
    EXPECT_EQ(pmtalloc::DefaultCriteria(20240229).from, 20240201);
}

// The "..." buttons of the allocations' dialog: the billing doctors (each once, the
// hygienist without one left out) for the practitioner, the insurers for the payor.
class ReceiptsPickers : public common_test::DbTest {};

TEST_P(ReceiptsPickers, PractitionerAndInsurerArePickedFromTheirLists) {
    auto ins = testing_support::Inserter(db());
    const std::string prod =
        "PROD_ID, PROD_CODE, PROD_TYPE, PROD_FIRST_NAME, PROD_LAST_NAME, PROD_BILLDR";
    ins("PRODCD", prod, "1, 'D01', 'D', 'Marie', 'Tremblay', '01'");
    ins("PRODCD", prod, "2, 'D02', 'D', 'Paul', 'Gagnon', '02'");
    ins("PRODCD", prod, "3, 'D2B', 'D', 'Paul', 'Gagnon', '02'");
    ins("PRODCD", prod, "4, 'H01', 'H', 'Émilie', 'Bélanger', ''");
    ins("INSCO", "INS_CODE, INS_NAME", "'SUN', 'Sun Vie'");
    PaymentAllocationsRptDlg dlg(nullptr, 7028, launcher());
    std::vector<std::string> doctors, insurers;
    backend.QueueDialog([&](TDialog& d) {
        auto pick = [&](int button, const std::string& code, std::vector<std::string>* shown) {
            backend.QueueDialog([&, code, shown](TDialog& picker) {
                for (const auto& item : picker.ChildAs<TListBoxBase>(101)->Items())
                    shown->push_back(item.text);
                Set(picker, "code", code);
                picker.SendCommand(IDOK);
            });
            d.SendCommand(static_cast<UINT>(button));
        };
        pick(110, "02", &doctors);
        pick(111, "SUN", &insurers);
        EXPECT_EQ(d.GetControl(104)->GetText(), "02");
        EXPECT_EQ(d.GetControl(109)->GetText(), "SUN");
        d.EndModal(IDCANCEL);
    });
    dlg.Execute();
    EXPECT_EQ(doctors, (std::vector<std::string>{"01 - Marie Tremblay", "02 - Paul Gagnon"}));
    EXPECT_EQ(insurers, std::vector<std::string>{"SUN - Sun Vie"});
}

INSTANTIATE_TEST_SUITE_P(Engines, ReceiptsPickers, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

}  // namespace
