#include "renderer/geometry/QuadRegions.h"

#include "common/Point.h"

namespace quelmark {

namespace {

constexpr long kCorners = 4;

class Quads {
public:
    Quads(const long* counts, const long* offsets, const long* vertices, const char* usable,
          const float* xyz)
        : fCounts(counts), fOffsets(offsets), fVertices(vertices), fUsable(usable), fXyz(xyz) {}

    bool isCell(long p) const {
        if (fCounts[p] != kCorners || !fUsable[p]) return false;
        for (long k = 0; k < kCorners; ++k)
            if (point(p, k) == point(p, (k + 1) % kCorners)) return false;
        return true;
    }
    // Whether cell q lies right of cell p, sharing p's right edge.
    bool rightOf(long q, long p) const {
        return corner(q, 0) == corner(p, 1) && corner(q, 3) == corner(p, 2);
    }
    // Whether cell q lies above cell p, sharing p's top edge.
    bool above(long q, long p) const {
        return corner(q, 0) == corner(p, 3) && corner(q, 1) == corner(p, 2);
    }

private:
    long corner(long p, long k) const { return fVertices[fOffsets[p] + k]; }
    Point point(long p, long k) const { return Point(fXyz + 3 * corner(p, k)); }

    const long *fCounts, *fOffsets, *fVertices;
    const char* fUsable;
    const float* fXyz;
};

struct Run {
    long first, length;
};

// Maximal runs of cells, each right of the one before.
std::vector<Run> rowsOfCells(const Quads& quads, long npolys) {
    std::vector<Run> runs;
    for (long p = 0; p < npolys;) {
        if (!quads.isCell(p)) {
            ++p;
            continue;
        }
        long end = p + 1;
        while (end < npolys && quads.isCell(end) && quads.rightOf(end, end - 1)) ++end;
        runs.push_back({p, end - p});
        p = end;
    }
    return runs;
}

// Whether run `upper` follows run `lower` directly and lies on top of it.
bool stacks(const Quads& quads, const Run& lower, const Run& upper) {
    if (upper.length != lower.length || upper.first != lower.first + lower.length) return false;
    for (long i = 0; i < lower.length; ++i)
        if (!quads.above(upper.first + i, lower.first + i)) return false;
    return true;
}

} // namespace

std::vector<QuadRegion> findQuadRegions(long npolys, const long* counts, const long* offsets,
                                        const long* vertices, const char* usable, const float* xyz) {
    const Quads quads(counts, offsets, vertices, usable, xyz);
    const std::vector<Run> runs = rowsOfCells(quads, npolys);
    std::vector<QuadRegion> regions;
    for (size_t r = 0; r < runs.size();) {
        size_t top = r + 1;
        while (top < runs.size() && stacks(quads, runs[top - 1], runs[top])) ++top;
        QuadRegion region{runs[r].first, runs[r].length, long(top - r)};
        if (region.cells() >= 2) regions.push_back(region);
        r = top;
    }
    return regions;
}

} // namespace quelmark
