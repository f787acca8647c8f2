// The limits of the options and attributes that size the renderer's memory
// and work. A value outside them is reported and clamped to the nearer limit
// (a raster viewport is refused) before anything is allocated; not a number
// counts as below. Together they bound one bucket's samples: the filter's
// reach around 128 by 128 pixels at 32 by 32 samples, about 21 million.
#ifndef QEL_STATE_LIMITS_H
#define QEL_STATE_LIMITS_H

namespace quelmark {

// Pixels along either side of the image, and in the whole image
// (8192 by 8192, or 32768 by 2048).
constexpr long kMaxResolution = 32768;
constexpr long kMaxPixels = 1L << 26;

// Samples per pixel along each axis.
constexpr float kMinPixelSamples = 1.0f;
constexpr float kMaxPixelSamples = 32.0f;

// Filter width in pixels along each axis; a filter narrower than the finest
// sample spacing sees at most one sample.
constexpr float kMinFilterWidth = 1.0f / kMaxPixelSamples;
constexpr float kMaxFilterWidth = 16.0f;

// The pixel area of a micropolygon: at most 64 micropolygons a pixel, and
// none larger than the largest image.
constexpr float kMinShadingRate = 1.0f / 64.0f;
constexpr float kMaxShadingRate = float(kMaxPixels);

// Micropolygons along a grid's edge and pixels along a bucket's side.
constexpr long kMaxGridEdge = 256;
constexpr long kMaxBucketSide = 128;

// Colour samples of a colour space.
constexpr long kMaxColorSamples = 256;

// The value when it lies in [low, high]; else the nearer limit, reported as
// "<what> <value> out of range <low> to <high>, using <limit>". Not a number
// takes the lower limit.
float withinLimits(const char* what, float value, float low, float high);
long withinLimits(const char* what, long value, long low, long high);

} // namespace quelmark

#endif
