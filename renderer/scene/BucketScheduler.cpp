#include "renderer/scene/BucketScheduler.h"

namespace quelmark {

BucketScheduler::BucketScheduler(int across, int down, Work work)
    : fAcross(across), fCount(across * down), fWork(std::move(work)), fWaitingOn(size_t(fCount)),
      fDone(size_t(fCount), 0) {
    for (int index = 0; index < fCount; ++index) {
        int column = index % fAcross, row = index / fAcross;
        fWaitingOn[size_t(index)] = (column > 0) + (row > 0);
    }
    if (fCount > 0) fQueue.push(0);
}

void BucketScheduler::start(int threads) {
    fThreads.reserve(size_t(threads));
    for (int k = 0; k < threads; ++k)
        fThreads.emplace_back([this] { run(); });
}

BucketScheduler::~BucketScheduler() {
    finish();
}

void BucketScheduler::finish() {
    stop();
    for (std::thread& thread : fThreads)
        if (thread.joinable()) thread.join();
}

void BucketScheduler::run() {
    std::unique_lock<std::mutex> lock(fGuard);
    for (;;) {
        fReady.wait(lock, [this] { return fStop || !fQueue.empty() || fStarted == fCount; });
        if (fStop || fQueue.empty()) return;
        int index = fQueue.top();
        fQueue.pop();
        ++fStarted;
        ++fRunning;
        lock.unlock();
        fWork(index);
        lock.lock();
        fDone[size_t(index)] = 1;
        --fRunning;
        if (fAwaited >= 0 && awaitedReady(fAwaited)) fFinished.notify_all();
        // The last bucket started: the workers waiting for more can end.
        if (fStarted == fCount) fReady.notify_all();
    }
}

void BucketScheduler::processed(int index) {
    std::lock_guard<std::mutex> lock(fGuard);
    int column = index % fAcross;
    if (column + 1 < fAcross) release(index + 1);
    if (index + fAcross < fCount) release(index + fAcross);
}

void BucketScheduler::release(int index) {
    if (--fWaitingOn[size_t(index)] > 0) return;
    fQueue.push(index);
    fReady.notify_one();
}

void BucketScheduler::waitFor(int index) {
    std::unique_lock<std::mutex> lock(fGuard);
    if (fDone[size_t(index)]) return;
    fAwaited = index;
    fFinished.wait(lock, [this, index] { return awaitedReady(index) || fStop; });
    fAwaited = -1;
}

bool BucketScheduler::awaitedReady(int index) const {
    if (!fDone[size_t(index)]) return false;
    // Nothing running and nothing ready: no more of the row will be done.
    if (fRunning == 0 && fQueue.empty()) return true;
    const int rowEnd = (index / fAcross + 1) * fAcross;
    for (int k = index; k < rowEnd; ++k)
        if (!fDone[size_t(k)]) return false;
    return true;
}

void BucketScheduler::stop() {
    std::lock_guard<std::mutex> lock(fGuard);
    fStop = true;
    fReady.notify_all();
    fFinished.notify_all();
}

bool BucketScheduler::stopping() const {
    return fStop.load(std::memory_order_relaxed);
}

} // namespace quelmark
