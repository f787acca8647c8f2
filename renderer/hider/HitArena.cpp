#include "renderer/hider/HitArena.h"

namespace quelmark {

bool HitArena::insert(HitList& list, const SampleHit& hit) {
    if (!list.mayTake(hit.order)) return false;
    uint32_t inserted;
    if (list.front == kNone || hit < fNodes[list.front].hit) {
        inserted = take(hit, list.front);
        list.front = inserted;
    } else {
        // The list's opaque hit, if any, is its last and lies behind the hit.
        uint32_t current = list.front;
        for (uint32_t after = fNodes[current].next; after != kNone && fNodes[after].hit < hit;
             after = fNodes[current].next)
            current = after;
        inserted = take(hit, fNodes[current].next);
        fNodes[current].next = inserted;
    }
    if (hit.opaque) {
        release(fNodes[inserted].next);
        fNodes[inserted].next = kNone;
        list.opaque = hit.order;
    }
    return true;
}

size_t HitArena::count(uint32_t front) const {
    size_t n = 0;
    for (uint32_t k = front; k != kNone; k = fNodes[k].next)
        ++n;
    return n;
}

uint32_t HitArena::take(const SampleHit& hit, uint32_t next) {
    if (fFree != kNone) {
        uint32_t index = fFree;
        fFree = fNodes[index].next;
        fNodes[index] = Node{hit, next};
        return index;
    }
    fNodes.push_back(Node{hit, next});
    return uint32_t(fNodes.size() - 1);
}

void HitArena::release(uint32_t first) {
    if (first == kNone) return;
    uint32_t last = first;
    while (fNodes[last].next != kNone)
        last = fNodes[last].next;
    fNodes[last].next = fFree;
    fFree = first;
}

} // namespace quelmark
