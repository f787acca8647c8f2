// A parameter list read from a scene file: parallel arrays of quarks, value
// pointers and item counts, owning copies of the values.
#ifndef QEL_SCENEREAD_TOKENVALUE_H
#define QEL_SCENEREAD_TOKENVALUE_H

#include <memory>
#include <string>
#include <vector>

namespace quelmark {

class tokenvalue {
public:
    tokenvalue() = default;
    tokenvalue(const tokenvalue&) = delete;
    tokenvalue& operator=(const tokenvalue&) = delete;

    // Copies the values: floats (items times the type's width) for every
    // numeric type but integer, longs for integers, one string as a
    // one-element array of pointers to its copy.
    void append(unsigned short quark, long items, std::vector<float> floats);
    void append(unsigned short quark, long items, std::vector<long> integers);
    void append(unsigned short quark, const std::string& text);

    long n() const { return long(fQuarks.size()); }
    const unsigned short* tokens() const { return fQuarks.data(); }
    void* const* values() const { return fValues.data(); }
    long items(long k) const { return fItems[size_t(k)]; }
    unsigned short quark(long k) const { return fQuarks[size_t(k)]; }

private:
    struct Block {
        std::vector<float> floats;
        std::vector<long> integers;
        std::string text;
        const char* textPointer = nullptr;
    };
    void add(unsigned short quark, long items, std::unique_ptr<Block> block, void* value);

    std::vector<unsigned short> fQuarks;
    std::vector<void*> fValues;
    std::vector<long> fItems;
    std::vector<std::unique_ptr<Block>> fBlocks;
};

} // namespace quelmark

#endif
