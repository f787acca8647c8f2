// How the renderer library renders, for the programs that drive it.
//
// Frames render on several threads; the image is the same whatever their
// number, and the library's reports, printer and error handlers are still
// called on the thread that calls the library. Only libpictrel.so has these;
// the scene writer renders nothing.
#ifndef QEL_API_QELRENDER_H
#define QEL_API_QELRENDER_H

#include "api/qel.h"

extern "C" {

// The worker threads of the frames rendered from now on; 0, the default,
// means one per core. The QEL_THREADS environment variable sets the default.
QEL_API void qelRenderThreads(int count);

// Replaces the crop window of every scene that begins from now on, as
// qelCropWindow would at the scene's start: only the pixels whose centres lie
// in [xmin, xmax] × [ymin, ymax] of the image, in 0..1, are rendered, and
// each renders as it does in the whole image.
QEL_API void qelRenderCrop(float xmin, float xmax, float ymin, float ymax);

// The format of every image output of the scenes that begin from now on, as
// if each had asked for it: a QEL_FORMAT_ file format, QEL_FORMAT_WINDOW, or
// QEL_FORMAT_BY_NAME for the format each output's name asks for (".tif" and
// ".tiff" TIFF, ".png" PNG, ".exr" OpenEXR, any other TIFF). QEL_NULL, the
// default, keeps the scenes' own.
constexpr short QEL_FORMAT_BY_NAME = 0x2FF;
QEL_API void qelRenderOutputFormat(short format);

// Numbers the scenes that begin from now on from 1; only scenes first to
// last are rendered. The others are read and checked as usual, but render
// nothing, open no window and save no image.
QEL_API void qelRenderFrames(long first, long last);

// Non-zero: after each frame rendered from now on, reports (as information)
// what it took: its size, its wall time from the first bucket to the last
// on how many threads, the micropolygons diced, per second and per thread,
// and the process's peak memory so far.
QEL_API void qelRenderStatistics(int on);

} // extern "C"

#endif
