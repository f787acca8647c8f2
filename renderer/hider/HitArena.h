// The hits of many samples in one array: a sample keeps the index of its
// front hit, each hit the index of the one behind it. Hits that an opaque
// hit cuts off are handed out again; clearing forgets every list at once and
// keeps the room for the next bucket.
#ifndef QEL_HIDER_HITARENA_H
#define QEL_HIDER_HITARENA_H

#include "renderer/hider/SampleHit.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quelmark {

class HitArena {
public:
    // The end of a list; an empty list is this alone.
    static constexpr uint32_t kNone = 0xFFFFFFFFu;

    // Puts the hit into the list starting at front, which stays sorted front
    // to back; an opaque hit cuts off everything behind it, and a hit behind
    // an opaque one below the front is refused. A hit that compares equal
    // goes behind the front hit but in front of the others. True when kept.
    bool insert(uint32_t& front, const SampleHit& hit);

    const SampleHit& hit(uint32_t index) const { return fNodes[index].hit; }
    uint32_t next(uint32_t index) const { return fNodes[index].next; }
    size_t count(uint32_t front) const;
    // The hits the arena holds room for, those cut off and not yet handed
    // out again included.
    size_t size() const { return fNodes.size(); }

    void clear() {
        fNodes.clear();
        fFree = kNone;
    }

private:
    struct Node {
        SampleHit hit;
        uint32_t next;
    };

    uint32_t take(const SampleHit& hit, uint32_t next);
    // Hands the list starting at first out again.
    void release(uint32_t first);

    std::vector<Node> fNodes;
    uint32_t fFree = kNone;
};

} // namespace quelmark

#endif
