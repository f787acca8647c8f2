// A fresh graphics state and an empty scene for every primitive test.
#ifndef QEL_TESTS_PRIMITIVES_PRIMITIVEFIXTURE_H
#define QEL_TESTS_PRIMITIVES_PRIMITIVEFIXTURE_H

#include "renderer/geometry/Primitive.h"
#include "renderer/scene/Scene.h"
#include "renderer/state/State.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace quelmark;

class PrimitiveFixture : public ::testing::Test {
protected:
    PrimitiveFixture() : fState(std::make_unique<State>()) { gScene = &fScene; }
    ~PrimitiveFixture() override {
        takeChildren();
        fState.reset();
        gScene = nullptr;
    }

    // Everything the scene received since the last call, oldest first.
    std::vector<std::unique_ptr<Primitive>> takeChildren() {
        std::vector<std::unique_ptr<Primitive>> children;
        while (Primitive* child = fScene.takeNext()) children.emplace_back(child);
        return children;
    }

    Scene fScene;
    std::unique_ptr<State> fState;
};

#endif
