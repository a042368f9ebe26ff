#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "sound/array.h"

namespace {

int cells[16];
void* item(int i) { return &cells[i]; }

}  // namespace

TEST(Array, GrowsByDoublingAndKeepsOrder) {
    Array* list = array_create();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->capacity, 2);
    EXPECT_EQ(list->count, 0);
    const int expected_capacity[] = {2, 2, 4, 4, 8, 8, 8, 8, 16};
    for (int i = 0; i < 9; ++i) {
        array_append(list, item(i));
        EXPECT_EQ(list->capacity, expected_capacity[i]) << "after append " << i + 1;
    }
    for (int i = 0; i < 9; ++i) EXPECT_EQ(array_get(list, i), item(i));
    EXPECT_EQ(array_get(list, -1), nullptr);
    EXPECT_EQ(array_get(list, 9), nullptr);
    EXPECT_EQ(array_index_of(list, item(4)), 4);
    EXPECT_EQ(array_index_of(list, item(12)), -1);
    EXPECT_EQ(array_index_of(list, nullptr), -1);
    array_destroy(&list);
    EXPECT_EQ(list, nullptr);
    array_destroy(&list);  // null pointer: nothing happens
    array_destroy(nullptr);
}

TEST(Array, RemoveShiftsDownAndClearsTheTopSlot) {
    Array* list = array_create();
    array_append(list, item(0));
    array_remove(list, 1);  // at count: refused
    EXPECT_EQ(list->count, 1);
    array_remove(list, 0);
    EXPECT_EQ(list->count, 0);
    EXPECT_EQ(list->items[0], nullptr);
    for (int i = 0; i < 4; ++i) array_append(list, item(i));
    array_remove(list, 1);
    ASSERT_EQ(list->count, 3);
    EXPECT_EQ(array_get(list, 0), item(0));
    EXPECT_EQ(array_get(list, 1), item(2));
    EXPECT_EQ(array_get(list, 2), item(3));
    EXPECT_EQ(list->items[3], nullptr);
    EXPECT_EQ(list->capacity, 4);  // never shrinks
    EXPECT_EQ(array_pop(list), item(3));
    EXPECT_EQ(list->items[2], item(3));  // pop leaves the slot as it was
    array_destroy(&list);
    Array* empty = array_create();
    EXPECT_EQ(array_pop(empty), nullptr);
    array_append(empty, nullptr);  // null items are items too
    EXPECT_EQ(empty->count, 1);
    array_destroy(&empty);
}

TEST(Array, InsertAndRemoveRanges) {
    Array* list = array_create();
    for (int i = 0; i < 3; ++i) array_append(list, item(i));
    EXPECT_EQ(array_insert_at(list, item(9), 1), 1);
    EXPECT_EQ(array_insert_at(list, item(9), 5), -1);
    ASSERT_EQ(list->count, 4);
    EXPECT_EQ(array_get(list, 1), item(9));
    EXPECT_EQ(array_get(list, 3), item(2));

    Array* other = array_create();
    array_append(other, item(10));
    array_append(other, item(11));
    array_insert_range(list, other, 1, 4, 1);  // 9, 1, 2 between 10 and 11
    ASSERT_EQ(other->count, 5);
    EXPECT_EQ(other->capacity, 8);
    const int want[] = {10, 9, 1, 2, 11};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(array_get(other, i), item(want[i])) << i;

    array_remove_range(other, 1, 3);
    ASSERT_EQ(other->count, 3);
    EXPECT_EQ(array_get(other, 1), item(2));
    EXPECT_EQ(other->items[4], item(11));  // vacated slots are not cleared
    array_remove_range(other, 2, 2);       // empty range refused
    EXPECT_EQ(other->count, 3);

    Array* copy = array_clone(list);
    array_set_at(copy, item(7), 0);  // a clone owns its own slots
    EXPECT_EQ(array_get(list, 0), item(0));
    EXPECT_EQ(array_get(copy, 3), item(2));
    EXPECT_EQ(array_sub_list(list, 2, 1), nullptr);
    for (Array** a : {&list, &other, &copy}) array_destroy(a);
}

TEST(Array, InsertingAListIntoItselfCopiesTheOldItems) {
    Array* list = array_create();
    for (int i = 0; i < 4; ++i) array_append(list, item(i));
    array_insert_range(list, list, 0, 4, 2);
    const int want[] = {0, 1, 0, 1, 2, 3, 2, 3};
    ASSERT_EQ(list->count, 8);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(array_get(list, i), item(want[i])) << i;
    array_destroy(&list);
}

TEST(Array, GrowthPastInt32IsRefusedAndLeavesTheListValid) {
    // A list that claims to be full at 2^30 slots: doubling it would pass int32, so the
    // append must be refused before any slot is touched.
    void* slots[2] = {item(0), item(1)};
    Array huge{0x40000000, 0x40000000, slots};
    array_append(&huge, item(2));
    EXPECT_EQ(huge.capacity, 0x40000000);
    EXPECT_EQ(huge.count, 0x40000000);
    EXPECT_EQ(huge.items, slots);
    EXPECT_EQ(array_grow(&huge), 0);
    EXPECT_EQ(array_insert_at(&huge, item(2), 0), -1);
    EXPECT_EQ(huge.items, slots);

    Array* list = array_create();
    EXPECT_EQ(array_grow(list), 1);
    EXPECT_EQ(list->capacity, 4);
    EXPECT_EQ(array_grow(nullptr), 0);
    array_destroy(&list);
}

TEST(Array, ErrorLineOnlyWhenTheSwitchIsOn) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(array_get(nullptr, 0), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    array_debug = 1;
    testing::internal::CaptureStdout();
    Array* list = array_create();
    array_remove(list, 0);
    EXPECT_EQ(array_pop(list), nullptr);
    array_destroy(&list);
    array_destroy(&list);
    std::string out = testing::internal::GetCapturedStdout();
    array_debug = 0;
    EXPECT_EQ(out, "ARRAY error\nARRAY error\nARRAY error\n");
}
