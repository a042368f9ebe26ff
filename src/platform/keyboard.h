#pragma once
// The keyboard reader: turns the machine's event queue into one key byte per frame.
// Belongs to the display module SDLDPY: it exists only once the display does, and is a
// singleton like it.
#include <cstdint>

struct Keyboard {
    uint8_t* buffer;  // owned, 8 bytes zero-filled; buffer[0] is the key byte
};
static_assert(sizeof(Keyboard) == sizeof(void*), "one pointer to the key buffer");

constexpr int32_t KEYBOARD_BUFFER_BYTES = 8;
// Key bytes with a name (printable keys are their character). Ctrl-C and SIGTERM read as Esc.
constexpr uint8_t KEY_ESC = 27;
constexpr uint8_t KEY_SPACE = 0x20;

extern Keyboard* keyboard_reader;  // the one reader, owned; null when none exists

Keyboard* keyboard_create();                 // null without a display; the existing reader if any
void keyboard_poll(Keyboard* keyboard);      // drain events: key-down sets the key byte, key-up clears it
void keyboard_destroy(Keyboard** keyboard);  // frees the one reader, *keyboard = null; null address: nothing
