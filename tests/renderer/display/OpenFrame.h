// Opens a display as a scene begin does: with the frame of the current
// options (the defaults when there is no graphics state) at a resolution and
// raster origin of the test's own.
#ifndef QEL_TESTS_OPENFRAME_H
#define QEL_TESTS_OPENFRAME_H

#include "renderer/display/Display.h"
#include "renderer/state/Camera.h"
#include "renderer/state/Option.h"
#include "renderer/state/RenderContext.h"

using namespace quelmark;

inline void openFrame(Display& display, const char* name, long xres, long yres, long x0 = 0,
                      long y0 = 0) {
    Option option = gOption ? *gOption : Option();
    option.outputName = name;
    option.xResolution = xres;
    option.yResolution = yres;
    option.rasterOriginX = x0;
    option.rasterOriginY = y0;
    display.open(RenderContext(option, currentCamera()));
}

#endif
