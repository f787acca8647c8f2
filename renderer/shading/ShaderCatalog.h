// Compiled shaders found by name: NAME.qso in the places of the shader
// search path, in order, read and prepared once and shared by every
// instance that names them.
#ifndef QEL_SHADING_SHADERCATALOG_H
#define QEL_SHADING_SHADERCATALOG_H

#include "renderer/shading/ShaderProgram.h"
#include "shadercode/Types.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quelmark {

class ShaderCatalog {
public:
    // The places looked in, in order; "." is the current folder.
    void setSearchPath(std::vector<std::string> places);
    const std::vector<std::string>& searchPath() const { return fPlaces; }

    // The program of the shader of that name and kind; null, with the
    // reason, when no place has it, it cannot be read or run, or it is a
    // shader of another kind.
    std::shared_ptr<const ShaderProgram> find(std::string_view name, sl::ShaderKind kind,
                                              std::string& error);

private:
    std::shared_ptr<const ShaderProgram> load(const std::string& path, std::string& error);

    std::vector<std::string> fPlaces{"."};
    // By path; a file that failed keeps its reason.
    struct Loaded {
        std::shared_ptr<const ShaderProgram> program;
        std::string error;
    };
    std::map<std::string, Loaded, std::less<>> fLoaded;
};

} // namespace quelmark

#endif
