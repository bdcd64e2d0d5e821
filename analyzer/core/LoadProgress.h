// How far a long load has come: written by the thread that loads, read by
// the window's thread, which shows it as a bar.
#pragma once

#include <algorithm>
#include <atomic>

namespace kivra {

class LoadProgress {
public:
    // The share of the whole load done, 0 to 1; it never goes back.
    double Share() const { return permille_.load(std::memory_order_relaxed) / 1000.0; }
    void Set(double share) {
        const int permille = static_cast<int>(std::clamp(share, 0.0, 1.0) * 1000.0);
        int seen = permille_.load(std::memory_order_relaxed);
        while (permille > seen && !permille_.compare_exchange_weak(seen, permille, std::memory_order_relaxed)) {}
    }

private:
    std::atomic<int> permille_{0};
};

// One step of a load: its own share, done 0 to 1, is the load's share from
// `from` to `to`. Without a LoadProgress nothing is reported.
struct ProgressStep {
    LoadProgress* progress = nullptr;
    double from = 0.0;
    double to = 1.0;

    void Report(double done) const {
        if (progress != nullptr) progress->Set(from + (to - from) * std::clamp(done, 0.0, 1.0));
    }
    // The part of this step from `a` to `b` (shares of the step).
    ProgressStep Part(double a, double b) const { return {progress, from + (to - from) * a, from + (to - from) * b}; }
};

}  // namespace kivra
