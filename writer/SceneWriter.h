// The library-wide state of the scene writer: the scene file, the line
// being built, the light and object counters whose values are the handles,
// and the basis steps that the patch-mesh counts depend on.
#ifndef QEL_WRITER_SCENEWRITER_H
#define QEL_WRITER_SCENEWRITER_H

#include "renderer/state/ArgList.h"
#include "writer/QelLine.h"
#include "writer/SceneFile.h"

#include <cstdint>

namespace quelmark {

class SceneWriter {
public:
    // The line of a request, begun with its keyword; null while no scene
    // file is chosen, since nothing is written then.
    QelLine* begin(const char* keyword);
    // Sends the line, reporting the first argument that could not be written.
    void send();
    // Sends the line without that report, for a request that the state copy
    // checks next and reports on itself.
    void sendUnreported();
    void comment(const char* text);

    SceneFile& file() { return fFile; }

    // The counter's value before it goes up.
    std::uint32_t nextLight() { return fLights++; }
    std::uint32_t nextObject() { return fObjects++; }

    // A basis for "ubasis", "vbasis" or "uvbasis" with its step.
    void setBasisStep(short application, long step);
    // The uniform, varying and vertex counts of a patch mesh in the current steps.
    ParameterCounts patchMeshCounts(short type, long nu, short uwrap, long nv, short vwrap) const;

private:
    SceneFile fFile;
    QelLine fLine;
    std::uint32_t fLights = 0, fObjects = 0;
    long fUStep = 3, fVStep = 3;
};

SceneWriter& sceneWriter();

// Handles are the counters' values, passed back by the caller unchanged.
const void* handleOf(std::uint32_t number);
long numberOf(const void* handle);

// Writes one request line: the keyword, then what fill adds. Arguments that
// cannot be written are reported under the current request name.
template <typename Fill> void writeLine(const char* keyword, Fill fill) {
    SceneWriter& writer = sceneWriter();
    if (QelLine* line = writer.begin(keyword)) {
        fill(*line);
        writer.send();
    }
}

// As writeLine, for the requests that the state copy checks right after.
template <typename Fill> void writeCheckedLine(const char* keyword, Fill fill) {
    SceneWriter& writer = sceneWriter();
    if (QelLine* line = writer.begin(keyword)) {
        fill(*line);
        writer.sendUnreported();
    }
}

// A request line of the keyword alone.
void writeKeyword(const char* keyword);

} // namespace quelmark

#endif
