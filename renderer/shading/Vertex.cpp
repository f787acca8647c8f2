#include "renderer/shading/Vertex.h"

#include <cstddef>
#include <memory>
#include <new>

namespace quelmark {

namespace {

// The row pointers, then the vertices, aligned for them.
std::size_t vertexOffset(int vsteps) {
    const std::size_t pointers = sizeof(Vertex*) * std::size_t(vsteps + 1);
    return (pointers + alignof(Vertex) - 1) / alignof(Vertex) * alignof(Vertex);
}

} // namespace

Vertex** allocVertices(int usteps, int vsteps) {
    const std::size_t perRow = std::size_t(usteps + 1), count = perRow * std::size_t(vsteps + 1);
    const std::size_t offset = vertexOffset(vsteps);
    auto* block = static_cast<std::byte*>(::operator new(offset + sizeof(Vertex) * count));
    auto** rows = reinterpret_cast<Vertex**>(block);
    auto* vertices = reinterpret_cast<Vertex*>(block + offset);
    std::uninitialized_value_construct_n(vertices, count);
    for (int j = 0; j <= vsteps; ++j)
        rows[j] = vertices + perRow * std::size_t(j);
    return rows;
}

void freeVertices(Vertex** rows) {
    ::operator delete(static_cast<void*>(rows));
}

} // namespace quelmark
