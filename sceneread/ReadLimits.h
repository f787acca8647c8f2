// How much one scene file may ask of the readers. A file past these limits
// is broken or hostile; each limit is reported once where it is met, and
// the memory of reading stays bounded whatever the input.
#ifndef QEL_SCENEREAD_READLIMITS_H
#define QEL_SCENEREAD_READLIMITS_H

#include <cstddef>

namespace quelmark {

namespace readlimits {

// A request name, keyword or number, in bytes.
constexpr size_t kLongestWord = 4096;
// A quoted or binary string, in bytes.
constexpr size_t kLongestString = size_t(1) << 20;
// The values of one request: numbers count four bytes each, strings their
// length. A million-polygon mesh needs about 40 MiB.
constexpr size_t kLargestRequest = size_t(1) << 29;
// Values are counted against it this many at a time.
constexpr size_t kValuesCounted = 1024;
// Errors reported in one file before the rest of it is left unread.
constexpr long kMostErrors = 100;
// Tokens skipped after an error, looking for the next request, that count
// as one more error: an endless stream without requests ends too.
constexpr long kSkippedPerError = 1L << 20;
// The requests that objects and archives of a RIB file may replay: this
// many, and more for every request the file holds itself.
constexpr size_t kReplayedRequests = size_t(1) << 16;
constexpr size_t kReplayedPerRequest = 64;
// The tokens a RIB file's objects may hold, in bytes of memory.
constexpr size_t kLargestObjects = size_t(1) << 29;

} // namespace readlimits

} // namespace quelmark

#endif
