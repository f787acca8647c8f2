#include "common/SearchPath.h"

#include <algorithm>

namespace quelmark {

namespace {

constexpr std::string_view kPathBefore = "&";
constexpr std::string_view kDefaultPath = "@";

template <class Visit> void forEachPlace(std::string_view path, Visit visit) {
    for (std::size_t start = 0; start <= path.size();) {
        const std::size_t end = std::min(path.find(kPlaceSeparator, start), path.size());
        if (end > start) visit(path.substr(start, end - start));
        start = end + 1;
    }
}

} // namespace

std::vector<std::string> searchPlaces(std::string_view path) {
    std::vector<std::string> places;
    forEachPlace(path, [&](std::string_view place) { places.emplace_back(place); });
    return places;
}

std::string expandedSearchPath(std::string_view path, std::string_view before,
                               std::string_view defaults) {
    std::string expanded;
    forEachPlace(path, [&](std::string_view place) {
        if (place == kPathBefore) place = before;
        if (place == kDefaultPath) place = defaults;
        if (place.empty()) return;
        if (!expanded.empty()) expanded += kPlaceSeparator;
        expanded += place;
    });
    return expanded;
}

} // namespace quelmark
