#include "shadercode/ShaderCode.h"

#include <cstddef>

namespace quelmark::sl {

std::vector<std::int32_t> ShaderCode::parameters() const {
    std::vector<std::int32_t> found;
    for (std::size_t index = 0; index < registers.size(); ++index) {
        const Storage storage = registers[index].storage;
        if (storage == Storage::kParameter || storage == Storage::kOutputParameter)
            found.push_back(std::int32_t(index));
    }
    return found;
}

} // namespace quelmark::sl
