#include "renderer/display/MedianCut.h"

#include "renderer/display/PackedColor.h"

#include <algorithm>

namespace quelmark {

namespace {

using packed::blue;
using packed::green;
using packed::red;
using packed::rgb;

// The squared distance from v to the span [low, low + 63], 0 inside it.
int spanDistance(int v, int low) {
    int d = v < low ? low - v : v > low + 63 ? v - (low + 63) : 0;
    return d * d;
}

// The distance from v, inside a cell starting at low, to the cell's far side.
int farSide(int v, int low) {
    int t = v - low;
    return t < 32 ? 63 - t : t;
}

} // namespace

PaletteImage MedianCut::quantize(const uint32_t* pixels, long width, long height, int mostColors) {
    mostColors = std::clamp(mostColors, 1, kMostColors);
    MedianCut cut(pixels, width > 0 && height > 0 ? width * height : 0);
    if (cut.fCount == 0) return {};
    cut.fUsed.push_back(Colorbox{});
    cut.get_histogram(cut.fUsed.front());
    while (cut.fUsed.size() < size_t(mostColors)) {
        int box = cut.largest_box();
        if (box < 0) break;
        cut.splitbox(box);
    }
    for (const Colorbox& box : cut.fUsed)
        cut.fColormap.push_back(
            rgb((box.rmin + box.rmax) * 4, (box.gmin + box.gmax) * 4, (box.bmin + box.bmax) * 4));
    cut.map_colortable();
    return cut.quant();
}

MedianCut::MedianCut(const uint32_t* pixels, long count)
    : fPixels(pixels), fCount(count), fHistogram(32 * 32 * 32, 0) {}

void MedianCut::get_histogram(Colorbox& box) {
    box = Colorbox{999, -1, 999, -1, 999, -1, int32_t(fCount)};
    for (long k = 0; k < fCount; ++k) {
        int r = red(fPixels[k]) >> 3, g = green(fPixels[k]) >> 3, b = blue(fPixels[k]) >> 3;
        box.rmin = int16_t(std::min<int>(box.rmin, r));
        box.rmax = int16_t(std::max<int>(box.rmax, r));
        box.gmin = int16_t(std::min<int>(box.gmin, g));
        box.gmax = int16_t(std::max<int>(box.gmax, g));
        box.bmin = int16_t(std::min<int>(box.bmin, b));
        box.bmax = int16_t(std::max<int>(box.bmax, b));
        ++histogram(r, g, b);
    }
}

int MedianCut::largest_box() const {
    int found = -1;
    int32_t largest = -1;
    for (size_t k = 0; k < fUsed.size(); ++k) {
        const Colorbox& box = fUsed[k];
        bool splittable = box.rmax > box.rmin || box.gmax > box.gmin || box.bmax > box.bmin;
        if (splittable && box.total > largest) {
            largest = box.total;
            found = int(k);
        }
    }
    return found;
}

void MedianCut::splitbox(int index) {
    Colorbox box = fUsed[size_t(index)];
    int rx = box.rmax - box.rmin, gx = box.gmax - box.gmin, bx = box.bmax - box.bmin;
    int axis = rx >= gx && rx >= bx ? 0 : gx < bx ? 2 : 1;
    const int16_t* low[3] = {&box.rmin, &box.gmin, &box.bmin};
    const int16_t* high[3] = {&box.rmax, &box.gmax, &box.bmax};
    int first = *low[axis], last = *high[axis];
    // The box projected onto the axis.
    int32_t sums[32] = {};
    for (int r = box.rmin; r <= box.rmax; ++r)
        for (int g = box.gmin; g <= box.gmax; ++g)
            for (int b = box.bmin; b <= box.bmax; ++b)
                sums[axis == 0 ? r : axis == 1 ? g : b] += histogram(r, g, b);
    int i = first;
    for (int32_t running = 0; i <= last; ++i) {
        running += sums[i];
        if (running >= box.total / 2) break;
    }
    if (i == first) ++i;
    Colorbox lower = box, upper = box;
    int16_t* lowerHigh[3] = {&lower.rmax, &lower.gmax, &lower.bmax};
    int16_t* upperLow[3] = {&upper.rmin, &upper.gmin, &upper.bmin};
    *lowerHigh[axis] = int16_t(i - 1);
    *upperLow[axis] = int16_t(i);
    lower.total = upper.total = 0;
    for (int k = first; k <= last; ++k)
        (k < i ? lower.total : upper.total) += sums[k];
    shrinkbox(lower);
    shrinkbox(upper);
    fUsed[size_t(index)] = upper;
    fUsed.insert(fUsed.begin(), lower);
}

void MedianCut::shrinkbox(Colorbox& box) const {
    auto holds = [&](int axis, int slice) {
        for (int r = axis == 0 ? slice : box.rmin; r <= (axis == 0 ? slice : box.rmax); ++r)
            for (int g = axis == 1 ? slice : box.gmin; g <= (axis == 1 ? slice : box.gmax); ++g)
                for (int b = axis == 2 ? slice : box.bmin; b <= (axis == 2 ? slice : box.bmax); ++b)
                    if (histogram(r, g, b) != 0) return true;
        return false;
    };
    int16_t* low[3] = {&box.rmin, &box.gmin, &box.bmin};
    int16_t* high[3] = {&box.rmax, &box.gmax, &box.bmax};
    for (int axis = 0; axis < 3; ++axis) {
        if (*high[axis] <= *low[axis]) continue;
        int16_t first = *low[axis], last = *high[axis];
        while (first < last && !holds(axis, first))
            ++first;
        while (last > first && !holds(axis, last))
            --last;
        *low[axis] = first;
        *high[axis] = last;
    }
}

void MedianCut::map_colortable() {
    std::vector<Colorcell> cells(4 * 4 * 4);
    std::vector<bool> made(cells.size(), false);
    for (int r = 0; r < 32; ++r)
        for (int g = 0; g < 32; ++g)
            for (int b = 0; b < 32; ++b) {
                int32_t& entry = histogram(r, g, b);
                if (entry == 0) {
                    entry = -1;
                    continue;
                }
                size_t cell = size_t(((r >> 3) * 4 + (g >> 3)) * 4 + (b >> 3));
                if (!made[cell]) {
                    cells[cell] = create_colorcell(r << 3, g << 3, b << 3);
                    made[cell] = true;
                }
                uint32_t best = 9999999;
                for (const Candidate& candidate : cells[cell]) {
                    if (candidate.distance >= best) break;
                    uint32_t c = fColormap[candidate.index];
                    int dr = red(c) - (r << 3), dg = green(c) - (g << 3), db = blue(c) - (b << 3);
                    uint32_t d = uint32_t(dr * dr + dg * dg + db * db);
                    if (d < best) {
                        entry = candidate.index;
                        best = d;
                    }
                }
            }
}

MedianCut::Colorcell MedianCut::create_colorcell(int red8, int green8, int blue8) const {
    int ir = red8 >> 6, ig = green8 >> 6, ib = blue8 >> 6;
    int lr = ir << 6, lg = ig << 6, lb = ib << 6;
    Colorcell cell;
    uint32_t cutoff = 99999999;
    for (size_t k = 0; k < fColormap.size(); ++k) {
        uint32_t c = fColormap[k];
        if (red(c) >> 6 != ir || green(c) >> 6 != ig || blue(c) >> 6 != ib) continue;
        cell.push_back(Candidate{uint16_t(k), 0});
        int fr = farSide(red(c), lr), fg = farSide(green(c), lg), fb = farSide(blue(c), lb);
        cutoff = std::min(cutoff, uint32_t(fr * fr + fg * fg + fb * fb));
    }
    for (size_t k = 0; k < fColormap.size(); ++k) {
        uint32_t c = fColormap[k];
        if (red(c) >> 6 == ir && green(c) >> 6 == ig && blue(c) >> 6 == ib) continue;
        uint32_t d = uint32_t(spanDistance(red(c), lr) + spanDistance(green(c), lg) +
                              spanDistance(blue(c), lb));
        if (d < cutoff) cell.push_back(Candidate{uint16_t(k), d});
    }
    std::stable_sort(cell.begin(), cell.end(), [](const Candidate& a, const Candidate& b) {
        return a.distance < b.distance;
    });
    return cell;
}

PaletteImage MedianCut::quant() const {
    PaletteImage image;
    image.palette = fColormap;
    image.indices.resize(size_t(fCount));
    for (long k = 0; k < fCount; ++k) {
        uint32_t c = fPixels[k];
        image.indices[size_t(k)] = uint8_t(histogram(red(c) >> 3, green(c) >> 3, blue(c) >> 3));
    }
    return image;
}

} // namespace quelmark
