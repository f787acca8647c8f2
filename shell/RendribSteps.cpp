#include "shell/RendribSteps.h"

RendribSteps::RendribSteps(std::istream& in, const char* fileName, String& frameName)
    : fReader(in, fileName, frameName) {}

std::unique_ptr<SceneSteps> RendribSteps::make(std::istream& in, const char* fileName,
                                               String& frameName) {
    return std::make_unique<RendribSteps>(in, fileName, frameName);
}
