#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "sound/array.h"

namespace {

using Ids = std::vector<int>;
int cells[16];
void* item(int i) { return &cells[i]; }

Array* list_of(std::initializer_list<int> ids) {
    Array* list = array_create();
    for (int i : ids) array_append(list, item(i));
    return list;
}

// The items in use (all of them cells) as cell numbers.
Ids ids(const Array* list) {
    Ids out;
    for (int32_t i = 0; i < list->count; ++i) out.push_back(int(static_cast<int*>(list->items[i]) - cells));
    return out;
}

}  // namespace

TEST(Array, GrowsByDoublingKeepsOrderAndRemoveClearsTheTopSlot) {
    Array* list = array_create();
    Ids capacities;  // after each append
    for (int i = 0; i < 9; ++i) {
        array_append(list, item(i));
        capacities.push_back(list->capacity);
    }
    EXPECT_EQ(capacities, (Ids{2, 2, 4, 4, 8, 8, 8, 8, 16}));
    EXPECT_EQ(array_get(list, 9), nullptr);  // past the count, inside the capacity
    array_remove(list, 9);                   // at count: refused
    array_remove(list, 1);
    EXPECT_EQ(ids(list), (Ids{0, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(list->items[8], nullptr);
    array_destroy(&list);
}

TEST(Array, GrowthPastInt32IsRefusedAndLeavesTheListValid) {
    // Full at 2^30 slots: doubling would pass int32, so nothing may touch a slot.
    void* slots[2] = {item(0), item(1)};
    Array huge{0x40000000, 0x40000000, slots};
    array_append(&huge, item(2));
    EXPECT_EQ(array_grow(&huge), 0);
    EXPECT_EQ(array_insert_at(&huge, item(2), 0), -1);
    EXPECT_TRUE(huge.capacity == 0x40000000 && huge.count == 0x40000000 && huge.items == slots);
}

TEST(Array, RangesSearchesAndCopies) {
    Array* list = list_of({0, 1, 2, 3});
    Array* other = list_of({7, 8});
    array_insert_range(other, list, 0, 2, 1);  // 0 7 8 1 2 3
    EXPECT_EQ(ids(list), (Ids{0, 7, 8, 1, 2, 3}));
    array_insert_range(list, list, 4, 6, 0);   // a list into itself: 2 3 0 7 8 1 2 3
    EXPECT_EQ(ids(list), (Ids{2, 3, 0, 7, 8, 1, 2, 3}));
    array_remove_range(list, 1, 5);            // 2 1 2 3
    EXPECT_EQ(ids(list), (Ids{2, 1, 2, 3}));
    EXPECT_EQ(array_index_of(list, item(2)), 0);
    EXPECT_EQ(array_index_of(list, item(9)), -1);
    array_set_at(list, item(5), 3);
    EXPECT_EQ(array_pop(list), item(5));
    EXPECT_EQ(array_insert_at(list, item(6), 3), 3);
    EXPECT_EQ(array_insert_at(list, item(6), 9), -1);  // past the count: refused
    Array* part = array_sub_list(list, 1, 3);
    Array* copy = array_clone(list);
    EXPECT_EQ(ids(part), (Ids{1, 2}));
    EXPECT_EQ(ids(copy), (Ids{2, 1, 2, 6}));
    array_remove_range(list, 2, 2);  // empty range: refused
    EXPECT_EQ(list->count, 4);
    for (Array** l : {&list, &other, &part, &copy}) array_destroy(l);
    EXPECT_EQ(array_pop(part), nullptr);  // destroyed: null list
}
