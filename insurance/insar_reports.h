// The insurance receivable report's pages. InsARSumRpt walks the claims (by doctor and
// carrier, each pair on pages of its own, closed by its totals); its forms print the
// treatments under each claim (InsARDetailRpt), one line per claim (InsARClaimRpt) or no
// detail (InsPrnTotOnlyRpt). The totals pages by carrier, by doctor and for the practice
// (InsARTotalRpt) follow in the same document. They take the rows of insar_rows.h only.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "host/output/ovreport.h"
#include "insurance/insar_rows.h"

class InsARSumRpt : public OvReportObj {
  public:
    InsARSumRpt(LauncherInfo* launcher, TWindow* parent, const insar::InsARData& data, FILE* out,
                short copies, bool show_meter);

    void SetColumns() override;
    bool InitialCriteria() override;
    bool ContinueCriteria() override;
    // A claim of another doctor or carrier closes the pair printed (its totals) and starts
    // a page.
    bool MatchCriteria() override;
    int PrintSubTitle(int line) override;
    std::string GetTitleStr(int i) override;
    int GetTitleLNum() override { return 4; }
    long GetMaxMeterCount() override;
    // The last pair's totals, then the totals pages.
    bool EndReport(int line) override;

    // Column starts of the claim line's amounts (held, current, 31-60, 61-90, over 90,
    // total, multiple-coverage total), each kAmountWidth wide.
    static constexpr int kClaimCols[7] = {35, 47, 59, 71, 83, 95, 107};
    static constexpr int kAmountWidth = 11;

  protected:
    // Prints one claim line; returns the lines used.
    int PrintClaim(int line, const insar::ClaimRow& c);
    const insar::ClaimRow& Claim() const { return data_.claims[claim_]; }
    virtual int TitleText() const = 0;
    virtual bool Details() const { return true; }

    const insar::InsARData& data_;
    size_t claim_ = 0;
    size_t printed_ = 0;  // the first claim of the pair printed
    bool any_ = false;

  private:
    int PrintPairTotals(int line);
};

class InsARDetailRpt : public InsARSumRpt {
  public:
    using InsARSumRpt::InsARSumRpt;
    int PrintDetail(int line) override;
    int PrintSubTitle(int line) override;
    int GetLineReq() override;
    std::string GetMeterTitle() override;

  protected:
    int TitleText() const override;
};

class InsARClaimRpt : public InsARSumRpt {
  public:
    using InsARSumRpt::InsARSumRpt;
    int PrintDetail(int line) override;
    std::string GetMeterTitle() override;

  protected:
    int TitleText() const override;
};

class InsPrnTotOnlyRpt : public InsARSumRpt {
  public:
    using InsARSumRpt::InsARSumRpt;
    bool InitialCriteria() override { return false; }
    std::string GetMeterTitle() override;

  protected:
    int TitleText() const override;
    bool Details() const override { return false; }
};

// One totals page (per carrier, per doctor, or the practice), continuing the main
// report's document and page numbers.
class InsARTotalRpt : public OvReportObj {
  public:
    enum class Kind { Carriers, Doctors, Practice };
    InsARTotalRpt(LauncherInfo* launcher, TWindow* parent, const insar::InsARData& data, Kind kind,
                  int title_text, int start_page);

    void SetColumns() override;
    bool InitialCriteria() override;
    bool ContinueCriteria() override;
    int PrintDetail(int line) override;
    int PrintSubTitle(int line) override;
    std::string GetTitleStr(int i) override;
    int GetTitleLNum() override { return 3; }
    int GetStartPageNo() override { return start_page_; }
    bool EndReport(int line) override;

    static constexpr int kCols[7] = {53, 64, 75, 86, 97, 108, 122};

  private:
    const std::vector<insar::TotalRow>& Rows() const;
    const insar::InsARData& data_;
    Kind kind_;
    int title_text_;
    int start_page_;
    size_t row_ = 0;
};
