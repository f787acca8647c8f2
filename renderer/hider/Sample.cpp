#include "renderer/hider/Sample.h"

#include "renderer/hider/MicroPolygon.h"
#include "renderer/state/Attrib.h"
#include "renderer/state/Option.h"

#include <cmath>

namespace {

constexpr double kOpaqueLimit = 0.9999999999;

uint16_t isOpaque(const Color& Oi) {
    return Oi.r > kOpaqueLimit && Oi.g > kOpaqueLimit && Oi.b > kOpaqueLimit;
}

} // namespace

SampleHit::SampleHit(SampleOrder order, const Color& Ci, const Color& Oi, short matte)
    : order(order), Ci(Ci), Oi(Oi), opaque(isOpaque(Oi)), matte(matte) {}

bool SampleHit::operator<(const SampleHit& other) const {
    if (gOption->hiderType == QEL_HIDER_PAINT) return other.order.sequence() < order.sequence();
    return order.depth() < other.order.depth();
}

template <> bool SList<SampleHit>::add(SampleHit hit) {
    using Node = List<SampleHit>::Node;
    Node* inserted;
    Node* head = fList.head();
    if (!head || hit < head->value) {
        inserted = fList.insertAfter(nullptr, hit);
    } else {
        Node* current = head;
        while (current->next && current->next->value < hit) {
            current = current->next;
            if (current->value.opaque) return false;
        }
        inserted = fList.insertAfter(current, hit);
    }
    if (inserted->value.opaque) fList.truncateAfter(inserted);
    return true;
}

bool Sample::sample(const MicroPolygon& mp) {
    SampleOrder order;
    Color Ci = gBlack, Oi = gBlack;
    if (!mp.sample(fX, fY, order, Ci, Oi)) return false;
    fHits.add(SampleHit(order, Ci, Oi, mp.grid()->attrib()->matte));
    return true;
}

// Front to back over colours the surfaces premultiplied by their opacity:
// C += T·Ci. A matte adds neither colour nor alpha and holds out what lies
// behind it in proportion to its opacity.
Color Sample::pack(float& alpha, float& z) const {
    Color transmission = gWhite, C = gBlack, covered = gBlack;
    z = 1.0f;
    for (const SampleHit& hit : fHits) {
        if (!hit.matte) {
            C += transmission * hit.Ci;
            covered += transmission * hit.Oi;
            if (z >= 1.0f) z = hit.order.depth();
        }
        transmission *= gWhite - hit.Oi;
    }
    alpha = float((double(covered.r) + covered.g + covered.b) / 3.0);
    return C;
}

float MultiSample::filter(float x, float y, Color& C, float& alpha, float& z) const {
    const Option& option = *gOption;
    C = gBlack;
    alpha = 0.0f;
    z = 0.0f;
    float weightSum = 0.0f;
    int counted = 0;
    for (const PackedSample& s : fSamples) {
        float w = option.filterFunction(s.x - x, s.y - y, option.filterXWidth, option.filterYWidth);
        if (std::fabs(w) < kEpsilon) continue;
        C += w * s.C;
        alpha += w * s.alpha;
        z += w * s.z;
        weightSum += w;
        ++counted;
    }
    if (std::fabs(weightSum) < kEpsilon) {
        z = 1.0f;
    } else {
        C /= weightSum;
        alpha /= weightSum;
        z /= weightSum;
    }
    return counted ? weightSum / float(counted) : 0.0f;
}
