#include "shell/lumivar/SceneReaders.h"

#include "shell/RendqelSteps.h"
#include "shell/RendribSteps.h"

#include <cstring>
#include <strings.h>

namespace quelmark {

std::unique_ptr<SceneSteps> SceneReaders::operator()(std::istream& in, const char* fileName,
                                                     String& frameName) const {
    bool rib = fFormat == CommandLine::Format::Rib ||
               (fFormat == CommandLine::Format::ByName && isRibName(fileName ? fileName : ""));
    if (rib) return RendribSteps::make(in, fileName, frameName);
    return RendqelSteps::make(in, fileName, frameName);
}

namespace {

bool endsWith(const std::string& name, const char* ending) {
    size_t length = std::strlen(ending);
    return name.size() >= length && strcasecmp(name.c_str() + name.size() - length, ending) == 0;
}

} // namespace

bool SceneReaders::isRibName(const std::string& name) {
    return endsWith(name, ".rib") || endsWith(name, ".rib.gz") || endsWith(name, ".ribz");
}

} // namespace quelmark
