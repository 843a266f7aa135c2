// Reprinting a saved month-end report. The month-end keeps a copy of its text as
// "<key>.me" in the report folder, with a page marker ("+++") before each of its pages;
// ReprintMEObj prints such a copy again, page for page (a marker or a form feed starts a
// page), each page under the title lines it began with. TReprintMEDlg (catalog 109) lists the
// copies by month.
#pragma once

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "host/output/ovreport.h"
#include "host/ui/reportdlg.h"

class ReprintMEObj : public OvReportObj {
  public:
    // out: the ".prt" file, or null for the PDF printer.
    ReprintMEObj(TWindow* parent, LauncherInfo* launcher, const std::string& file_name,
                 FILE* out = nullptr);
    ~ReprintMEObj() override;

    // Opens the saved file; false (nothing printed) when it cannot be read.
    bool OpenReport() override;
    bool EndReport(int line) override;
    void AbortReport() override;
    // The current page's title lines, then the page number.
    int PrintTitle(int line) override;
    bool InitialCriteria() override;
    bool ContinueCriteria() override;
    int PrintDetail(int line) override;
    std::string GetMeterTitle() override;

    // At a page marker: skips to the first line that begins (after blanks) with a letter
    // and takes it and the letter-led lines after it, four at most, as the page title.
    // A page of the kept text file (its first line begins with a form feed) is one too,
    // starting from that line. False when the file ends first.
    bool FoundNewPage(const std::string* first = nullptr);
    // Pages started so far.
    int Pages() const { return GetPageNumber(); }

  private:
    bool ReadLine(std::string* line);
    // The next line to print; false at the end of the file.
    bool Advance();
    std::string name_;
    FILE* in_ = nullptr;
    std::string line_;
    std::vector<std::string> title_;
    bool new_page_ = false;
    bool seen_marker_ = false;
    bool pushed_ = false;  // line_ was read ahead by FoundNewPage
    bool printed_ = false;
};

class TReprintMEDlg : public TReportBaseDlg {
  public:
    TReprintMEDlg(TWindow* parent, TResId res_id, LauncherInfo* launcher = nullptr,
                  TModule* module = nullptr, int mode = 0);

    // Lists the "*.me" files of the report folder, by name.
    void SetupWindow() override;
    // Reprints the selected file; nothing without a selection.
    bool DisplayReport() override;
    bool ActionOnOK() { return DisplayReport(); }

    // The list line of a file: "Nov, 2024\t<modification time>".
    static std::string ListLine(const std::string& file_name, long modified);
    // Month name for 1..12 (6163..6174), "%02d" of month - 12 for 13..24.
    static std::string GetMonthString(int month);
    // The report folder with its separator.
    static std::string Folder();
    const std::string& LastFile() const { return last_file_; }

  private:
    std::string selected_;
    std::string last_file_;
    std::map<long, std::string> names_;  // key -> the file's own name
};
