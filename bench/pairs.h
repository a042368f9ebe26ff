#pragma once
// Operations measured beside their peers: each round times the project's operation and every
// peer on the same pixels, one right after the other (the order turns each round), so all
// meet the same machine state. The medians of the rounds are the benchmark's counters
// (ours_us, and <peer>_us with the ratio for each peer), and every pair lands in the summary
// table printed after the run, with its goal.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

struct PairResult {
    std::string operation;  // what the project does, e.g. "img_blit_key, 64 glyphs of 32x32"
    std::string peer;       // what it is measured against
    double ours_us;         // median microseconds of one call of each side
    double peer_us;
    double goal;  // the ratio ours / peer at or below which the goal is met; 0: no goal
};

// A side measured beside the project's operation.
struct Peer {
    const char* name;  // e.g. "memcpy of the same bytes"
    double goal;       // ratio ours / peer to meet; 0: shown for comparison only
    std::function<void()> run;
};

// Records (or replaces) a pair's result for the summary table.
void pair_record(const PairResult& result);
// The summary table of every recorded pair, in the order they were first recorded.
void pair_print_table();

// Nothing to do before a round.
inline void pair_nothing() {}

// Times ours() and each peer once a round, the order rotating from round to round;
// prepare() runs untimed before each side (restoring pixels a side changes).
void measure_peers(benchmark::State& state, const char* operation, const std::function<void()>& ours,
                   const std::vector<Peer>& peers, const std::function<void()>& prepare = pair_nothing);

// The same for one peer.
template <typename Ours, typename PeerRun, typename Prepare = void (*)()>
void measure_pair(benchmark::State& state, const char* operation, const char* peer_name, double goal, Ours ours,
                  PeerRun peer, Prepare prepare = pair_nothing) {
    measure_peers(state, operation, ours, {Peer{peer_name, goal, peer}}, prepare);
}
