// What one bucket's work renders with, taken when the work starts and given
// back for the next: the shading context and the buckets' scratch. Each is
// used by one thread at a time, and keeps its memory from work to work.
#ifndef QEL_SCENE_WORKERCONTEXT_H
#define QEL_SCENE_WORKERCONTEXT_H

#include "renderer/hider/Bucket.h"
#include "renderer/shading/ShadingContext.h"

namespace quelmark {

struct WorkerContext {
    ShadingContext shading;
    BucketScratch buckets;
};

} // namespace quelmark

#endif
