// Where a compiled shader is found by its name: the file NAME.qso in the
// first folder of a search path that holds it.
#ifndef QEL_SHADERCODE_SHADERSEARCH_H
#define QEL_SHADERCODE_SHADERSEARCH_H

#include <string>
#include <string_view>
#include <vector>

namespace quelmark::sl {

inline constexpr std::string_view kShaderFileExtension = ".qso";

// The path of the regular file NAME.qso in the first of the folders that
// holds one ("." is the current folder, "&" names none); empty when none
// does or the name is no plain file name ("a/b", "..").
std::string findShaderFile(std::string_view name, const std::vector<std::string>& folders);

// The current folder, then the shaders that come with the suite: the folder
// "shaders" beside the folder of the library or program holding this code.
const std::string& defaultShaderPlaces();

} // namespace quelmark::sl

#endif
