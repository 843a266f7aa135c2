// Reading a printed receivable report back, to check that every total it prints is the sum
// of the lines it prints under it: the account (or patient) blocks against the account
// totals, the producer lines against the summary's totals, and the two against each other.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "common/report_run.h"
#include "host/base/text.h"
#include "host/output/paths.h"
#include "host/output/textprint.h"
#include "receivables/ar_run.h"

namespace ar_check {

// Criteria of a receivable report; the overdue text is "<n> - Choix".
inline arrpt_info Criteria(long as_of, int kind, int grouping, const std::string& producer,
                           char future, int overdue, long min_balance = 0) {
    arrpt_info info;
    host::CopyText(info.producer, sizeof info.producer, producer);
    info.as_of = as_of;
    info.kind = kind;
    info.grouping = grouping;
    info.future = future;
    info.overdue_num = static_cast<short>(overdue);
    std::snprintf(info.overdue_text, sizeof info.overdue_text, "%d - Choix", overdue);
    info.min_balance = min_balance;
    info.notes = 1;
    info.copies = 1;
    return info;
}

// Runs a receivable report without a dialog into the text file `name` of the output folder:
// its run (rows and data tables) and its printed text, pages joined.
struct Ran {
    std::unique_ptr<ARReportRun> run;
    std::string text;
    std::vector<std::vector<std::string>> pages;
};
inline Ran RunToText(const arrpt_info& info, bool quick, LauncherInfo* launcher,
                     const std::string& name = "arrpt.prt") {
    Ran r;
    r.run = std::make_unique<ARReportRun>(info, quick, 1);
    const std::string path = host::output::OutputPath(name);
    FILE* prt = std::fopen(path.c_str(), "w");
    EXPECT_NE(prt, nullptr) << path;
    std::string error;
    EXPECT_TRUE(reports::RunHeadless(*r.run, launcher, prt, 1, "arrpt", &error)) << error;
    if (prt) std::fclose(prt);
    std::vector<host::output::TextPage> pages;
    EXPECT_TRUE(host::output::ReadTextPages(path, &pages, &error)) << error;
    for (const auto& p : pages) {
        r.pages.push_back(p);
        for (const auto& l : p)
            r.text += l + "\n";
    }
    return r;
}

using Amounts = std::array<int64_t, 6>;  // current, 30-60, 60-90, 90 +, total, future

// "1,234.56" or "-0.05" in cents; false for anything else.
inline bool Cents(const std::string& w, int64_t* out) {
    std::string digits;
    bool neg = false, dot = false;
    int decimals = 0;
    for (size_t i = 0; i < w.size(); ++i) {
        const char c = w[i];
        if (c == '-' && i == 0) {
            neg = true;
        } else if (c == ',') {
            if (dot) return false;
        } else if (c == '.') {
            if (dot) return false;
            dot = true;
        } else if (c >= '0' && c <= '9') {
            digits += c;
            if (dot) ++decimals;
        } else {
            return false;
        }
    }
    if (!dot || decimals != 2 || digits.empty()) return false;
    *out = std::strtoll(digits.c_str(), nullptr, 10) * (neg ? -1 : 1);
    return true;
}

// The amounts at the end of a line (as many as there are, up to six).
inline std::vector<int64_t> LineAmounts(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;)
        words.push_back(w);
    std::vector<int64_t> out;
    for (auto it = words.rbegin(); it != words.rend() && out.size() < 6; ++it) {
        int64_t c = 0;
        if (!Cents(*it, &c)) break;
        out.insert(out.begin(), c);
    }
    return out;
}

inline Amounts Six(const std::vector<int64_t>& v) {
    Amounts a{};
    for (size_t i = 0; i < v.size() && i < 6; ++i)
        a[i] = v[i];
    return a;
}

inline void Add(Amounts* to, const Amounts& a) {
    for (size_t i = 0; i < 6; ++i)
        (*to)[i] += a[i];
}

struct Printed {
    // Sums of the block lines by group (0 patient "P ", 1 insurance "A:", 2 total "T:").
    Amounts blocks[3] = {};
    int block_count = 0;     // "T:" block lines
    int64_t additional = 0;  // the accounts' "Montants additionnels des comptes" lines
    bool has_totals = false;
    Amounts totals[3] = {};  // the account totals' three lines
    long listed = -1;        // "Comptes listés : n"
    Amounts producers = {};  // the summary's lines before its double rule
    int producer_lines = 0;
    bool has_summary = false;
    Amounts summary[3] = {};  // "Montant à Payer (patients/assurance)", "Total des Montants"
};

// Reads a full receivable report's text (every page, lines joined by '\n').
inline Printed Parse(const std::string& text) {
    Printed p;
    enum { kBlocks, kTotals, kSummaryHead, kProducers, kSummaryTotals } state = kBlocks;
    std::istringstream in(text);
    int totals_line = 0;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line[0] == '\f') line.erase(0, 1);
        // The two characters at character column col (the text is UTF-8).
        const auto group_of = [&](size_t col) -> int {
            size_t byte = 0;
            for (size_t c = 0; c < col && byte < line.size(); ++c) {
                const auto b = static_cast<unsigned char>(line[byte]);
                byte += b < 0x80 ? 1 : b >> 5 == 6 ? 2 : b >> 4 == 14 ? 3 : 4;
            }
            if (line.size() < byte + 2) return -1;
            const std::string label = line.substr(byte, 2);
            return label == "P " ? 0 : label == "A:" ? 1 : label == "T:" ? 2 : -1;
        };
        if (line.rfind("Total des Comptes à Recevoir", 0) == 0) {
            state = kTotals;
            p.has_totals = true;
            totals_line = 0;
            continue;
        }
        if (line.find("SOMMAIRES") != std::string::npos) {
            state = kSummaryHead;
            continue;
        }
        switch (state) {
            case kBlocks: {
                if (line.rfind("  Montants additionnels des comptes : ", 0) == 0) {
                    const std::vector<int64_t> a = LineAmounts(line);
                    if (!a.empty()) p.additional += a.back();
                    break;
                }
                // Block lines: their label ends the 60-character lead ("%...%2.2s").
                const int g = !line.empty() && line[0] == ' ' ? group_of(58) : -1;
                if (g >= 0) {
                    Add(&p.blocks[g], Six(LineAmounts(line)));
                    if (g == 2) ++p.block_count;
                }
                break;
            }
            case kTotals: {
                const int g = group_of(42);
                if (g >= 0 && totals_line < 3) p.totals[totals_line++] = Six(LineAmounts(line));
                const size_t at = line.find("Comptes listés : ");
                if (at != std::string::npos)
                    p.listed = std::strtol(line.c_str() + at + sizeof("Comptes listés : ") - 1,
                                           nullptr, 10);
                break;
            }
            case kSummaryHead:
                if (line.rfind("-----", 0) == 0) state = kProducers;
                break;
            case kProducers:
                if (line.rfind("=====", 0) == 0) {
                    state = kSummaryTotals;
                    p.has_summary = true;
                    totals_line = 0;
                } else if (!LineAmounts(line).empty()) {
                    Add(&p.producers, Six(LineAmounts(line)));
                    ++p.producer_lines;
                }
                break;
            case kSummaryTotals:
                if (totals_line < 3 && (line.rfind("Montant à Payer", 0) == 0 ||
                                        line.rfind("Total des Montants", 0) == 0))
                    p.summary[totals_line++] = Six(LineAmounts(line));
                break;
        }
    }
    return p;
}

// Every printed total is the sum of the lines printed under it. kind: the report's kind (1
// prints no account totals; 2 prints no blocks but counts its accounts).
inline void ExpectTotalsAreTheirLines(const std::string& text, int kind, const std::string& what) {
    const Printed p = Parse(text);
    ASSERT_TRUE(p.has_summary) << what;
    EXPECT_EQ(p.producers, p.summary[2]) << what << ": summary lines vs its total";
    if (kind != 1) {
        ASSERT_TRUE(p.has_totals) << what;
        EXPECT_EQ(p.totals[2], p.summary[2]) << what << ": account totals vs summary total";
        for (int g = 0; g < 3; ++g)
            EXPECT_EQ(p.totals[g], p.summary[g]) << what << ": group " << g;
    }
    if (kind == 0) {
        EXPECT_EQ(p.listed, p.block_count) << what << ": accounts listed";
        for (int g = 0; g < 3; ++g)
            EXPECT_EQ(p.blocks[g], p.totals[g]) << what << ": blocks vs totals, group " << g;
    }
    if (kind == 1) {
        // The patients' lines, and the accounts' own additional amounts beside them.
        Amounts blocks[3] = {p.blocks[0], p.blocks[1], p.blocks[2]};
        for (int g : {0, 2}) {
            blocks[g][0] += p.additional;
            blocks[g][4] += p.additional;
        }
        for (int g = 0; g < 3; ++g)
            EXPECT_EQ(blocks[g], p.summary[g]) << what << ": patients vs summary, group " << g;
    }
}

}  // namespace ar_check
