// Thrown by a scene input whose reading failed half way (a read error, or
// compressed data that is damaged); the scanner ends the input there and
// keeps the reason for the report.
#ifndef QEL_SCENEREAD_INPUTFAILURE_H
#define QEL_SCENEREAD_INPUTFAILURE_H

#include <string>

namespace quelmark {

struct InputFailure {
    std::string reason;
};

} // namespace quelmark

#endif
