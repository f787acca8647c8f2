// The blocks a scene file has begun and not yet ended, with the lines they
// began at, so that a file ending inside one can say which.
#ifndef QEL_SCENEREAD_OPENBLOCKS_H
#define QEL_SCENEREAD_OPENBLOCKS_H

#include <cstddef>
#include <string>
#include <vector>

namespace quelmark {

class OpenBlocks {
public:
    enum class Kind { Frame, Scene, World, Attribute, Transform, Object, Archive, Motion, Solid };

    void open(Kind kind, long line);
    // Ends the innermost block of the kind and those begun inside it; a
    // kind that is not open changes nothing.
    void close(Kind kind);
    void clear() { fBlocks.clear(); }
    bool empty() const { return fBlocks.empty(); }

    // "the scene begun at line 12", innermost first: "the attribute block
    // begun at line 40, in the scene begun at line 12".
    std::string describe() const;

    static const char* nameOf(Kind kind);

    // Deeper blocks are counted, not kept.
    static constexpr size_t kMostKept = size_t(1) << 16;

private:
    struct Block {
        Kind kind;
        long line;
    };
    std::vector<Block> fBlocks;
    size_t fUnkept = 0; // blocks begun beyond the kept ones
};

} // namespace quelmark

#endif
