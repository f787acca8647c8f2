#include "shell/desktop/WindowIcon.h"

#include "common/IconImage.h"

#include <FL/Fl_Window.H>

namespace quelmark {

WindowIcon::WindowIcon(const unsigned char* png, std::size_t size) {
    std::optional<IconImage> icon = decodePngIcon(png, size);
    if (!icon) return;
    fPixels = std::move(icon->rgba);
    fImage = std::make_unique<Fl_RGB_Image>(fPixels.data(), icon->width, icon->height, 4);
}

void WindowIcon::applyTo(Fl_Window& window) const {
    if (fImage) window.icon(fImage.get());
}

} // namespace quelmark
