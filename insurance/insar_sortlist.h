// InsARSortList: the insurance receivable report's items kept in the order of a text key
// (doctor, carrier, patient name, claim, code, coverage flag, date), so that the report
// walks them by doctor, carrier, patient and claim.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace insar {

// One entry of the list. Coverage flag: '0' and '1' single-coverage amounts merged per
// claim (sort modes 1 and 2), '2' an item kept as it is.
struct insarlst_info {
    std::string doctor, carrier, patient;
    long number = 0;  // the claim id
    std::string code;
    char flag = '2';
    long date = 0;
    int16_t value = 0;
    int64_t amount1 = 0, amount2 = 0;
    size_t item = 0;  // the collector's item index
};

class InsARSortList {
  public:
    explicit InsARSortList(int sort_mode) : mode_(sort_mode) {}

    // The key of an entry: the coverage flag after the code, or before it in modes 1 and 2.
    std::string ConvertToIARRec(const insarlst_info& rec) const;
    // Adds an entry. In modes 1 and 2 a single-coverage entry (flag '1') is added into the
    // entry of the same doctor, carrier, patient and claim (the key's first 31 characters)
    // when that one is single-coverage too; alone, it becomes flag '0'.
    void AddToList(insarlst_info rec);
    const insarlst_info* GetFirst();
    const insarlst_info* GetNext();
    size_t GetCount() const { return list_.size(); }

  private:
    int mode_;
    std::multimap<std::string, insarlst_info> list_;
    std::multimap<std::string, insarlst_info>::const_iterator it_;
};

}  // namespace insar
