// The catalog's direct template entries over the demo practice, on every engine: each
// entry prints its template as a preview (a PDF shown by the viewer) without a message,
// and each template lists as many records as its table holds.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "host/base/strings.h"
#include "host/output/template_printer.h"
#include "shell/catalog.h"
#include "tests/shell/shell_support.h"
#include "tests/support/testdb.h"

namespace {

// The records each template must list: the query that counts them.
struct Expected {
    const char* template_name;
    const char* count_sql;
};

const Expected kExpected[] = {
    {"emppolhd.rpt",
     "SELECT COUNT(*) FROM {P}PATDEP D JOIN {P}EMPPOL E ON E.EPOL_ID = D.PDEP_EPOLID "
     "JOIN {P}PATIENT P ON P.PAT_ID = D.PDEP_HOLDER_PATID WHERE D.PDEP_PATID = "
     "D.PDEP_HOLDER_PATID"},
    {"epolrpt.rpt", "SELECT COUNT(*) FROM {P}EMPPOL"},
    {"inscorpt.rpt", "SELECT COUNT(*) FROM {P}INSCO"},
    {"cvgtprpt.rpt", "SELECT COUNT(*) FROM {P}CVGTYPE"},
    {"fschrpt.rpt", "SELECT COUNT(*) FROM {P}FEESCHED"},
    {"govtrpt.rpt", "SELECT COUNT(*) FROM {P}GOVTCD"},
    {"prodrpt.rpt", "SELECT COUNT(*) FROM {P}PRODCD"},
    {"userrpt.rpt", "SELECT COUNT(*) FROM {P}USERIDCD"},
    {"cityrpt.rpt", "SELECT COUNT(*) FROM {P}CITYCD"},
    {"provrpt.rpt", "SELECT COUNT(*) FROM {P}PROVCD"},
    {"bankrpt.rpt", "SELECT COUNT(*) FROM {P}BANKCD"},
    {"pmtrpt.rpt", "SELECT COUNT(*) FROM {P}PMTSCD"},
    {"adjstrpt.rpt", "SELECT COUNT(*) FROM {P}ADJUSTCD"},
    {"ofchgrpt.rpt", "SELECT COUNT(*) FROM {P}OFFCHGCD"},
    {"formrpt.rpt", "SELECT COUNT(*) FROM {P}FORMCD"},
    {"comment.rpt", "SELECT COUNT(*) FROM {P}COMMENTCD"},
    {"ofcdrpt.rpt", "SELECT COUNT(*) FROM {P}OFFCHGCD"},
    {"notescd.rpt", "SELECT COUNT(*) FROM {P}NOTECD"},
    {"rcallrpt.rpt", "SELECT COUNT(*) FROM {P}RECALLCD"},
    {"statsrpt.rpt", "SELECT COUNT(*) FROM {P}STATCD"},
    {"appttype.rpt", "SELECT COUNT(*) FROM {P}APTTYPE"},
    {"apptcode.rpt", "SELECT COUNT(*) FROM {P}APTCODE"},
    {"chairrpt.rpt", "SELECT COUNT(*) FROM {P}CHAIRCD"},
    {"clinic.rpt", "SELECT COUNT(*) FROM {P}CLINIC"},
    {"medqrpt.rpt", "SELECT COUNT(*) FROM {P}MEDQCD"},
    {"alrtprt.rpt", "SELECT COUNT(*) FROM {P}ALERTCD"},
    {"refercd.rpt", "SELECT COUNT(*) FROM {P}REFERCD"},
    {"reftype.rpt", "SELECT COUNT(*) FROM {P}REFTYPE"},
};

std::string WithPrefix(const std::string& sql, const std::string& prefix) {
    std::string out = sql;
    for (size_t at; (at = out.find("{P}")) != std::string::npos;)
        out.replace(at, 3, prefix);
    return out;
}

class TemplateEntries : public shell_test::ShellTest,
                        public testing::WithParamInterface<std::string> {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        db_ = std::make_unique<testing_support::TestDb>(GetParam(), false);
        std::string error;
        ASSERT_TRUE(testing_support::WriteSmallDemo(db_->db(), &error)) << error;
        app.SetDb(&db_->db());
    }
    void TearDown() override {
        ShellTest::TearDown();
        app.SetDb(nullptr);
        db_.reset();
    }
    std::unique_ptr<testing_support::TestDb> db_;
};

}  // namespace

TEST_P(TemplateEntries, EveryEntryPrintsItsTableWhole) {
    size_t count = 0;
    const reports::CatalogEntry* entries = reports::Entries(&count);
    std::set<std::string> checked;
    QDSReportsMainDialog* manager = Open();
    ASSERT_NE(manager, nullptr);
    for (size_t i = 0; i < count; ++i) {
        const reports::CatalogEntry& e = entries[i];
        if (e.kind != reports::EntryKind::Template) continue;
        SCOPED_TRACE(e.target);
        const Expected* expected = nullptr;
        for (const Expected& x : kExpected)
            if (std::string(x.template_name) == e.target) expected = &x;
        ASSERT_NE(expected, nullptr) << "no expected count for " << e.target;
        checked.insert(e.target);

        // Through the catalog: a preview PDF, no message.
        backend.ClearRecords();
        manager->SendCommand(static_cast<UINT>(e.command));
        EXPECT_TRUE(backend.Messages().empty())
            << (backend.Messages().empty() ? "" : backend.Messages()[0].text);
        ASSERT_EQ(backend.FilesShown().size(), 1u);
        const std::string pdf = backend.FilesShown()[0];
        EXPECT_EQ(std::filesystem::path(pdf).extension(), ".pdf");
        std::ifstream in(pdf, std::ios::binary);
        char magic[5] = {};
        in.read(magic, 4);
        EXPECT_STREQ(magic, "%PDF");

        // The records listed are the table's rows, all of them.
        host::output::TemplateRequest request;
        request.template_name = e.target;
        request.output_choice = 0;
        request.db = &db_->db();
        host::output::TemplateResult result;
        std::string error;
        ASSERT_EQ(host::output::RunTemplate(request, &result, &error),
                  host::output::TemplateStatus::Printed)
            << error;
        const int64_t rows =
            db_->db().QueryInt(WithPrefix(expected->count_sql, db_->db().dbTablePrefix()), -1);
        EXPECT_GT(rows, 0);
        EXPECT_EQ(result.records, rows);
        EXPECT_GE(result.pages, 1);
    }
    EXPECT_EQ(checked.size(), std::size(kExpected));
}

INSTANTIATE_TEST_SUITE_P(Engines, TemplateEntries, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);
