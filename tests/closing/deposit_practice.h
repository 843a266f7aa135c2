// A hand-built practice for the daily and monthly deposits, on each engine. The day is
// 12/11/2024 (kDay); every payment and adjustment is also on the day sheet, on its date.
//
// Banks BNC (Banque Nationale du Canada, Laval) and DESJ (Caisse Desjardins); ZZZ is not in
// the bank table. Codes: C Comptant, CH Chèque, VI Visa (rate 250 = 2.5 %), DD direct
// deposit of the insurer (direct-deposit flag). Accounts 1 Aubin, Anne; 2 Bédard, Luc;
// 3 O'Brien, Seán. Insurer SUN Sun Life.
//
// id kind  date   entered bank code   amount  dep pmt  deleted   on the 12th (107 off / on)
//  1 P     12th   12th    BNC  C       50.00   Y       -         A/K BNC
//  2 P     12th   12th    BNC  CH     120.00   Y       -         A/K BNC (01: 70.00, 02: 50.00)
//  3 P     12th   12th    BNC  VI     100.00   Y       -         A/K BNC, service 2.50
//  4 P ins 12th   12th    DESJ DD     300.00   Y       -         B/K DESJ (direct deposit)
//  5 P     11th   12th    DESJ CH      40.00   Y       -         A/K DESJ (entered after its date)
//  6 P     12th   13th    BNC  CH      70.00   Y       -         no: deposited on the 13th
//  7 P     11th   11th    BNC  CH      25.00   Y       -         no: the day before
//  8 P     13th   13th    BNC  C       15.00   Y       -         no: the day after
//  9 A     12th   12th    BNC  NSF   -120.00   Y   Y   -         A/M BNC
// 10 A     12th   12th    BNC  COUR     8.00   N   N   -         never (not a payment)
// 11 A     12th   12th    DESJ RAJ    -15.00   N   Y   -         B/M DESJ with 107 only
// 12 P     12th   12th    ZZZ  CH      20.00   Y       -         A/K "Banque Inconnue"
// 13 P     12th   12th    BNC  CH      99.00   Y       12th      no: deleted before deposit
// 14 P      9th    9th    BNC  CH      33.00   Y       12th      no: deposited on the 9th
//
// Applications (for the billing doctors): payment 1 -> 01 50.00; payment 2 -> 01 70.00 and
// 02 50.00; payment 4 -> 02 300.00.
#pragma once

#include <initializer_list>
#include <string>
#include <utility>

#include "host/base/dates.h"
#include "tests/followup/followup_support.h"

namespace deposit_test {

inline constexpr long kDay = 20241112;

// A printed line: each text at its column (character columns, UTF-8 counted by character).
inline std::string Cols(std::initializer_list<std::pair<int, std::string>> cells) {
    std::u32string line;
    for (const auto& [col, text] : cells) {
        std::u32string t;
        for (size_t i = 0; i < text.size();) {
            const unsigned char c = static_cast<unsigned char>(text[i]);
            const int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
            char32_t cp = n == 1 ? c : c & (0x3F >> (n - 1));
            for (int k = 1; k < n; ++k)
                cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
            t += cp;
            i += static_cast<size_t>(n);
        }
        if (line.size() < static_cast<size_t>(col)) line.resize(static_cast<size_t>(col), U' ');
        line = line.substr(0, static_cast<size_t>(col)) + t;
    }
    std::string out;
    for (char32_t cp : line) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

// An amount right-aligned in `width` characters, as the report prints it.
inline std::string A(const char* amount, size_t width = 10) {
    std::string s(amount);
    return std::string(s.size() < width ? width - s.size() : 0, ' ') + s;
}

class PracticeTest : public followup_test::EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        host::SetFixedToday(20241115);
        Insert("PRACINFO", "PRAC_ID, PRAC_NAME", "1, 'Clinique dentaire des Mille-Îles'");
        const std::string bank = "BNK_CODE, BNK_NAME, BNK_ADDR1, BNK_CITY, BNK_PROV, BNK_POSTAL";
        Insert("BANKCD", bank,
               "'BNC', 'Banque Nationale du Canada', '100, boulevard de la Concorde', 'Laval', "
               "'QC', 'H7G 1A1'");
        Insert("BANKCD", bank,
               "'DESJ', 'Caisse Desjardins', '200, rue Principale', 'Laval', 'QC', 'H7G 2B2'");
        const std::string code = "PAYMENT_CODE, PAYMENT_DESCRIPT, PAYMENT_DPSTS, PAYMENT_RATE";
        Insert("PMTSCD", code, "'C', 'Comptant', 'N', 0");
        Insert("PMTSCD", code, "'CH', 'Chèque', 'N', 0");
        Insert("PMTSCD", code, "'VI', 'Visa', 'N', 250");
        Insert("PMTSCD", code, "'DD', 'Dépôt direct', 'Y', 0");
        Insert("ACCOUNT", "ACC_ID, ACC_LNAME, ACC_PNAME", "1, 'Aubin', 'Anne'");
        Insert("ACCOUNT", "ACC_ID, ACC_LNAME, ACC_PNAME", "2, 'Bédard', 'Luc'");
        Insert("ACCOUNT", "ACC_ID, ACC_LNAME, ACC_PNAME", "3, 'O''Brien', 'Seán'");
        Insert("INSCO", "INS_CODE, INS_NAME", "'SUN', 'Sun Life'");
        Insert("DAYEND", "DEND_ID, DEND_MENDDATE", "1, 20241031");

        Row(1, 1, 'P', 'P', 12, 12, "BNC", "C", 5000, "Y", "", 0);
        Row(2, 2, 'P', 'P', 12, 12, "BNC", "CH", 12000, "Y", "", 0);
        Row(3, 3, 'P', 'P', 12, 12, "BNC", "VI", 10000, "Y", "", 0);
        Row(4, 2, 'P', 'I', 12, 12, "DESJ", "DD", 30000, "Y", "", 0);
        Row(5, 1, 'P', 'P', 11, 12, "DESJ", "CH", 4000, "Y", "", 0);
        Row(6, 3, 'P', 'P', 12, 13, "BNC", "CH", 7000, "Y", "", 0);
        Row(7, 1, 'P', 'P', 11, 11, "BNC", "CH", 2500, "Y", "", 0);
        Row(8, 2, 'P', 'P', 13, 13, "BNC", "C", 1500, "Y", "", 0);
        Row(9, 2, 'A', 'P', 12, 12, "BNC", "NSF", -12000, "Y", "Y", 0);
        Row(10, 1, 'A', 'P', 12, 12, "BNC", "COUR", 800, "N", "N", 0);
        Row(11, 3, 'A', 'P', 12, 12, "DESJ", "RAJ", -1500, "N", "Y", 0);
        Row(12, 3, 'P', 'P', 12, 12, "ZZZ", "CH", 2000, "Y", "", 0);
        Row(13, 1, 'P', 'P', 12, 12, "BNC", "CH", 9900, "Y", "", 12);
        Row(14, 1, 'P', 'P', 9, 9, "BNC", "CH", 3300, "Y", "", 12);

        App(1, 1, 5000, "01", 12);
        App(2, 2, 7000, "01", 12);
        App(3, 2, 5000, "02", 12);
        App(4, 4, 30000, "02", 12);
    }

    // A payment ('P') or adjustment ('A') of November, dated and entered on those days.
    void Row(long id, long acc, char rectype, char type, int day, int entered, const char* bank,
             const char* code, long total, const char* dep, const char* pmt, int deleted) {
        const auto nov = [](int d) { return std::to_string(20241100 + d); };
        Insert("ACCPMT",
               "APMT_ID, APMT_ACCID, APMT_RECTYPE, APMT_TYPE, APMT_DATE, APMT_SYSDATE, APMT_BANK, "
               "APMT_CODE, APMT_PAYOR, APMT_TOTAL, APMT_DEP, APMT_PMT, APMT_DELDATE, APMT_TRXNO",
               std::to_string(id) + ", " + std::to_string(acc) + ", '" + rectype + "', '" + type +
                   "', " + nov(day) + ", " + nov(entered) + ", '" + bank + "', '" + code + "', '" +
                   (type == 'I' ? "SUN" : "") + "', " + std::to_string(total) + ", '" + dep +
                   "', '" + pmt + "', " + (deleted ? nov(deleted) : "0") + ", 'T" +
                   std::to_string(id) + "'");
        Insert("DAYSHT", "DSHT_ID, DSHT_DATE, DSHT_RECID, DSHT_SORTID, DSHT_RECTYPE",
               std::to_string(id) + ", " + nov(day) + ", " + std::to_string(id) + ", '" +
                   (rectype == 'A' ? "M" : "K") + "', 'K'");
    }
    void App(long id, long apmt, long amount, const char* billdr, int entered) {
        Insert("PMTAPP",
               "PAPP_ID, PAPP_APMTID, PAPP_RECTYPE, PAPP_AMOUNT, PAPP_PRODUCER, PAPP_BILLDR, "
               "PAPP_DATE, PAPP_SYSDATE",
               std::to_string(id) + ", " + std::to_string(apmt) + ", 'T', " +
                   std::to_string(amount) + ", 'D" + billdr + "', '" + billdr + "', " +
                   std::to_string(20241100 + entered) + ", " + std::to_string(20241100 + entered));
    }
};

}  // namespace deposit_test
