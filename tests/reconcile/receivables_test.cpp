// The receivable report on the medium demo practice: for every overdue choice, both
// groupings, every producer alone and all together, future amounts on and off, every total
// it prints is the sum of the lines it prints under it; and both engines and both
// calculation modes give the same rows.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>

#include "common/report_run.h"
#include "host/base/env.h"
#include "host/base/text.h"
#include "host/output/textprint.h"
#include "receivables/ar_run.h"
#include "tests/output/helpers.h"
#include "tests/receivables/ar_check.h"
#include "tests/reconcile/medium.h"

namespace {

class MediumReceivables : public reconcile::MediumPractice {
  protected:
    // The report's rows and its printed text.
    std::pair<ar::ARData, std::string> Run(const arrpt_info& info, int mode) {
        app().m_CalAR = mode;
        ar_check::Ran ran = ar_check::RunToText(info, false, launcher(), "medium.prt");
        return {ran.run->Data(), ran.text};
    }
    static arrpt_info Info(int kind, int grouping, const std::string& producer, char future,
                           int overdue, long min_balance) {
        return ar_check::Criteria(reconcile::kToday, kind, grouping, producer, future, overdue,
                                  min_balance);
    }
};

// A digest of the rows: every listed account's amounts and the summary's lines.
std::string Digest(const ar::ARData& d) {
    std::string out;
    auto add = [&](const host::calc::AgedGroups& g) {
        for (const host::calc::Aged* a : {&g.pat, &g.ins, &g.tot})
            for (int i = 0; i < 6; ++i)
                out += std::to_string(a->v[i]) + ",";
    };
    for (const ar::AccountRow& a : d.accounts) {
        out += std::to_string(a.acc_id) + ":";
        add(a.ar);
        for (const ar::PatientRow& p : a.patient_rows) {
            out += "p" + std::to_string(p.pat_id) + ":";
            add(p.ar);
        }
    }
    for (const ar::ProducerRow& p : d.producers) {
        out += p.code + ":";
        add(p.ar);
    }
    return out;
}

// Every overdue choice with every producer alone and all together, both groupings, future
// amounts on and off, the three kinds: each producer of a grouping's list runs four overdue
// choices, the other four with the other grouping (every code is in both lists but the
// auxiliaries and hygienists), future and kind changing from one run to the next.
TEST_P(MediumReceivables, EveryPrintedTotalIsTheSumOfItsLines) {
    std::map<int, std::vector<std::string>> producers;
    for (int grouping : {0, 1}) {
        const auto all = Run(Info(0, grouping, "*", 'Y', 1, 0), 1);
        producers[grouping] = {"*"};
        for (const ar::ProducerRow& p : all.first.producers)
            producers[grouping].push_back(p.code);
        ASSERT_GE(producers[grouping].size(), 3u);
    }
    std::map<std::string, std::set<int>> seen;  // producer -> overdue choices run
    for (int grouping : {0, 1}) {
        const auto& list = producers[grouping];
        for (size_t p = 0; p < list.size(); ++p) {
            for (int j = 0; j < 4; ++j) {
                const int overdue =
                    static_cast<int>((p + static_cast<size_t>(2 * j + grouping)) % 8) + 1;
                const char future = j % 2 ? 'Y' : 'N';
                const int kind = static_cast<int>((p + static_cast<size_t>(j)) % 3);
                const long min = overdue >= 3 ? 5000 : 0;
                const auto [data, text] =
                    Run(Info(kind, grouping, list[p], future, overdue, min), 1);
                const std::string what = "kind " + std::to_string(kind) + " grouping " +
                                         std::to_string(grouping) + " future " + future +
                                         " overdue " + std::to_string(overdue) + " producer " +
                                         list[p];
                ar_check::ExpectTotalsAreTheirLines(text, kind, what);
                if (HasFailure()) return;
                seen[list[p]].insert(overdue);
            }
        }
    }
    for (const std::string& code : {std::string("*"), std::string("D01")})
        EXPECT_EQ(seen[code].size(), 8u) << code;
}

// Both calculation modes, and both engines, read the same rows.
TEST_P(MediumReceivables, EnginesAndCalculationModesAgree) {
    static std::map<std::string, std::string> first_engine;
    for (const auto& [kind, grouping] : {std::pair{0, 1}, std::pair{1, 0}}) {
        const arrpt_info info = Info(kind, grouping, "*", 'Y', 1, 0);
        const std::string sql = Digest(Run(info, 1).first);
        const std::string records = Digest(Run(info, 0).first);
        EXPECT_EQ(sql, records) << "kind " << kind << " grouping " << grouping;
        const std::string key = std::to_string(kind) + "/" + std::to_string(grouping);
        auto [it, first] = first_engine.emplace(key, sql);
        if (!first) {
            EXPECT_EQ(sql, it->second) << GetParam() << ", " << key;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, MediumReceivables, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

}  // namespace
