// Heckbert's median cut: an image of 0x00BBGGRR colours reduced to at most
// 256 palette colours. The colours are counted in a 32 x 32 x 32 histogram
// of their top five bits, boxes of that histogram are split at the median
// of their longest axis until 256 exist or none can be split, each box's
// centre becomes a palette colour, and each histogram cell is mapped to its
// nearest palette colour with the help of 4 x 4 x 4 cells of candidates.
#ifndef QEL_RENDERER_DISPLAY_MEDIANCUT_H
#define QEL_RENDERER_DISPLAY_MEDIANCUT_H

#include <cstdint>
#include <vector>

namespace quelmark {

struct PaletteImage {
    std::vector<uint32_t> palette; // 0x00BBGGRR, in the order of the boxes
    std::vector<uint8_t> indices;  // one palette index per pixel, row by row
};

class MedianCut {
public:
    static constexpr int kMostColors = 256;

    // pixels holds width x height colours row by row; the palette gets at
    // most mostColors entries (a screen's colour map may hold fewer than 256).
    static PaletteImage quantize(const uint32_t* pixels, long width, long height,
                                 int mostColors = kMostColors);

private:
    struct Colorbox {
        int16_t rmin, rmax, gmin, gmax, bmin, bmax;
        int32_t total;
    };
    struct Candidate {
        uint16_t index;
        uint32_t distance;
    };
    using Colorcell = std::vector<Candidate>;

    explicit MedianCut(const uint32_t* pixels, long count);

    void get_histogram(Colorbox& box);
    // The index of the used box to split next, or -1.
    int largest_box() const;
    void splitbox(int box);
    void shrinkbox(Colorbox& box) const;
    void map_colortable();
    Colorcell create_colorcell(int red, int green, int blue) const;
    PaletteImage quant() const;

    int32_t& histogram(int r, int g, int b) { return fHistogram[(r * 32 + g) * 32 + b]; }
    int32_t histogram(int r, int g, int b) const { return fHistogram[(r * 32 + g) * 32 + b]; }

    const uint32_t* fPixels;
    long fCount;
    std::vector<int32_t> fHistogram;
    // The used boxes in list order; new boxes go to the front.
    std::vector<Colorbox> fUsed;
    std::vector<uint32_t> fColormap;
};

} // namespace quelmark

#endif
