// RevDistObj, the revenue distribution's pages: one line per rule, the rules of a group on
// pages of their own under the group's practitioner, each group closed by its totals.
// It takes the rows of revdist_rows.h only.
#pragma once

#include <cstdio>
#include <string>

#include "analysis/revdist_rows.h"
#include "host/output/ovreport.h"

class RevDistObj : public OvReportObj {
  public:
    RevDistObj(LauncherInfo* launcher, TWindow* parent, const revdist::RevDistData& data,
               bool show_meter, FILE* out);

    void SetColumns() override;
    bool InitialCriteria() override;
    bool ContinueCriteria() override;
    // A rule of another group than the one printed closes that group (its totals) and
    // starts a page.
    bool MatchCriteria() override;
    int PrintDetail(int line) override;
    int PrintSubTitle(int line) override;
    std::string GetTitleStr(int i) override;
    bool EndReport(int line) override;
    long GetMaxMeterCount() override;
    std::string GetMeterTitle() override;
    int GetTitleLNum() override { return 3; }

    // The column starts of the ten columns.
    static constexpr int kCols[10] = {0, 20, 40, 52, 64, 75, 86, 96, 104, 115};

  private:
    // Prints the totals of the group printed so far from line; returns the next free line.
    int PrintTotals(int line);
    const revdist::RuleRow& Rule() const { return data_.groups[group_].rules[rule_]; }

    const revdist::RevDistData& data_;
    size_t group_ = 0;
    size_t rule_ = 0;
    size_t printed_group_ = 0;  // the group whose rules the current page lists
};
