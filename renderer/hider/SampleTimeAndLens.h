// The time and lens point of each sample of the image's sample lattice.
//
// The lattice's samples fall in blocks of xSamples by ySamples, one block a
// pixel wide. Within a block the samples share out the shutter's opening in
// as many equal strata, and the lens in as many cells, each sample taking
// one stratum and one cell by a permutation keyed by the block, jittered by
// a draw keyed by the sample: what a sample gets depends on its place in
// the lattice alone.
#ifndef QEL_HIDER_SAMPLETIMEANDLENS_H
#define QEL_HIDER_SAMPLETIMEANDLENS_H

namespace quelmark {

struct TimeAndLens {
    float shutter = 0.0f;     // the fraction of the shutter's opening, in [0, 1)
    float u = 0.0f, v = 0.0f; // the point of the unit disk
};

TimeAndLens timeAndLensOf(long i, long j, int xSamples, int ySamples);

// The lens's cells are rings by columns and sectors by rows: the point (a, b)
// of the unit square goes to radius √a and angle 2πb, keeping areas.
void squareToDisk(float a, float b, float& u, float& v);

} // namespace quelmark

#endif
