// The first field of an attribute block and of a transform: a changed flag
// and a reference count.
//
// Every setter and every pop marks the current block changed, so the state
// knows when its cached snapshot no longer matches. Snapshots are shared by
// the primitives that hold them; the last holder to let go destroys them.
#ifndef QEL_STATE_SNAPSHOTWORD_H
#define QEL_STATE_SNAPSHOTWORD_H

#include <atomic>
#include <cstdint>

namespace quelmark {

class SnapshotWord {
public:
    SnapshotWord() = default;
    // A copy takes the changed flag of its source and starts unshared.
    SnapshotWord(const SnapshotWord& other) : fChanged(other.fChanged) {}
    SnapshotWord& operator=(const SnapshotWord& other) {
        fChanged = other.fChanged;
        return *this;
    }

    bool changed() const { return fChanged; }
    void setChanged() { fChanged = true; }
    void clearChanged() { fChanged = false; }

    // The count is kept wider than fifteen bits: a large mesh can have more
    // holders than that.
    // The renderer's threads share snapshots, so the count is atomic.
    uint32_t count() const { return fCount.load(std::memory_order_relaxed); }
    void retain() { fCount.fetch_add(1, std::memory_order_relaxed); }
    // True when the last reference went.
    bool release() {
        return fCount.load(std::memory_order_acquire) == 0 ||
               fCount.fetch_sub(1, std::memory_order_acq_rel) == 1;
    }

private:
    bool fChanged = true;
    std::atomic<uint32_t> fCount = 0;
};

// Releases a reference to a counted block and deletes it with the last one.
template <class Block> void releaseSnapshot(Block* block) {
    if (block && block->snapshot.release()) delete block;
}

template <class Block> Block* retainSnapshot(Block* block) {
    if (block) block->snapshot.retain();
    return block;
}

} // namespace quelmark

#endif
