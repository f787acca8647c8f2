// Search paths, as RIB and the scene API write them: folders separated by
// ':', "&" standing for the path before and "@" for the default one.
#ifndef QEL_COMMON_SEARCHPATH_H
#define QEL_COMMON_SEARCHPATH_H

#include <string>
#include <string_view>
#include <vector>

namespace quelmark {

inline constexpr char kPlaceSeparator = ':';

// The path's folders in order, empty ones left out.
std::vector<std::string> searchPlaces(std::string_view path);

// The path with each "&" replaced by before and each "@" by defaults, empty
// places left out.
std::string expandedSearchPath(std::string_view path, std::string_view before,
                               std::string_view defaults);

} // namespace quelmark

#endif
