#include "renderer/hider/Sample.h"

#include "renderer/hider/HitValues.h"
#include "renderer/hider/PreparedMicroPolygon.h"
#include "renderer/state/Attrib.h"
#include "renderer/state/Option.h"
#include "renderer/state/RenderContext.h"

#include "common/Random.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace quelmark {

namespace {

constexpr double kOpaqueLimit = 0.9999999999;
constexpr uint64_t kDetailKey = 0xDE7A11D2A3ULL;

uint16_t isOpaque(const Color& Oi) {
    return Oi.r > kOpaqueLimit && Oi.g > kOpaqueLimit && Oi.b > kOpaqueLimit;
}

} // namespace

SampleHit::SampleHit(SampleOrder order, const Color& Ci, const Color& Oi, short matte,
                     uint32_t values)
    : order(order), Ci(Ci), Oi(Oi), opaque(isOpaque(Oi)), matte(matte), values(values) {}

bool SampleHit::operator<(const SampleHit& other) const {
    return order < other.order;
}

float Sample::detailDraw() const {
    uint32_t x, y;
    std::memcpy(&x, &fX, sizeof x);
    std::memcpy(&y, &fY, sizeof y);
    return float(mixKey(kDetailKey, mixKey(x, y)) >> 40) * 0x1p-24f;
}

bool Sample::sample(const PreparedMicroPolygon& mp, const GridHitTraits& traits, HitArena& hits,
                    HitValues* values) {
    if (!fHits.mayTake(mp.nearestKey(traits))) return false;
    float s = 0.0f, t = 0.0f;
    if (!mp.covers(fX, fY, s, t)) return false;
    const SampleOrder key = mp.keyAt(traits, s, t);
    if (!fHits.mayTake(key)) return false;
    Color Ci, Oi;
    mp.colorsAt(traits, s, t, Ci, Oi);
    uint32_t record = values ? values->add(mp.cell(), s, t) : HitValues::kNone;
    return hits.insert(fHits, SampleHit(key, Ci, Oi, traits.matte, record));
}

// Front to back over colours the surfaces premultiplied by their opacity:
// C += T·Ci. A matte adds neither colour nor alpha and holds out what lies
// behind it in proportion to its opacity.
Color Sample::pack(const HitArena& hits, float& alpha, float& z, SampleExtras* extras) const {
    Color transmission = gWhite, C = gBlack, covered = gBlack;
    const SampleHit* nearest = nullptr;
    z = HiderDepth::kNothing;
    for (uint32_t k = fHits.front; k != HitArena::kNone; k = hits.next(k)) {
        const SampleHit& hit = hits.hit(k);
        if (!hit.matte) {
            C += transmission * hit.Ci;
            covered += transmission * hit.Oi;
            if (!nearest) {
                nearest = &hit;
                z = hit.order.depth();
            }
        }
        transmission *= gWhite - hit.Oi;
    }
    alpha = float((double(covered.r) + covered.g + covered.b) / 3.0);
    if (extras) {
        extras->Oi = covered;
        extras->values = nearest ? nearest->values : HitValues::kNone;
    }
    return C;
}

void WeightedExtras::reset(int floats) {
    fOi = gBlack;
    fSurfaceWeight = 0.0f;
    fValues.assign(size_t(floats), 0.0f);
}

void WeightedExtras::add(float w, const Color& Oi, const float* values) {
    fOi += w * Oi;
    if (!values) return;
    fSurfaceWeight += w;
    for (size_t k = 0; k < fValues.size(); ++k)
        fValues[k] += w * values[k];
}

void WeightedExtras::resolve(float weightSum, Color& Oi, std::vector<float>& values) const {
    Oi = std::fabs(weightSum) < kEpsilon ? gBlack : fOi / weightSum;
    values.resize(fValues.size());
    for (size_t k = 0; k < fValues.size(); ++k)
        values[k] = std::fabs(fSurfaceWeight) < kEpsilon ? 0.0f : fValues[k] / fSurfaceWeight;
}

float MultiSample::filter(const Option& option, float x, float y, Color& C, float& alpha,
                          float& z, float& nearest) const {
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
        nearest = std::min(nearest, s.z);
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

void MultiSample::addExtras(const Option& option, float x, float y, const HitValues& values,
                            WeightedExtras& sums) const {
    auto weightOf = [&](const PackedSample& s) {
        return option.filterFunction(s.x - x, s.y - y, option.filterXWidth, option.filterYWidth);
    };
    int counted = 0;
    for (const PackedSample& s : fSamples)
        counted += std::fabs(weightOf(s)) >= kEpsilon;
    if (!counted) return;
    for (const PackedSample& s : fSamples) {
        float w = weightOf(s);
        if (std::fabs(w) < kEpsilon) continue;
        const float* record =
            s.extras.values == HitValues::kNone ? nullptr : values.at(s.extras.values);
        sums.add(w / float(counted), s.extras.Oi, record);
    }
}

} // namespace quelmark
