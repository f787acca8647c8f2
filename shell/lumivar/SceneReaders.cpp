#include "shell/lumivar/SceneReaders.h"

#include "shell/RendqelSteps.h"
#include "shell/RendribSteps.h"

#include <strings.h>

std::unique_ptr<SceneSteps> SceneReaders::operator()(std::istream& in, const char* fileName,
                                                     String& frameName) const {
    bool rib = fFormat == CommandLine::Format::Rib ||
               (fFormat == CommandLine::Format::ByName && isRibName(fileName ? fileName : ""));
    if (rib) return RendribSteps::make(in, fileName, frameName);
    return RendqelSteps::make(in, fileName, frameName);
}

bool SceneReaders::isRibName(const std::string& name) {
    const size_t length = 4;
    return name.size() >= length && strcasecmp(name.c_str() + name.size() - length, ".rib") == 0;
}
