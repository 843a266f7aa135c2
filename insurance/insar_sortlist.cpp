#include "insurance/insar_sortlist.h"

#include "host/base/text.h"

namespace insar {

namespace {

constexpr size_t kPrefix = 31;  // doctor 3, carrier 5, patient 15, claim 8

}  // namespace

std::string InsARSortList::ConvertToIARRec(const insarlst_info& r) const {
    const std::string doctor = host::U8Fit(r.doctor, 3);
    const std::string carrier = host::U8Fit(r.carrier, 5);
    const std::string patient = host::U8Fit(r.patient, 15);
    const std::string code = host::U8Fit(r.code, 6);
    if (mode_ == 1 || mode_ == 2)
        return host::U8Format("%s%s%s%08ld%c%s%08ld", doctor.c_str(), carrier.c_str(),
                              patient.c_str(), r.number, r.flag, code.c_str(), r.date);
    return host::U8Format("%s%s%s%08ld%s%c%08ld", doctor.c_str(), carrier.c_str(), patient.c_str(),
                          r.number, code.c_str(), r.flag, r.date);
}

void InsARSortList::AddToList(insarlst_info rec) {
    if ((mode_ == 1 || mode_ == 2) && rec.flag == '1') {
        const std::string prefix = host::U8Left(ConvertToIARRec(rec), kPrefix);
        for (auto it = list_.lower_bound(prefix);
             it != list_.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it) {
            // Only single-coverage entries take the amount; a '2' entry stays as it is.
            if (it->second.flag == '0' || it->second.flag == '1') {
                it->second.amount1 += rec.amount1;
                return;
            }
        }
        rec.flag = '0';
    }
    list_.emplace(ConvertToIARRec(rec), std::move(rec));
}

const insarlst_info* InsARSortList::GetFirst() {
    it_ = list_.begin();
    return it_ == list_.end() ? nullptr : &it_->second;
}

const insarlst_info* InsARSortList::GetNext() {
    if (it_ == list_.end() || ++it_ == list_.end()) return nullptr;
    return &it_->second;
}

}  // namespace insar
