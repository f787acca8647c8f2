// A window icon from a PNG image built into the program.
#ifndef QEL_SHELL_DESKTOP_WINDOWICON_H
#define QEL_SHELL_DESKTOP_WINDOWICON_H

#include <FL/Fl_RGB_Image.H>

#include <cstddef>
#include <memory>
#include <vector>

class Fl_Window;

namespace quelmark {

class WindowIcon {
public:
    // A PNG that cannot be read leaves the windows without an icon.
    WindowIcon(const unsigned char* png, std::size_t size);

    void applyTo(Fl_Window& window) const;
    // Null when the PNG could not be read.
    const Fl_RGB_Image* image() const { return fImage.get(); }

private:
    std::vector<unsigned char> fPixels;
    std::unique_ptr<Fl_RGB_Image> fImage;
};

} // namespace quelmark

#endif
