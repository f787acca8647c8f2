// Joins OpenEXR images of separate regions of one picture (tiles rendered
// one by one with crop windows) into one file. The tiles must share their
// display window and channels, must not overlap, and together must fill
// the rectangle they span; that rectangle becomes the data window of the
// result. The result takes the first tile's header otherwise, so it is the
// file a single render of the whole would have written.
#ifndef QEL_SHELL_TILES_TILEASSEMBLY_H
#define QEL_SHELL_TILES_TILEASSEMBLY_H

#include <functional>
#include <string>
#include <vector>

namespace quelmark {

class TileAssembly {
public:
    // A rectangle of pixels, both corners included.
    struct Window {
        int xmin, ymin, xmax, ymax;
        long long area() const { return (xmax - xmin + 1LL) * (ymax - ymin + 1LL); }
    };

    // Reads the tiles' headers. False, with the reason in problem, when a
    // tile cannot be read or the tiles are no parts of one picture.
    bool open(const std::vector<std::string>& paths, std::string& problem);

    // Writes the joined picture whole or not at all, a band of rows at a
    // time, so that only a band of the picture is ever in memory. Between
    // bands, cancelled() may end the write (nothing is left behind).
    bool write(const std::string& path, std::string& problem,
               const std::function<bool()>& cancelled = {}) const;

    const Window& dataWindow() const { return fWindow; }
    void setBandRows(int rows) { fBandRows = rows < 1 ? 1 : rows; }

private:
    struct Tile {
        std::string path;
        Window window;
    };

    // Sets the data window when the tiles fill the rectangle they span.
    bool checkCover(const std::vector<Tile>& tiles, std::string& problem);
    bool writeBands(const char* path, const std::function<bool()>& cancelled) const;

    std::vector<Tile> fTiles;
    Window fWindow = {0, 0, -1, -1};
    int fBandRows = 64;
};

} // namespace quelmark

#endif
