// The procedure categories of the practice analysis, kept in the workstation INI file
// (section "REPORTS", keys "ProcCat1" to "ProcCat40": "first,last,description,percent").
#pragma once

#include <cstddef>
#include <string>

#include "host/base/ini.h"

class PrcWDIniObj : public WDIniObj {
  public:
    static constexpr int kCategories = 40;
    // The group of a code that lies in no category.
    static constexpr int kNoGroup = 41;
    // Characters kept of each part of a category and of a whole stored line.
    static constexpr size_t kCodeChars = 7, kDescChars = 25, kPctChars = 3,
                            kLineChars = 45;  // 7 + 7 + 25 + 3 and three commas

    // Reads the categories of the workstation INI (or of the INI file at path).
    PrcWDIniObj();
    explicit PrcWDIniObj(std::string path);

    const char* get_inisect() const override { return "REPORTS"; }

    void read_inisect();
    // Writes the 40 keys; a category without a first code is written empty.
    void update_inisect();

    // Copies category n's description into out (size bytes, never splitting a character);
    // false when n is not between 1 and 40.
    bool GetDesc(int n, char* out, size_t size) const;
    bool GetDesc(int n, std::string* out) const;
    // Category n's percentage, at most 100; 0 outside 1..40 or without a description.
    int GetPct(int n) const;
    // The first category whose range holds code (leading blanks ignored), else 41.
    int GetGroup(const char* code) const;
    // True when two or more categories hold code; false for an empty code.
    bool DuplicateGroup(const char* code) const;
    // Clears category n and fills it from "first,last,description,percent".
    void ParseCatLine(const char* line, int n);
    // Sets category n (each part cut to its length; a comma in the description, which
    // would shift the percentage when read back, becomes a blank). False outside 1..40.
    bool SetCategory(int n, const std::string& first, const std::string& last,
                     const std::string& desc, const std::string& pct);

    struct Category {
        std::string first;  // first procedure code of the range
        std::string last;   // last procedure code of the range
        std::string desc;
        std::string pct;
    };
    // Category n (1..40); an empty category outside that range.
    const Category& Get(int n) const;

  private:
    static bool Valid(int n) { return n >= 1 && n <= kCategories; }
    static bool Holds(const Category& c, const std::string& code);
    Category cats_[kCategories];
};
