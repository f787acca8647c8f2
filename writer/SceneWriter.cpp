#include "writer/SceneWriter.h"

#include "api/qel.h"
#include "common/Error.h"

#include <algorithm>

namespace quelmark {

namespace {

long patchesAlong(bool bicubic, long n, bool periodic, long step) {
    if (!bicubic) return periodic ? n : std::max(n - 1, 0L);
    if (step < 1) return 0;
    if (periodic) return n / step;
    return n < 4 ? 0 : (n - 4) / step + 1;
}

} // namespace

SceneWriter& sceneWriter() {
    static SceneWriter writer;
    return writer;
}

QelLine* SceneWriter::begin(const char* keyword) {
    if (!fFile.chosen()) return nullptr;
    fLine.begin(keyword);
    return &fLine;
}

void SceneWriter::send() {
    if (fLine.hasProblem()) error(fLine.problemCode(), kError, "%s", fLine.problemText());
    sendUnreported();
}

void SceneWriter::sendUnreported() {
    fLine.end();
    fFile.write(fLine.data(), fLine.size(), fLine.hasArguments());
}

void SceneWriter::comment(const char* text) {
    if (!fFile.chosen()) return;
    fLine.comment(text);
    sendUnreported();
}

void SceneWriter::setBasisStep(short application, long step) {
    if (application == QEL_UBASIS || application == QEL_UVBASIS) fUStep = step;
    if (application == QEL_VBASIS || application == QEL_UVBASIS) fVStep = step;
}

ParameterCounts SceneWriter::patchMeshCounts(short type, long nu, short uwrap, long nv,
                                             short vwrap) const {
    bool bicubic = type == QEL_PATCH_BICUBIC;
    bool uPeriodic = uwrap == QEL_WRAP, vPeriodic = vwrap == QEL_WRAP;
    nu = std::max(nu, 0L), nv = std::max(nv, 0L);
    long upatches = patchesAlong(bicubic, nu, uPeriodic, fUStep);
    long vpatches = patchesAlong(bicubic, nv, vPeriodic, fVStep);
    long uvarying = uPeriodic ? upatches : upatches + 1;
    long vvarying = vPeriodic ? vpatches : vpatches + 1;
    return {upatches * vpatches, uvarying * vvarying, nu * nv};
}

const void* handleOf(std::uint32_t number) {
    return reinterpret_cast<const void*>(static_cast<std::uintptr_t>(number));
}

long numberOf(const void* handle) { return long(reinterpret_cast<std::uintptr_t>(handle)); }

void writeKeyword(const char* keyword) {
    writeLine(keyword, [](QelLine&) {});
}

} // namespace quelmark
