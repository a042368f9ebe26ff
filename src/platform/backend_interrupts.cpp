// Ctrl-C and SIGTERM as a flag: backend_catch_interrupts and backend_take_interrupt, the
// same for every backend (each backend's objects carry a copy; a program links one backend).
#include <csignal>
#include <cstdint>

#include "platform/backend.h"

namespace {

volatile sig_atomic_t backend_interrupted;  // set by the handler, taken by backend_take_interrupt
uint8_t backend_interrupts_caught;          // 1 once the handlers are in place

void on_interrupt(int) { backend_interrupted = 1; }

void catch_one(int signal_number) {
    struct sigaction current{};
    if (sigaction(signal_number, nullptr, &current) != 0) return;
    // A shell that asked us to ignore the signal keeps its way; SDL leaves non-default handlers alone.
    if (current.sa_handler != SIG_DFL) return;
    struct sigaction wanted{};
    wanted.sa_handler = on_interrupt;
    sigemptyset(&wanted.sa_mask);
    sigaction(signal_number, &wanted, nullptr);
}

}  // namespace

void backend_catch_interrupts() {
    if (backend_interrupts_caught != 0) return;
    backend_interrupts_caught = 1;
    catch_one(SIGINT);
    catch_one(SIGTERM);
}

int backend_take_interrupt() {
    if (backend_interrupted == 0) return 0;
    backend_interrupted = 0;
    return 1;
}
