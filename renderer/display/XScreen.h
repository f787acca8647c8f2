// What the display windows need to know of the X screen they draw on: the
// connection, the visual and how a 24-bit colour becomes one of its pixels.
// Only the window code includes this header: Xlib's names (Display among
// them) stay out of the rest of the renderer.
#ifndef QEL_RENDERER_DISPLAY_XSCREEN_H
#define QEL_RENDERER_DISPLAY_XSCREEN_H

#include <X11/Xlib.h>

#include <cstdint>

namespace quelmark {

struct XScreen {
    // A true-colour screen shows any colour directly; a palette screen shows
    // the colours of the colour map installed at the moment.
    enum class Kind { kTrueColor, kPalette };

    ::Display* connection = nullptr;
    int screen = 0;
    Window root = 0;
    Visual* visual = nullptr;
    int depth = 0;
    Kind kind = Kind::kTrueColor;
    int paletteSize = 0; // the colour map's entries on a palette screen
    Atom protocols = 0;  // WM_PROTOCOLS
    Atom deleteWindow = 0;
    Atom netWmName = 0;
    Atom utf8String = 0;
    Atom netWmIcon = 0;

    // The pixel value of a 0x00BBGGRR colour on a true-colour screen.
    unsigned long truePixel(uint32_t color) const {
        return channel(color & 0xFF, fRed) | channel((color >> 8) & 0xFF, fGreen) |
               channel((color >> 16) & 0xFF, fBlue);
    }
    void setMasks(unsigned long red, unsigned long green, unsigned long blue);

private:
    struct Channel {
        int shift = 0;
        unsigned long most = 255; // the largest value of the channel
    };
    static unsigned long channel(uint32_t value, const Channel& c) {
        return (c.most == 255 ? value : (value * c.most + 127) / 255) << c.shift;
    }
    static Channel fromMask(unsigned long mask);

    Channel fRed, fGreen, fBlue;
};

} // namespace quelmark

#endif
