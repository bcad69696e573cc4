#include "runtime/list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "runtime/exception.h"
#include "message_capture.h"

namespace zv {
namespace {

int values[8];

// Random edits of a list and of a vector must leave the same sequence.
TEST(List, RandomEditsMatchAVector) {
    std::mt19937 rng(5);
    TList list;
    std::vector<void*> model;
    for (int step = 0; step < 20000; ++step) {
        void* item = rng() % 5 == 0 ? nullptr : &values[rng() % 8];
        int32_t at = static_cast<int32_t>(rng() % (model.size() + 1));
        switch (rng() % 5) {
            case 0: ASSERT_EQ(list.Add(item), static_cast<int32_t>(model.size())); model.push_back(item); break;
            case 1: list.Insert(at, item); model.insert(model.begin() + at, item); break;
            case 2:
                if (at < static_cast<int32_t>(model.size())) { list.Delete(at); model.erase(model.begin() + at); }
                break;
            case 3: if (step % 50 == 0) { list.Pack(); std::erase(model, nullptr); } break;
            default: list.Add(item); model.push_back(item);
        }
        ASSERT_EQ(list.Count(), static_cast<int32_t>(model.size()));
        ASSERT_GE(list.Capacity(), list.Count());
    }
    for (int32_t i = 0; i < list.Count(); ++i) ASSERT_EQ(list.Get(i), model[i]);
    void* probe = &values[3];
    auto found = std::find(model.begin(), model.end(), probe);
    EXPECT_EQ(list.IndexOf(probe), found == model.end() ? -1 : found - model.begin());
}

TEST(List, IndexErrorsNameTheIndex) {
    TList list;
    list.Add(&values[0]);
    ExpectThrowMessage<EListError>([&] { list.Get(1); }, "List index out of bounds (1)");
    EXPECT_THROW(list.Insert(2, nullptr), EListError);
    EXPECT_THROW(list.SetCapacity(0), EListError);
}

}  // namespace
}  // namespace zv
