// The window that shows an image while it renders. It keeps the image three
// times: in the window, in a server-side pixmap that repaints the window,
// and as an array of 0x00BBGGRR colours. On a palette screen the colours are
// reduced by median cut when the display closes, the palette goes into the
// window's colour map and the pixmap is redrawn with palette indices; on a
// true-colour screen closing only frees the colour array.
#ifndef QEL_RENDERER_DISPLAY_TDISPLAYWINDOW_H
#define QEL_RENDERER_DISPLAY_TDISPLAYWINDOW_H

#include "renderer/display/MedianCut.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct _XGC;
struct _XImage;

namespace quelmark {

struct XScreen;

class TDisplayWindow {
public:
    // How the rows given to span are laid out: channels values per pixel,
    // the first three red, green and blue when color is set.
    struct Layout {
        int channels = 3;
        bool color = true;
    };

    // Puts a window of exactly width x height image pixels, titled title, on
    // the screen and adds it to the open windows; null, with the reason in
    // why, when the window system refuses it.
    static TDisplayWindow* open(const char* title, long width, long height, Layout layout,
                                std::string& why);
    ~TDisplayWindow();
    TDisplayWindow(const TDisplayWindow&) = delete;
    TDisplayWindow& operator=(const TDisplayWindow&) = delete;

    // Pixels x0 to x1 of row y; what lies outside the image is dropped.
    void span(long x0, long x1, long y, const uint32_t* data);
    // Reduces the colours on a palette screen; frees the colour array.
    void quantize();

    // Window events, as the window system hands them over.
    void Paint(int x, int y, int width, int height);
    void EvQueryNewPalette();
    // The user closed the window: tells the display and destroys the window.
    void Destroy();
    // Another client destroyed the window: nothing is left to free on the server.
    void destroyedOutside();

    unsigned long id() const { return fWindow; }
    long width() const { return fWidth; }
    long height() const { return fHeight; }
    long lastRow() const { return fLastRow; }
    // The palette after quantisation on a palette screen; empty otherwise.
    const std::vector<uint32_t>& palette() const { return fPalette; }
    // The colour array, empty once quantised.
    const std::vector<uint32_t>& pixels() const { return fPixels; }

    // Forgets every server resource without touching the broken connection.
    void connectionLost();

private:
    TDisplayWindow(const XScreen& screen, long width, long height, Layout layout);
    bool create(const char* title, std::string& why);
    void setTitleAndHints(const char* title);
    void setIcon();
    void createColormap();
    void storeColorCube();
    unsigned long pixelOf(uint32_t color) const;
    void quant(const PaletteImage& image);
    bool UpdatePalette(bool redraw);
    void freeServerResources();

    const XScreen& fScreen;
    long fWidth, fHeight;
    Layout fLayout;
    long fLastRow = -1;
    unsigned long fWindow = 0;
    unsigned long fBitmap = 0;   // the repaint copy
    unsigned long fColormap = 0; // a palette screen's own colour map
    int fCubeSide = 0;           // colours per axis of the colour cube used until quantised
    _XGC* fGc = nullptr;
    _XImage* fRow = nullptr; // one row of screen pixels, reused by every span
    std::vector<char> fRowData;
    std::vector<uint32_t> fPixels;
    std::vector<uint32_t> fPalette;
};

// Called by a window the user closed; the display that feeds it forgets it.
void displayWindowClosed(TDisplayWindow* window);

} // namespace quelmark

#endif
