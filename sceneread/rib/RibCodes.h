// The error codes of RIB reading and conversion, shared by the reader and
// the binding; ReaderReports words them.
#ifndef QEL_SCENEREAD_RIB_RIBCODES_H
#define QEL_SCENEREAD_RIB_RIBCODES_H

namespace quelmark {

enum : long {
    RIBNoMemory = 1,
    RIBBadValue = 2,
    RIBBadArray = 3,
    RIBBadBasis = 4,
    RIBBadColor = 5,
    RIBBadHandle = 6,
    RIBTypeMismatch = 7,
    RIBBadRequestCode = 8,
    RIBBadStringToken = 9,
    RIBBadBinaryToken = 10,
    RIBVersion = 11,
    RIBLimit = 12,
    RIBFreeStore = 13,
    RIBMalformed = 14,
    RIBStringMemory = 15,
    RIBSyntax = 16,
    RIBUndefinedRequest = 17,
    RIBNoCounterpart = 18,
    RIBReadError = 19,
};

} // namespace quelmark

#endif
