// Splits as the scene driver does before the buckets exist: the children go
// to the scene's waiting list, and the frame is that of the options and
// camera as they stand.
#ifndef QEL_TESTS_PRIMITIVES_SCENESINK_H
#define QEL_TESTS_PRIMITIVES_SCENESINK_H

#include "renderer/geometry/Primitive.h"
#include "renderer/geometry/PrimitiveSink.h"
#include "renderer/scene/Scene.h"
#include "renderer/state/Camera.h"
#include "renderer/state/RenderContext.h"

#include <optional>

using namespace quelmark;

inline RenderContext currentFrame() {
    return RenderContext(*gOption, currentCamera());
}

class SceneSink final : public PrimitiveSink {
public:
    explicit SceneSink(Scene& scene) : fScene(scene) {}
    const RenderContext& context() const override {
        fFrame.emplace(currentFrame());
        return *fFrame;
    }
    void add(Primitive* child) override { fScene.add(child); }
    void subdivide(const Primitive&, const std::function<void()>& requests) override {
        requests();
    }

private:
    Scene& fScene;
    mutable std::optional<RenderContext> fFrame;
};

inline void splitIntoScene(Primitive& primitive) {
    SceneSink sink(*gScene);
    primitive.split(sink);
}

#endif
