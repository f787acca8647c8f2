#include "common/ImageFormats.h"

#include "api/qel.h"

#include <array>
#include <cctype>

namespace quelmark {

namespace {

bool endsWith(std::string_view name, std::string_view suffix) {
    if (name.size() < suffix.size()) return false;
    std::string_view tail = name.substr(name.size() - suffix.size());
    for (std::size_t k = 0; k < suffix.size(); ++k)
        if (std::tolower(static_cast<unsigned char>(tail[k])) != suffix[k]) return false;
    return true;
}

} // namespace

short imageFormatOfName(std::string_view name) {
    if (endsWith(name, ".png")) return QEL_FORMAT_PNG;
    if (endsWith(name, ".exr")) return QEL_FORMAT_OPENEXR;
    return QEL_FORMAT_TIFF;
}

namespace {

struct DisplayType {
    std::string_view type;
    short format;
};

constexpr std::array<DisplayType, 9> kDisplayTypes = {{
    {"tiff", QEL_FORMAT_TIFF},
    {"png", QEL_FORMAT_PNG},
    {"openexr", QEL_FORMAT_OPENEXR},
    {"exr", QEL_FORMAT_OPENEXR},
    {"zfile", QEL_FORMAT_DEPTHFILE},
    {"shadow", QEL_FORMAT_DEPTHFILE},
    {"framebuffer", QEL_FORMAT_WINDOW},
    {"it", QEL_FORMAT_WINDOW},
    {"x11", QEL_FORMAT_WINDOW},
}};

} // namespace

short displayTypeFormat(std::string_view type, std::string_view name) {
    if (type == "file") return imageFormatOfName(name);
    for (const DisplayType& known : kDisplayTypes)
        if (known.type == type) return known.format;
    return QEL_NULL;
}

} // namespace quelmark
