// A recording stand-in of the qel API for the reader's tests: every request
// the reader makes becomes one line of text, numbers in %g form and
// parameter lists as name=[values].
#ifndef QEL_TESTS_QELRECORDER_H
#define QEL_TESTS_QELRECORDER_H

#include <string>
#include <vector>

namespace recorder {

// The requests made since the last reset, oldest first.
std::vector<std::string>& calls();
// Forgets the calls; qelRenderBucket then returns nonzero for this many
// more calls per scene.
void reset(int bucketsPerScene = 2);

} // namespace recorder

#endif
