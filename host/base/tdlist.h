// The host's element lists: a report derives its element records from TDElem, gathers them
// in a TDList and sorts them with QSort and a comparison function of its own.
#pragma once

#include <cstddef>
#include <vector>

class TDElem {
  public:
    virtual ~TDElem() = default;
};

// Negative, zero or positive as a sorts before, with or after b.
using TDCompare = int (*)(const TDElem* a, const TDElem* b);

class TDList {
  public:
    explicit TDList(TDCompare compare = nullptr) : compare_(compare) {}
    TDList(const TDList&) = delete;
    TDList& operator=(const TDList&) = delete;
    // The list owns its elements: whatever is still in it is deleted with it.
    ~TDList() { DeleteElems(); }

    // Appends elem and takes ownership of it.
    TDList& operator+(TDElem* elem);
    TDList& Add(TDElem* elem) { return *this + elem; }
    // Inserts elem after every element that does not sort after it (needs a comparison).
    void AddSorted(TDElem* elem);
    // The first element that compares equal to key, or null.
    TDElem* Find(const TDElem* key) const;
    // Stable sort with the list's comparison function.
    void QSort();
    void QSort(TDCompare compare);
    // Deletes every element and empties the list.
    void DeleteElems();
    // Removes elem from the list without deleting it; the caller owns it afterwards.
    bool Detach(TDElem* elem);

    size_t Count() const { return items_.size(); }
    bool Empty() const { return items_.empty(); }
    TDElem* operator[](size_t i) const { return i < items_.size() ? items_[i] : nullptr; }

    // Walk with an internal cursor; null at the end.
    TDElem* GetFirst();
    TDElem* GetNext();

    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

  private:
    TDCompare compare_;
    std::vector<TDElem*> items_;
    size_t cursor_ = 0;
};
