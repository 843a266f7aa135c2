#include "host/base/tdlist.h"

#include <algorithm>

TDList& TDList::operator+(TDElem* elem) {
    if (elem) items_.push_back(elem);
    return *this;
}

void TDList::AddSorted(TDElem* elem) {
    if (!elem) return;
    if (!compare_) {
        items_.push_back(elem);
        return;
    }
    auto it = std::upper_bound(items_.begin(), items_.end(), elem,
                               [this](TDElem* a, TDElem* b) { return compare_(a, b) < 0; });
    items_.insert(it, elem);
}

TDElem* TDList::Find(const TDElem* key) const {
    if (!compare_) return nullptr;
    for (TDElem* e : items_)
        if (compare_(e, key) == 0) return e;
    return nullptr;
}

void TDList::QSort() {
    QSort(compare_);
}

void TDList::QSort(TDCompare compare) {
    if (!compare) return;
    std::stable_sort(items_.begin(), items_.end(),
                     [compare](TDElem* a, TDElem* b) { return compare(a, b) < 0; });
}

void TDList::DeleteElems() {
    for (TDElem* e : items_)
        delete e;
    items_.clear();
    cursor_ = 0;
}

bool TDList::Detach(TDElem* elem) {
    auto it = std::find(items_.begin(), items_.end(), elem);
    if (it == items_.end()) return false;
    items_.erase(it);
    return true;
}

TDElem* TDList::GetFirst() {
    cursor_ = 0;
    return GetNext();
}

TDElem* TDList::GetNext() {
    return cursor_ < items_.size() ? items_[cursor_++] : nullptr;
}
