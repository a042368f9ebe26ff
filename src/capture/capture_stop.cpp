#include "capture/capture_stop.h"

#include <unistd.h>

#include <csignal>

namespace {

volatile sig_atomic_t stop_signal;  // the first stopping signal, 0 until one came

void on_stop(int signal_number) {
    if (stop_signal == 0) stop_signal = signal_number;
    alarm(1);  // the next wake-up, should this signal have come just before a blocking call
}

constexpr int stopping_signals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM};

}  // namespace

void capture_stop_catch() {
    for (int signal_number : stopping_signals) {
        struct sigaction current{};
        if (sigaction(signal_number, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) continue;
        struct sigaction wanted{};
        wanted.sa_handler = on_stop;
        sigemptyset(&wanted.sa_mask);
        wanted.sa_flags = 0;  // no SA_RESTART: a blocked call returns EINTR
        sigaction(signal_number, &wanted, nullptr);
    }
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
}

int capture_stop_signal() { return stop_signal; }
