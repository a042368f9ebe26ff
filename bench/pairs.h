#pragma once
// Pairs measured side by side: each round times the project's operation and its peer on the
// same pixels, one right after the other (which goes first alternates), so both meet the same
// machine state. The medians of the rounds are the benchmark's counters (ours_us, peer_us,
// ratio), and every pair lands in the summary table printed after the run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

struct PairResult {
    std::string operation;  // what the project does, e.g. "img_blit_key, 64 glyphs of 32x32"
    std::string peer;       // what it is measured against
    double ours_us;         // median microseconds of one call of each side
    double peer_us;
    double goal;  // the ratio ours / peer at or below which the goal is met; 0: no goal
};

// Records (or replaces) a pair's result for the summary table.
void pair_record(const PairResult& result);
// The summary table of every recorded pair, in the order they were first recorded.
void pair_print_table();

// Nothing to do before a round.
inline void pair_nothing() {}

// Times ours() and peer() in alternating order each round; prepare() runs untimed before
// each side (restoring pixels a side changes).
template <typename Ours, typename Peer, typename Prepare = void (*)()>
void measure_pair(benchmark::State& state, const char* operation, const char* peer_name, double goal, Ours ours,
                  Peer peer, Prepare prepare = pair_nothing) {
    using Clock = std::chrono::steady_clock;
    std::vector<double> ours_times;
    std::vector<double> peer_times;
    const auto timed = [&](auto&& side, std::vector<double>& times) {
        prepare();
        const auto start = Clock::now();
        side();
        const auto stop = Clock::now();
        benchmark::ClobberMemory();
        times.push_back(std::chrono::duration<double, std::micro>(stop - start).count());
    };
    bool ours_first = true;
    for (auto _ : state) {
        if (ours_first) {
            timed(ours, ours_times);
            timed(peer, peer_times);
        } else {
            timed(peer, peer_times);
            timed(ours, ours_times);
        }
        ours_first = !ours_first;
    }
    const auto median = [](std::vector<double>& v) {
        if (v.empty()) return 0.0;
        std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
        return v[v.size() / 2];
    };
    const PairResult result{operation, peer_name, median(ours_times), median(peer_times), goal};
    state.counters["ours_us"] = result.ours_us;
    state.counters["peer_us"] = result.peer_us;
    state.counters["ratio"] = result.peer_us > 0 ? result.ours_us / result.peer_us : 0;
    pair_record(result);
}
