// Runs the buckets of one frame on a crew of worker threads.
//
// Buckets lie in rows; a bucket may be processed once the bucket to its left
// and the one above it have been: everything routed to a bucket comes from
// buckets at or above and at or to the left of it. Of the buckets that may
// be processed, a free worker takes the one earliest in row order, so that
// the rows finish roughly in order. The caller's thread waits for buckets in
// row order and hands their results on.
#ifndef QEL_SCENE_BUCKETSCHEDULER_H
#define QEL_SCENE_BUCKETSCHEDULER_H

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <queue>
#include <thread>
#include <vector>

namespace quelmark {

class BucketScheduler {
public:
    // What a worker does with bucket index; it calls processed(index) as
    // soon as the bucket's primitives are done, before it samples.
    using Work = std::function<void(int index)>;

    BucketScheduler(int across, int down, Work work);
    // Stops: waits for the buckets being worked on and joins the workers.
    ~BucketScheduler();
    BucketScheduler(const BucketScheduler&) = delete;
    BucketScheduler& operator=(const BucketScheduler&) = delete;

    // Starts the workers.
    void start(int threads);
    // The bucket's primitives are done: the buckets right of and below it
    // may be processed once their other neighbour is done too.
    void processed(int index);
    // Returns once the work on bucket index has returned. A caller that has
    // to wait sleeps until the rest of the bucket's row is done too (or no
    // more work can be done), so that it wakes once a row rather than once a
    // bucket.
    void waitFor(int index);
    // No bucket is started from now on.
    void stop();
    // Stops, and returns once every worker has ended.
    void finish();
    bool stopping() const;
    // Set once the work stops, for work that checks it while it runs.
    const std::atomic<bool>& stopFlag() const { return fStop; }

private:
    void run();
    void release(int index);
    // Whether a caller waiting for bucket index may go on: the bucket is
    // done, and so is the rest of its row or all the work that can be done.
    bool awaitedReady(int index) const;

    const int fAcross, fCount;
    Work fWork;
    mutable std::mutex fGuard;
    std::condition_variable fReady, fFinished;
    std::priority_queue<int, std::vector<int>, std::greater<int>> fQueue;
    std::vector<int> fWaitingOn; // neighbours not yet processed, per bucket
    std::vector<char> fDone;
    std::atomic<bool> fStop = false; // also read between primitives, without the lock
    int fStarted = 0;
    int fAwaited = -1; // the bucket the caller waits for, if it waits
    int fRunning = 0;  // buckets being worked on
    std::vector<std::thread> fThreads;
};

} // namespace quelmark

#endif
