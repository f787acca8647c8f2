#include "shell/RendqelSteps.h"

RendqelSteps::RendqelSteps(std::istream& in, const char* fileName, String& frameName)
    : fReader(in, fileName, frameName) {}

std::unique_ptr<SceneSteps> RendqelSteps::make(std::istream& in, const char* fileName,
                                               String& frameName) {
    return std::make_unique<RendqelSteps>(in, fileName, frameName);
}
