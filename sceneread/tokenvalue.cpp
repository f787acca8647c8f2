#include "sceneread/tokenvalue.h"

#include <utility>

namespace quelmark {

void tokenvalue::add(unsigned short quark, long items, std::unique_ptr<Block> block, void* value) {
    fQuarks.push_back(quark);
    fValues.push_back(value);
    fItems.push_back(items);
    fBlocks.push_back(std::move(block));
}

void tokenvalue::append(unsigned short quark, long items, std::vector<float> floats) {
    auto block = std::make_unique<Block>();
    block->floats = std::move(floats);
    void* value = block->floats.data();
    add(quark, items, std::move(block), value);
}

void tokenvalue::append(unsigned short quark, long items, std::vector<long> integers) {
    auto block = std::make_unique<Block>();
    block->integers = std::move(integers);
    void* value = block->integers.data();
    add(quark, items, std::move(block), value);
}

void tokenvalue::append(unsigned short quark, const std::string& text) {
    auto block = std::make_unique<Block>();
    block->text = text;
    block->textPointer = block->text.c_str();
    void* value = &block->textPointer;
    add(quark, 1, std::move(block), value);
}

} // namespace quelmark
