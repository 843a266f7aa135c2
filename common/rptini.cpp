#include "common/rptini.h"

#include <strings.h>

#include <cstdlib>

#include "host/base/text.h"

namespace rptini {

namespace {

const std::vector<Key> kKeys = {
    {"PRCA REPORT", "Producer", "", 4, "practice analysis"},
    {"PRCA REPORT", "CompareMonths", "0", 0, "practice analysis"},
    {"PRCA REPORT", "CalcYTD", "0", 0, "practice analysis"},
    {"PRCA REPORT", "CalcSplits", "0", 0, "practice analysis"},
    {"PRCA REPORT", "ReportLabsUnderFee", "0", 0, "practice analysis"},
    {"PRCA REPORT", "PrintPracticeTotal", "0", 0, "practice analysis"},
    {"PRCA REPORT", "Details", "0", 0, "practice analysis"},
    {"PRCA REPORT", "ReportBy", "0", 0, "practice analysis"},
    {"PRCA REPORT", "NumCopies", "1", 0, "practice analysis"},
    {"PRCA REPORT", "YTDMode", "1", 0, "practice analysis"},
    {"FEECAT REPORT", "ReportBy", "", 0, "procedure category report"},
    {"FEECAT REPORT", "Prod", "", 0, "procedure category report"},
    {"FEECAT REPORT", "PrintPracticeTotal", "", 0, "procedure category report"},
    {"FEECAT REPORT", "PrintPmts", "", 0, "procedure category report"},
    {"FEECAT REPORT", "SelectAll", "", 0, "procedure category report"},
    {"FEECAT REPORT", "LabUnderCode", "", 0, "procedure category report"},
    {"FEECAT REPORT", "SeparateRpt", "", 0, "procedure category report"},
    {"FEECAT REPORT", "DaysDiff", "", 0, "procedure category report"},
    {"FEECAT REPORT", "Cat", "", 0, "procedure category report"},
    {"MONTHDEP REPORT", "ReportBy", "", 0, "monthly deposit"},
    {"MONTHDEP REPORT", "Prod", "", 0, "monthly deposit"},
    {"MONTHDEP REPORT", "PrintPracticeTotal", "", 0, "monthly deposit"},
    {"MONTHDEP REPORT", "SeparateByDr", "", 0, "monthly deposit"},
    {"MONTHDEP REPORT", "SeparateByBank", "", 0, "monthly deposit"},
    {"TOPREV REPORT", "Prod", "*", 5, "top revenue"},
    {"TOPREV REPORT", "IncludeInsPmts", "", 3, "top revenue"},
    {"TOPREV REPORT", "IncludeAdjPmts", "", 3, "top revenue"},
    {"TOPREV REPORT", "IncludeFam", "", 3, "top revenue"},
    {"TOPREV REPORT", "Percent", "20", 0, "top revenue"},
    {"Statement", "DefaultFutureARDesc", "", 21, "account statements"},
    {"Statement", "DefaultFutureARNote", "", 129, "account statements"},
};

bool Same(const char* a, const char* b) {
    return strcasecmp(a, b) == 0;
}

std::string Cut(const Key* k, std::string value) {
    return k && k->size > 1 ? host::U8Left(value, static_cast<size_t>(k->size - 1)) : value;
}

}  // namespace

const std::vector<Key>& Keys() {
    return kKeys;
}

const Key* Find(const char* section, const char* key) {
    if (!section || !key) return nullptr;
    for (const Key& k : kKeys)
        if (Same(k.section, section) && Same(k.key, key)) return &k;
    return nullptr;
}

std::string ReadText(const WDIniObj& ini, const char* section, const char* key) {
    const Key* k = Find(section, key);
    return Cut(k, ini.read_secini(section, key, k ? k->def : ""));
}

int ReadInt(const WDIniObj& ini, const char* section, const char* key) {
    const Key* k = Find(section, key);
    return ini.read_secini(section, key, k ? std::atoi(k->def) : 0);
}

bool Write(WDIniObj& ini, const char* section, const char* key, const std::string& value) {
    return ini.write_secini(section, key, Cut(Find(section, key), value).c_str());
}

bool Write(WDIniObj& ini, const char* section, const char* key, int value) {
    return ini.write_secini(section, key, value);
}

}  // namespace rptini
