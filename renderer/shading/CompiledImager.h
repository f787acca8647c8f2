// An imager compiled from the shading language: its program runs over the
// finished pixels of the frame, filtered and not yet exposed, one bucket's
// pixels at a time as one grid. It reads each pixel's centre in raster
// space, and changes its colour, opacity and coverage (alpha).
#ifndef QEL_SHADING_COMPILEDIMAGER_H
#define QEL_SHADING_COMPILEDIMAGER_H

#include "common/Color.h"
#include "common/Point.h"
#include "renderer/shading/CompiledShaderInstance.h"
#include "renderer/shading/ShaderMachine.h"
#include "renderer/shading/ShaderProgram.h"

#include <memory>
#include <string>
#include <vector>

namespace quelmark {

class ArgList;
struct RenderContext;

// A rectangle of pixels as an imager sees them: across by down, row by
// row from the one at (left, top), the image's pixel coordinates.
struct ImagerPixels {
    long left = 0, top = 0;
    int across = 0, down = 0;
    std::vector<Point> P; // the pixel's centre in raster space, z 0
    std::vector<Color> Ci, Oi;
    std::vector<float> alpha;

    // Room for the rectangle, with the centres of its pixels; keeps the
    // room it has.
    void place(long firstX, long firstY, int width, int height);
    int count() const { return across * down; }
};

// What one worker runs imagers with, kept from bucket to bucket.
struct ImagerContext {
    ImagerPixels pixels;
    ShaderMachine machine;
};

class CompiledImager {
public:
    // The request's values that do not fit the shader's parameters are left
    // out, each with a warning in warnings.
    CompiledImager(std::shared_ptr<const ShaderProgram> program, const ArgList& args,
                   std::vector<std::string>& warnings);
    CompiledImager(const CompiledImager&) = delete;
    CompiledImager& operator=(const CompiledImager&) = delete;

    // Runs over the context's pixels, which take the Ci, Oi and alpha it
    // leaves; a run that fails is reported once and leaves them as they were.
    void shade(const RenderContext& frame, ImagerContext& context) const;

private:
    CompiledShaderInstance fInstance;
};

} // namespace quelmark

#endif
