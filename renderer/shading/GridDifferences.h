// The differences of a value between neighbouring points of a shaded grid,
// along u and along v, as the derivative functions and the texture lookups
// take them.
//
// At the first point of a row (or column) forward, at the last backward,
// central between; a grid one point wide has none (0).
#ifndef QEL_SHADING_GRIDDIFFERENCES_H
#define QEL_SHADING_GRIDDIFFERENCES_H

#include "renderer/shading/ShaderLibraryCall.h"

#include <algorithm>
#include <span>

namespace quelmark {

enum class GridDirection { kU, kV };

// A value's change from one vertex to the next along u or v, at a point.
class GridDifferences {
public:
    explicit GridDifferences(const ShadingGridShape& grid)
        : fAcross(grid.nu + 1), fDown(grid.nv + 1), fRowStarts(grid.rowStarts) {}

    template <GridDirection Along>
    float at(const RegisterView& view, int point, int component) const {
        if (!fRowStarts.empty()) {
            if (view.uniform()) return 0;
            return Along == GridDirection::kU ? raggedAlongU(view, point, component)
                                              : raggedAlongV(view, point, component);
        }
        const int position = Along == GridDirection::kU ? point % fAcross : point / fAcross;
        const int count = Along == GridDirection::kU ? fAcross : fDown;
        const int step = Along == GridDirection::kU ? 1 : fAcross;
        if (count < 2 || view.uniform()) return 0;
        const auto value = [&](int at) { return ::quelmark::component(view, at, component); };
        if (position == 0) return value(point + step) - value(point);
        if (position == count - 1) return value(point) - value(point - step);
        return (value(point + step) - value(point - step)) / 2;
    }

    template <GridDirection Along> ShaderTriple triple(const RegisterView& view, int point) const {
        return {at<Along>(view, point, 0), at<Along>(view, point, 1), at<Along>(view, point, 2)};
    }

private:
    struct RowPlace {
        int row, position;
    };

    // The last point of a triangle's row lies folded onto its long edge, off
    // the lattice of the others: it takes the differences of the point
    // before it (or, alone in its row, of the row below) and is no
    // neighbour of any.
    int latticeLength(int row) const {
        return fRowStarts[std::size_t(row) + 1] - fRowStarts[std::size_t(row)] - 1;
    }
    RowPlace latticePlace(int point) const {
        int row = int(std::ranges::upper_bound(fRowStarts, point) - fRowStarts.begin()) - 1;
        int position = point - fRowStarts[std::size_t(row)];
        while (row > 0 && latticeLength(row) < 1)
            --row;
        return {row, std::clamp(position, 0, std::max(latticeLength(row) - 1, 0))};
    }
    int pointAt(int row, int position) const { return fRowStarts[std::size_t(row)] + position; }

    float raggedAlongU(const RegisterView& view, int point, int component) const {
        const auto value = [&](int at) { return ::quelmark::component(view, at, component); };
        const auto [row, position] = latticePlace(point);
        const int length = latticeLength(row);
        // A row of one point (the apex) takes the differences of the row below.
        if (length < 2)
            return row > 0 ? raggedAlongU(view, pointAt(row - 1, position), component) : 0;
        const int at = pointAt(row, position);
        if (position == 0) return value(at + 1) - value(at);
        if (position == length - 1) return value(at) - value(at - 1);
        return (value(at + 1) - value(at - 1)) / 2;
    }

    // Rows shorten upwards: at a row's end, where no point lies above, the
    // difference is the one below; with neither, the one beside.
    float raggedAlongV(const RegisterView& view, int point, int component) const {
        const auto value = [&](int at) { return ::quelmark::component(view, at, component); };
        const int rows = int(fRowStarts.size()) - 1;
        const auto [row, position] = latticePlace(point);
        const bool above = row + 1 < rows && position < latticeLength(row + 1);
        const bool below = row > 0;
        if (!above && !below)
            return position > 0 ? raggedAlongV(view, pointAt(row, position - 1), component) : 0;
        const int at = pointAt(row, position);
        const int up = above ? pointAt(row + 1, position) : at;
        const int down = below ? pointAt(row - 1, position) : at;
        if (above && below) return (value(up) - value(down)) / 2;
        return value(up) - value(down);
    }

    int fAcross, fDown;
    std::span<const int> fRowStarts;
};

} // namespace quelmark

#endif
