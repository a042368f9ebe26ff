#include "sound/array.h"

#include <cstddef>
#include <cstdio>
#include <cstdlib>

uint8_t array_debug = 0;
const ModuleId array_module_id = make_module_id("20101020", "ARRAY");

void array_report() {
    if (array_debug != 0) std::puts("ARRAY error");
}

namespace {

bool valid(const Array* list) { return list != nullptr && list->items != nullptr; }

// Moves the list into a fresh zero-filled buffer of `capacity` slots (copied from the top
// down, old buffer freed afterwards). On failure the list is untouched.
bool resize_slots(Array* list, int32_t capacity) {
    void** fresh = static_cast<void**>(std::calloc(static_cast<size_t>(capacity), sizeof(void*)));
    if (fresh == nullptr) return false;
    if (list->items != nullptr) {
        for (int32_t i = list->count - 1; i >= 0; --i) fresh[i] = list->items[i];
    }
    std::free(list->items);
    list->items = fresh;
    list->capacity = capacity;
    return true;
}

// The smallest doubling of the capacity that holds `needed` slots; 0 when it passes int32.
int32_t doubled_to_fit(int32_t capacity, int64_t needed) {
    int64_t grown = capacity > 0 ? capacity : ARRAY_FIRST_CAPACITY;
    while (grown < needed) grown *= 2;
    if (grown == capacity) grown *= 2;
    return grown > INT32_MAX ? 0 : static_cast<int32_t>(grown);
}

// Room for `extra` more items, doubling as often as it takes; false with the list unchanged.
bool make_room(Array* list, int32_t extra) {
    int64_t needed = static_cast<int64_t>(list->count) + extra;
    if (needed <= list->capacity && list->items != nullptr) return true;
    int32_t capacity = doubled_to_fit(list->capacity, needed);
    return capacity != 0 && resize_slots(list, capacity);
}

}  // namespace

Array* array_create() {
    Array* list = static_cast<Array*>(std::calloc(1, sizeof(Array)));
    if (list == nullptr) {
        array_report();
        return nullptr;
    }
    list->items = static_cast<void**>(std::calloc(ARRAY_FIRST_CAPACITY, sizeof(void*)));
    if (list->items == nullptr) {
        std::free(list);
        array_report();
        return nullptr;
    }
    list->capacity = ARRAY_FIRST_CAPACITY;
    return list;
}

void array_destroy(Array** list) {
    if (list == nullptr || *list == nullptr) {
        array_report();
        return;
    }
    Array* doomed = *list;
    std::free(doomed->items);
    doomed->items = nullptr;
    doomed->capacity = 0;
    doomed->count = 0;
    std::free(doomed);
    *list = nullptr;
}

void array_append(Array* list, void* item) {
    if (list == nullptr || !make_room(list, 1)) {
        array_report();
        return;
    }
    list->items[list->count] = item;
    list->count += 1;
}

void* array_get(const Array* list, int32_t position) {
    if (!valid(list) || position < 0 || position >= list->count) {
        array_report();
        return nullptr;
    }
    return list->items[position];
}

void array_remove(Array* list, int32_t position) {
    if (!valid(list) || position < 0 || position >= list->count) {
        array_report();
        return;
    }
    void** items = list->items;
    for (int32_t i = position; i + 1 < list->count; ++i) items[i] = items[i + 1];
    items[list->count - 1] = nullptr;
    list->count -= 1;
}

int array_grow(Array* list) {
    if (list == nullptr) {
        array_report();
        return 0;
    }
    int32_t capacity = doubled_to_fit(list->capacity, list->capacity);
    if (capacity == 0 || !resize_slots(list, capacity)) {
        array_report();
        return 0;
    }
    return 1;
}

int32_t array_insert_at(Array* list, void* item, int32_t position) {
    if (list == nullptr || position < 0 || position > list->count || !make_room(list, 1)) {
        array_report();
        return -1;
    }
    void** items = list->items;
    for (int32_t i = list->count; i > position; --i) items[i] = items[i - 1];
    items[position] = item;
    list->count += 1;
    return position;
}

void array_insert_range(const Array* source, Array* destination, int32_t from, int32_t to, int32_t position) {
    if (!valid(source) || destination == nullptr || from >= to || from < 0 || to > source->count ||
        position < 0 || position > destination->count) {
        array_report();
        return;
    }
    int32_t n = to - from;
    if (!make_room(destination, n)) {
        array_report();
        return;
    }
    void** items = destination->items;
    for (int32_t i = destination->count - 1; i >= position; --i) items[i + n] = items[i];
    // Inserting a list into itself: the items at or above the position have just moved up.
    for (int32_t k = 0; k < n; ++k) {
        int32_t at = from + k;
        if (source == destination && at >= position) at += n;
        items[position + k] = source->items[at];
    }
    destination->count += n;
}

void array_remove_range(Array* list, int32_t from, int32_t to) {
    if (!valid(list) || from >= to || from < 0 || to > list->count) {
        array_report();
        return;
    }
    int32_t n = to - from;
    for (int32_t i = to; i < list->count; ++i) list->items[i - n] = list->items[i];
    list->count -= n;
}

int32_t array_index_of(const Array* list, const void* item) {
    if (!valid(list) || item == nullptr) {
        array_report();
        return -1;
    }
    for (int32_t i = 0; i < list->count; ++i) {
        if (list->items[i] == item) return i;
    }
    return -1;
}

void array_set_at(Array* list, void* item, int32_t position) {
    if (!valid(list) || position < 0 || position >= list->count) {
        array_report();
        return;
    }
    list->items[position] = item;
}

void* array_pop(Array* list) {
    if (!valid(list) || list->count <= 0) {
        array_report();
        return nullptr;
    }
    list->count -= 1;
    return list->items[list->count];
}

Array* array_sub_list(const Array* list, int32_t from, int32_t to) {
    if (!valid(list) || from >= to || from < 0 || to > list->count) {
        array_report();
        return nullptr;
    }
    Array* part = array_create();
    if (part == nullptr) return nullptr;
    for (int32_t i = from; i < to; ++i) {
        int32_t before = part->count;
        array_append(part, list->items[i]);
        if (part->count == before) {  // no room: a partial copy is no copy
            array_destroy(&part);
            return nullptr;
        }
    }
    return part;
}

Array* array_clone(const Array* list) {
    if (!valid(list)) {
        array_report();
        return nullptr;
    }
    if (list->count == 0) return array_create();
    return array_sub_list(list, 0, list->count);
}
