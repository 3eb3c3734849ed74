#include "framework/parallel_rows.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <utility>
#include <vector>

bool ParallelRows(int count, const std::function<void(int begin, int end)>& body) {
    std::atomic<bool> failed{false};
    const auto band = [&](int begin, int end) noexcept {
        try {
            body(begin, end);
        } catch (...) {
            failed = true;
        }
    };
    // The picture work of a wallpaper change is large and the worker has the
    // machine to itself.
    const unsigned cores = std::max(1u, std::min(4u, std::thread::hardware_concurrency()));
    const int chunk = cores == 1 || count < 64 ? count : (count + static_cast<int>(cores) - 1) / static_cast<int>(cores);
    std::vector<std::thread> threads;
    std::vector<std::pair<int, int>> here{{0, std::min(count, chunk)}};
    try {
        threads.reserve(cores);
        here.reserve(cores);
    } catch (...) {
        return false;
    }
    for (int begin = chunk; begin < count; begin += chunk) {
        const int end = std::min(count, begin + chunk);
        try {
            threads.emplace_back(band, begin, end);
        } catch (...) {
            here.emplace_back(begin, end);  // reserved: cannot throw
        }
    }
    for (const auto& [begin, end] : here) band(begin, end);
    for (auto& t : threads) t.join();
    return !failed;
}
