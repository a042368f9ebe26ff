#pragma once
// ARRAY: a growable list of borrowed pointers (the play queue, the music's song blocks).
// Slots are pointer-sized; the items they point to are never freed here. A new list has
// capacity 2, which only ever doubles. Every failed check prints "ARRAY error" when
// array_debug is set. A growth that cannot be allocated, or whose capacity would pass
// int32, leaves the list valid and unchanged.
#include <cstddef>
#include <cstdint>

#include "common/module_id.h"

struct Array {
    int32_t capacity;  // slots in items
    int32_t count;     // items in use, 0 <= count <= capacity
    void** items;      // owned slot buffer of capacity pointers, zero-filled when allocated
};
static_assert(offsetof(Array, count) == 4 && offsetof(Array, items) == 8, "capacity, count, then the slot pointer");

constexpr int32_t ARRAY_FIRST_CAPACITY = 2;  // slots of a new list

extern uint8_t array_debug;  // 0: silent (nothing in the program sets it)
extern const ModuleId array_module_id;

Array* array_create();                                        // capacity 2, count 0; null on failure
void array_destroy(Array** list);                             // frees the slots (not the items), sets *list = null
void array_append(Array* list, void* item);                   // doubles when full; null items allowed
void* array_get(const Array* list, int32_t position);         // null outside 0..count-1
void array_remove(Array* list, int32_t position);             // 0..count-1; the freed top slot becomes null
int array_grow(Array* list);                                  // doubles the capacity: 1, or 0 on failure
int32_t array_insert_at(Array* list, void* item, int32_t position);  // 0..count; the position, or -1
void array_insert_range(const Array* source, Array* destination, int32_t from, int32_t to,
                        int32_t position);                    // source [from, to) in at position; may be one list
void array_remove_range(Array* list, int32_t from, int32_t to);  // drops [from, to); vacated slots kept as they are
int32_t array_index_of(const Array* list, const void* item);     // first position, -1 if none or item null
void array_set_at(Array* list, void* item, int32_t position);    // 0..count-1
void* array_pop(Array* list);                                    // last item removed; null when empty
Array* array_sub_list(const Array* list, int32_t from, int32_t to);  // new list of [from, to)
Array* array_clone(const Array* list);                               // new list of every item
void array_report();                                                 // "ARRAY error" when array_debug is set
