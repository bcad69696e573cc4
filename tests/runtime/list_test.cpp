#include "runtime/list.h"

#include <gtest/gtest.h>

#include "runtime/exception.h"

namespace zv {
namespace {

int values[8];

TEST(List, AddInsertDeleteKeepOrder) {
    TList list;
    for (int i = 0; i < 5; ++i) EXPECT_EQ(list.Add(&values[i]), i);
    list.Insert(0, &values[7]);
    list.Insert(6, &values[6]);
    list.Delete(3);  // values[2]
    ASSERT_EQ(list.Count(), 6);
    void* expected[] = {&values[7], &values[0], &values[1], &values[3], &values[4], &values[6]};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(list.Get(i), expected[i]);
    EXPECT_EQ(list.IndexOf(&values[3]), 3);
    EXPECT_EQ(list.IndexOf(&values[2]), -1);
    EXPECT_GE(list.Capacity(), list.Count());
}

TEST(List, IndexErrorsNameTheIndex) {
    TList list;
    list.Add(&values[0]);
    try {
        list.Get(1);
        FAIL() << "no index error";
    } catch (const EListError& e) {
        EXPECT_EQ(e.Message(), "List index out of bounds (1)");
    }
    EXPECT_THROW(list.Get(-1), EListError);
    EXPECT_THROW(list.Insert(2, nullptr), EListError);
    EXPECT_THROW(list.Delete(1), EListError);
    EXPECT_THROW(list.SetCapacity(0), EListError);
}

TEST(List, PackRemovesNilItems) {
    TList list;
    list.Add(nullptr);
    list.Add(&values[1]);
    list.Add(nullptr);
    list.Add(&values[3]);
    list.Pack();
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Get(0), &values[1]);
    EXPECT_EQ(list.Get(1), &values[3]);
}

struct CountingList : TList {
    int clears = 0;
    void Clear() override {
        ++clears;
        TList::Clear();
    }
};

TEST(List, ClearIsVirtual) {
    CountingList counting;
    counting.Add(&values[0]);
    TList& base = counting;
    base.Clear();
    EXPECT_EQ(counting.clears, 1);
    EXPECT_EQ(counting.Count(), 0);
    EXPECT_EQ(counting.Capacity(), 0);
}

TEST(List, GrowsPastManyItems) {
    TList list;
    for (int i = 0; i < 10000; ++i) list.Add(&values[i % 8]);
    EXPECT_EQ(list.Count(), 10000);
    EXPECT_EQ(list.Get(9999), &values[9999 % 8]);
}

}  // namespace
}  // namespace zv
