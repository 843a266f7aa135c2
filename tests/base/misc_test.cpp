// Element lists, the string table and the error object.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/base/errors.h"
#include "host/base/msgsink.h"
#include "host/base/strings.h"
#include "host/base/tdlist.h"

namespace {

struct Elem : TDElem {
    Elem(std::string k, int n, int* alive) : key(std::move(k)), seq(n), alive(alive) { ++*alive; }
    ~Elem() override { --*alive; }
    std::string key;
    int seq;
    int* alive;
};

int ByKey(const TDElem* a, const TDElem* b) {
    return static_cast<const Elem*>(a)->key.compare(static_cast<const Elem*>(b)->key);
}

std::string Keys(TDList& list) {
    std::string s;
    for (TDElem* e = list.GetFirst(); e; e = list.GetNext()) {
        auto* x = static_cast<Elem*>(e);
        s += x->key + std::to_string(x->seq) + " ";
    }
    return s;
}

TEST(TDListTest, SortsStablyAndOwnsItsElements) {
    int alive = 0;
    {
        TDList list(ByKey);
        list + new Elem("B20", 1, &alive) + new Elem("A10", 2, &alive) + new Elem("B20", 3, &alive);
        list.Add(new Elem("AX", 4, &alive));
        list.QSort();
        EXPECT_EQ(Keys(list), "A102 AX4 B201 B203 ");  // equal keys keep their order
        list.AddSorted(new Elem("B20", 5, &alive));
        list.AddSorted(new Elem("A0", 6, &alive));
        EXPECT_EQ(Keys(list), "A06 A102 AX4 B201 B203 B205 ");
        Elem probe("AX", 0, &alive);
        EXPECT_EQ(static_cast<Elem*>(list.Find(&probe))->seq, 4);
        EXPECT_EQ(list.Count(), 6u);
        EXPECT_EQ(alive, 7);
        list.DeleteElems();
        EXPECT_EQ(alive, 1);
        EXPECT_EQ(list.GetFirst(), nullptr);
        list + new Elem("Z", 9, &alive);
    }
    EXPECT_EQ(alive, 0);  // the list deleted what it still held
}

TEST(StringTable, LoadsNumberedFrenchTexts) {
    EXPECT_EQ(host::LoadText(6567), "RAPPORT DES COMPTES À RECEVOIR");
    EXPECT_EQ(host::LoadText(6002), " Facturation ");  // blanks kept
    EXPECT_EQ(host::LoadText(6110),
              "Une erreur s'est produite lors du traitement de \nrapport de fin de journée!\n\n"
              "La session est suspendue!");
    EXPECT_EQ(host::LoadText(6642), "'De la date\" doit être  <= que celle d'aujourd'hui");
    EXPECT_EQ(host::LoadText(1), "");
    EXPECT_FALSE(host::HasText(99999));
    TDLoadString table(nullptr, 8);
    EXPECT_STREQ(table.Text(6567), "RAPPORT");  // cut to the buffer length
}

class RecordingSink : public host::MessageSink {
  public:
    int Show(const void*, const std::string& text, const std::string& title,
             unsigned flags) override {
        shown.push_back(text);
        last_flags = flags;
        return IDOK;
    }
    std::vector<std::string> shown;
    unsigned last_flags = 0;
};

TEST(ErrorObject, ShowsThePendingMessageOnce) {
    RecordingSink sink;
    host::MessageSink* previous = host::SetMessageSink(&sink);
    TEmgBase err;
    EXPECT_EQ(err.ReportError(), IDOK);  // nothing pending: nothing shown
    err.SetErrMsgInfo(nullptr, 6564);
    EXPECT_TRUE(err.HasError());
    err.ReportError();
    err.SetErrText("relation « ACCOUNT » inexistante");
    err.ReportError(MB_OK | MB_ICONWARNING);
    err.ClearErrMsgInfo();
    err.ReportError();
    host::SetMessageSink(previous);
    ASSERT_EQ(sink.shown.size(), 2u);
    EXPECT_EQ(sink.shown[0], "Nombre de Copies invalide");
    EXPECT_EQ(sink.shown[1], "relation « ACCOUNT » inexistante");
    EXPECT_EQ(sink.last_flags, MB_OK | MB_ICONWARNING);
}

}  // namespace
