#include "platform/keyboard.h"

#include <cstdlib>

#include "platform/backend.h"
#include "platform/display.h"

Keyboard* keyboard_reader;

Keyboard* keyboard_create() {
    if (display_the_display == nullptr) return nullptr;
    if (keyboard_reader != nullptr) return keyboard_reader;
    auto* keyboard = static_cast<Keyboard*>(std::calloc(1, sizeof(Keyboard)));
    if (keyboard == nullptr) return nullptr;
    keyboard->buffer = static_cast<uint8_t*>(std::calloc(KEYBOARD_BUFFER_BYTES, 1));
    if (keyboard->buffer == nullptr) {
        std::free(keyboard);
        return nullptr;
    }
    keyboard_reader = keyboard;
    return keyboard;
}

void keyboard_poll(Keyboard* keyboard) {
    if (keyboard == nullptr || keyboard->buffer == nullptr) return;
    backend_pump_events();
    BackendEvent event{};
    while (backend_poll_event(&event) != 0) {
        if (event.type == BACKEND_KEYDOWN) {
            keyboard->buffer[0] = static_cast<uint8_t>(event.sym & 0xFFu);
        } else if (event.type == BACKEND_KEYUP) {
            keyboard->buffer[0] = 0;
        }
        // A window close and every other event are let go: only the quit keys end the show.
    }
    // Ctrl-C and SIGTERM read as Esc, after the queue, so the show fades out and ends cleanly.
    if (backend_take_interrupt() != 0) keyboard->buffer[0] = KEY_ESC;
}

void keyboard_destroy(Keyboard** keyboard) {
    if (keyboard == nullptr || *keyboard == nullptr || *keyboard != keyboard_reader) return;
    std::free(keyboard_reader->buffer);
    std::free(keyboard_reader);
    keyboard_reader = nullptr;
    *keyboard = nullptr;
}
