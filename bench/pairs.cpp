// Measuring an operation beside its peers, and the summary table: one line a pair, times,
// ratio and whether the goal is met.
#include "pairs.h"

#include <cstdio>

namespace {

std::vector<PairResult>& results() {
    static std::vector<PairResult> all;
    return all;
}

double median(std::vector<double>& v) {
    if (v.empty()) return 0.0;
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

}  // namespace

void measure_peers(benchmark::State& state, const char* operation, const std::function<void()>& ours,
                   const std::vector<Peer>& peers, const std::function<void()>& prepare) {
    using Clock = std::chrono::steady_clock;
    // Side 0 is ours, side k the peer k - 1.
    const size_t sides = peers.size() + 1;
    std::vector<std::vector<double>> times(sides);
    size_t first = 0;
    for (auto _ : state) {
        for (size_t i = 0; i < sides; ++i) {
            const size_t side = (first + i) % sides;
            prepare();
            const auto start = Clock::now();
            if (side == 0) {
                ours();
            } else {
                peers[side - 1].run();
            }
            const auto stop = Clock::now();
            benchmark::ClobberMemory();
            times[side].push_back(std::chrono::duration<double, std::micro>(stop - start).count());
        }
        first = (first + 1) % sides;
    }
    const double ours_us = median(times[0]);
    state.counters["ours_us"] = ours_us;
    for (size_t k = 0; k < peers.size(); ++k) {
        const PairResult result{operation, peers[k].name, ours_us, median(times[k + 1]), peers[k].goal};
        const std::string key = "peer" + std::to_string(k + 1);
        state.counters[key + "_us"] = result.peer_us;
        state.counters[key + "_ratio"] = result.peer_us > 0 ? result.ours_us / result.peer_us : 0;
        pair_record(result);
    }
}

void pair_record(const PairResult& result) {
    for (PairResult& r : results()) {
        if (r.operation == result.operation && r.peer == result.peer) {
            r = result;  // a later, longer run of the same benchmark replaces the earlier one
            return;
        }
    }
    results().push_back(result);
}

void pair_print_table() {
    if (results().empty()) return;
    std::printf("\n| operation | ours (us) | peer | peer (us) | ratio | goal |\n|---|---:|---|---:|---:|---|\n");
    for (const PairResult& r : results()) {
        const double ratio = r.peer_us > 0 ? r.ours_us / r.peer_us : 0;
        char goal[32] = "-";
        if (r.goal > 0) std::snprintf(goal, sizeof goal, "<= %.2f %s", r.goal, ratio <= r.goal ? "met" : "NOT met");
        std::printf("| %s | %.2f | %s | %.2f | %.2f | %s |\n", r.operation.c_str(), r.ours_us, r.peer.c_str(), r.peer_us,
                    ratio, goal);
    }
}
