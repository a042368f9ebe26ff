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

TEST(Array, GrowsByDoublingAndKeepsOrder) {
    Array* list = array_create();
    ASSERT_NE(list, nullptr);
    const int expected_capacity[] = {2, 2, 2, 4, 4, 8, 8, 8, 8, 16};
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(list->capacity, expected_capacity[i]) << "at count " << i;
        if (i < 9) array_append(list, item(i));
    }
    EXPECT_EQ(ids(list), (Ids{0, 1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(array_get(list, 8), item(8));
    EXPECT_EQ(array_get(list, -1), nullptr);
    EXPECT_EQ(array_get(list, 9), nullptr);
    EXPECT_EQ(array_index_of(list, item(4)), 4);
    EXPECT_EQ(array_index_of(list, item(12)), -1);
    EXPECT_EQ(array_grow(list), 1);
    EXPECT_EQ(list->capacity, 32);
    EXPECT_EQ(array_grow(nullptr), 0);
    array_destroy(&list);
    EXPECT_EQ(list, nullptr);
}

TEST(Array, RemoveClearsTheTopSlotPopLeavesIt) {
    Array* list = list_of({0, 1, 2, 3});
    array_remove(list, 4);  // at count: refused
    array_remove(list, 1);
    EXPECT_EQ(ids(list), (Ids{0, 2, 3}));
    EXPECT_EQ(list->items[3], nullptr);
    EXPECT_EQ(list->capacity, 4);  // never shrinks
    EXPECT_EQ(array_pop(list), item(3));
    EXPECT_EQ(list->items[2], item(3));
    array_append(list, nullptr);  // null items are items too, but never found
    EXPECT_EQ(list->count, 3);
    EXPECT_EQ(array_index_of(list, nullptr), -1);
    array_destroy(&list);
}

TEST(Array, InsertAndRemoveRangesIncludingIntoItself) {
    Array* list = list_of({0, 1, 2});
    EXPECT_EQ(array_insert_at(list, item(9), 1), 1);
    EXPECT_EQ(array_insert_at(list, item(9), 5), -1);
    EXPECT_EQ(ids(list), (Ids{0, 9, 1, 2}));
    Array* other = list_of({10, 11});
    array_insert_range(list, other, 1, 4, 1);
    EXPECT_EQ(ids(other), (Ids{10, 9, 1, 2, 11}));
    EXPECT_EQ(other->capacity, 8);
    array_remove_range(other, 1, 3);
    EXPECT_EQ(ids(other), (Ids{10, 2, 11}));
    EXPECT_EQ(other->items[4], item(11));  // vacated slots are not cleared
    array_remove_range(other, 2, 2);       // empty range refused
    EXPECT_EQ(other->count, 3);

    Array* copy = array_clone(list);
    array_set_at(copy, item(7), 0);  // a clone owns its own slots
    EXPECT_EQ(ids(list), (Ids{0, 9, 1, 2}));
    EXPECT_EQ(array_sub_list(list, 2, 1), nullptr);
    array_insert_range(copy, copy, 0, 4, 2);  // the old items, not the ones just moved up
    EXPECT_EQ(ids(copy), (Ids{7, 9, 7, 9, 1, 2, 1, 2}));
    for (Array** a : {&list, &other, &copy}) array_destroy(a);
}

TEST(Array, GrowthPastInt32IsRefusedAndLeavesTheListValid) {
    // Full at 2^30 slots: doubling would pass int32, so nothing may touch a slot.
    void* slots[2] = {item(0), item(1)};
    Array huge{0x40000000, 0x40000000, slots};
    array_append(&huge, item(2));
    EXPECT_EQ(array_grow(&huge), 0);
    EXPECT_EQ(array_insert_at(&huge, item(2), 0), -1);
    EXPECT_EQ(huge.capacity, 0x40000000);
    EXPECT_EQ(huge.count, 0x40000000);
    EXPECT_EQ(huge.items, slots);
}

TEST(Array, ErrorLineOnlyWhenTheSwitchIsOn) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(array_pop(nullptr), nullptr);
    array_debug = 1;
    Array* empty = array_create();
    EXPECT_EQ(array_pop(empty), nullptr);
    array_remove(empty, 0);
    array_destroy(&empty);
    array_destroy(&empty);
    array_debug = 0;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "ARRAY error\nARRAY error\nARRAY error\n");
}
