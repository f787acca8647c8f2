// Runs independent pieces of work on several threads at once, for work the
// caller waits for: each piece's result must not depend on which thread ran it.
#ifndef QEL_COMMON_PARALLELFOR_H
#define QEL_COMMON_PARALLELFOR_H

#include <algorithm>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace quelmark {

// work(k) for every k in [0, count), on up to `threads` threads (the
// caller's among them); returns when all are done. An exception thrown by a
// piece is thrown again here once every thread has stopped.
template <class Work> void parallelFor(long count, int threads, Work work) {
    const long used = std::clamp<long>(threads, 1, std::max(count, 1L));
    if (used == 1) {
        for (long k = 0; k < count; ++k) work(k);
        return;
    }
    std::exception_ptr failure;
    std::mutex failureLock;
    auto run = [&](long first) {
        try {
            for (long k = first; k < count; k += used) work(k);
        } catch (...) {
            std::lock_guard<std::mutex> hold(failureLock);
            if (!failure) failure = std::current_exception();
        }
    };
    std::vector<std::thread> helpers;
    try {
        for (long t = 1; t < used; ++t) helpers.emplace_back(run, t);
    } catch (...) {
        // Fewer threads than asked for: the pieces of those missing run here.
        for (long t = long(helpers.size()) + 1; t < used; ++t) run(t);
    }
    run(0);
    for (std::thread& helper : helpers) helper.join();
    if (failure) std::rethrow_exception(failure);
}

} // namespace quelmark

#endif
