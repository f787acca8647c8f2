// The hits of many samples in one array: a sample keeps the index of its
// front hit and the key of its nearest opaque hit, each hit the index of the
// one behind it. An opaque hit ends its list: what lies behind it is handed
// out again, and no hit at or behind it is taken. Clearing forgets every
// list at once and keeps the room for the next bucket.
#ifndef QEL_HIDER_HITARENA_H
#define QEL_HIDER_HITARENA_H

#include "renderer/hider/SampleHit.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quelmark {

// One sample's hits: the front one's index, and the key of the opaque hit
// that ends the list (the farthest key when none does).
struct HitList {
    static constexpr uint32_t kNone = 0xFFFFFFFFu;

    uint32_t front = kNone;
    SampleOrder opaque = SampleOrder::farthest();

    // Whether a hit with the key could still be seen.
    bool mayTake(SampleOrder key) const { return key < opaque; }
};

class HitArena {
public:
    // The end of a list; an empty list is this alone.
    static constexpr uint32_t kNone = HitList::kNone;

    // Puts the hit into the list, which stays sorted front to back; a hit at
    // or behind the list's opaque one is refused, and an opaque hit cuts off
    // everything behind it. A hit that compares equal to others goes behind
    // the front hit but in front of the others. True when kept.
    bool insert(HitList& list, const SampleHit& hit);

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
