// The pairs' summary table: one line a pair, times, ratio and whether the goal is met.
#include "pairs.h"

#include <cstdio>

namespace {

std::vector<PairResult>& results() {
    static std::vector<PairResult> all;
    return all;
}

}  // namespace

void pair_record(const PairResult& result) {
    for (PairResult& r : results()) {
        if (r.operation == result.operation) {
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
