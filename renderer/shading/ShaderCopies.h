// The shaders one thread of the renderer shades with.
//
// A shader object holds the values of the point it is shading, so threads
// cannot share one: each bucket's work shades with copies of the scene's
// shaders, made on first use from how the originals were made, and gone when
// the work ends. While a set is current on a thread, grids shaded on it use
// its copies.
#ifndef QEL_SHADING_SHADERCOPIES_H
#define QEL_SHADING_SHADERCOPIES_H

#include "common/List.h"

#include <memory>
#include <unordered_map>

class Light;
class Shader;

class ShaderCopies {
public:
    ShaderCopies();
    ~ShaderCopies();
    ShaderCopies(const ShaderCopies&) = delete;
    ShaderCopies& operator=(const ShaderCopies&) = delete;

    // The copy of the shader; null for null, the original when it cannot be
    // copied.
    Shader* copy(Shader* original);
    // A list of the lights' copies, in the same order.
    const List<Light*>* copy(const List<Light*>* lights);

    // The set used on this thread, or null; the caller keeps it alive.
    static ShaderCopies* current();
    static void setCurrent(ShaderCopies* copies);

private:
    std::unordered_map<const Shader*, std::unique_ptr<Shader>> fShaders;
    std::unordered_map<const List<Light*>*, std::unique_ptr<List<Light*>>> fLightLists;
};

#endif
