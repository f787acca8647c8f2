#include "renderer/shading/ShaderPattern.h"

#include <array>
#include <cctype>
#include <utility>

namespace quelmark {

namespace {

// Parentheses nested deeper than this are refused rather than recursed into.
constexpr int kMaxNesting = 200;
constexpr int kByteValues = 256;

// A piece of a parsed pattern.
struct PatternNode {
    enum class Kind { kEmpty, kByte, kAny, kClass, kStart, kEnd, kConcat, kAlternate, kRepeat };
    Kind kind = Kind::kEmpty;
    unsigned char byte = 0;
    int classIndex = 0;
    std::vector<int> children; // concatenated or alternative pieces; the repeated one
    int least = 0, most = 0;   // repeats; most -1 for no limit
};

struct PatternFault {
    std::string reason;
};

[[noreturn]] void fail(std::string reason) {
    throw PatternFault{std::move(reason)};
}

using ByteClass = std::bitset<kByteValues>;

// The bytes of a named class ("alpha", "digit"...) in brackets.
ByteClass namedClass(std::string_view name) {
    using Test = bool (*)(int);
    constexpr std::array<std::pair<std::string_view, Test>, 8> kClasses = {{
        {"alpha", [](int c) { return std::isalpha(c) != 0; }},
        {"digit", [](int c) { return std::isdigit(c) != 0; }},
        {"alnum", [](int c) { return std::isalnum(c) != 0; }},
        {"space", [](int c) { return std::isspace(c) != 0; }},
        {"upper", [](int c) { return std::isupper(c) != 0; }},
        {"lower", [](int c) { return std::islower(c) != 0; }},
        {"punct", [](int c) { return std::ispunct(c) != 0; }},
        {"xdigit", [](int c) { return std::isxdigit(c) != 0; }},
    }};
    for (const auto& [className, test] : kClasses) {
        if (className != name) continue;
        ByteClass bytes;
        // The classic locale's classes: ASCII only.
        for (int byte = 0; byte < 128; ++byte)
            if (test(byte)) bytes.set(std::size_t(byte));
        return bytes;
    }
    fail("unknown class [:" + std::string(name) + ":]");
}

} // namespace

// Parses the text into nodes, then writes the nodes out as steps.
class PatternCompiler {
public:
    explicit PatternCompiler(std::string_view text) : fText(text) {}

    ShaderPattern compile() {
        const int root = alternation(0);
        if (!atEnd()) fail("a ) has no ( before it");
        emit(root);
        push({ShaderPattern::StepKind::kMatch});
        return std::move(fPattern);
    }

private:
    using Kind = PatternNode::Kind;
    using StepKind = ShaderPattern::StepKind;

    bool atEnd() const { return fPos == fText.size(); }
    char peek() const { return fText[fPos]; }
    char take() { return fText[fPos++]; }

    int add(PatternNode node) {
        fNodes.push_back(std::move(node));
        return int(fNodes.size() - 1);
    }
    int leaf(Kind kind, unsigned char byte = 0) {
        PatternNode node;
        node.kind = kind;
        node.byte = byte;
        return add(std::move(node));
    }

    int alternation(int depth) {
        std::vector<int> choices = {concatenation(depth)};
        while (!atEnd() && peek() == '|') {
            take();
            choices.push_back(concatenation(depth));
        }
        if (choices.size() == 1) return choices[0];
        PatternNode node;
        node.kind = Kind::kAlternate;
        node.children = std::move(choices);
        return add(std::move(node));
    }

    int concatenation(int depth) {
        PatternNode node;
        node.kind = Kind::kConcat;
        while (!atEnd() && peek() != '|' && peek() != ')')
            node.children.push_back(repetition(depth));
        if (node.children.empty()) return leaf(Kind::kEmpty);
        if (node.children.size() == 1) return node.children[0];
        return add(std::move(node));
    }

    int repetition(int depth) {
        int piece = atom(depth);
        while (!atEnd()) {
            int least = 0, most = 0;
            const char c = peek();
            if (c == '*')
                most = -1;
            else if (c == '+')
                least = 1, most = -1;
            else if (c == '?')
                most = 1;
            else if (c != '{')
                break;
            take();
            if (c == '{') bounds(least, most);
            PatternNode node;
            node.kind = Kind::kRepeat;
            node.children = {piece};
            node.least = least;
            node.most = most;
            piece = add(std::move(node));
        }
        return piece;
    }

    // After "{": "n}", "n,}" or "n,m}".
    void bounds(int& least, int& most) {
        least = number();
        most = least;
        if (!atEnd() && peek() == ',') {
            take();
            most = !atEnd() && std::isdigit(static_cast<unsigned char>(peek())) ? number() : -1;
        }
        if (atEnd() || take() != '}') fail("a { repeat is not closed by }");
        if (most >= 0 && most < least) fail("a {n,m} repeat has m below n");
    }

    int number() {
        if (atEnd() || !std::isdigit(static_cast<unsigned char>(peek())))
            fail("a { repeat needs a count");
        int value = 0;
        while (!atEnd() && std::isdigit(static_cast<unsigned char>(peek()))) {
            value = value * 10 + (take() - '0');
            if (value > ShaderPattern::kMaxRepeat)
                fail("a repeat count above " + std::to_string(ShaderPattern::kMaxRepeat));
        }
        return value;
    }

    int atom(int depth) {
        const char c = take();
        switch (c) {
        case '(': {
            if (depth == kMaxNesting) fail("groups nested too deep");
            const int group = alternation(depth + 1);
            if (atEnd() || take() != ')') fail("a ( is not closed");
            return group;
        }
        case '[':
            return bracket();
        case '.':
            return leaf(Kind::kAny);
        case '^':
            return leaf(Kind::kStart);
        case '$':
            return leaf(Kind::kEnd);
        case '\\':
            if (atEnd()) fail("the pattern ends with a \\");
            return leaf(Kind::kByte, static_cast<unsigned char>(take()));
        case '*':
        case '+':
        case '?':
        case '{':
            fail(std::string("nothing to repeat before ") + c);
        default:
            return leaf(Kind::kByte, static_cast<unsigned char>(c));
        }
    }

    // After "[": the bytes up to the closing "]".
    int bracket() {
        ByteClass bytes;
        const bool negated = !atEnd() && peek() == '^';
        if (negated) take();
        for (bool first = true;; first = false) {
            if (atEnd()) fail("a [ is not closed");
            const char c = take();
            if (c == ']' && !first) break;
            if (c == '[' && !atEnd() && peek() == ':') {
                take();
                const std::size_t close = fText.find(":]", fPos);
                if (close == std::string_view::npos) fail("a [: class is not closed");
                bytes |= namedClass(fText.substr(fPos, close - fPos));
                fPos = close + 2;
                continue;
            }
            auto low = static_cast<unsigned char>(c), high = low;
            if (fPos + 1 < fText.size() && peek() == '-' && fText[fPos + 1] != ']') {
                take();
                high = static_cast<unsigned char>(take());
                if (high < low) fail("the range in [ ] runs backwards");
            }
            for (int byte = low; byte <= high; ++byte)
                bytes.set(std::size_t(byte));
        }
        if (negated) bytes.flip();
        PatternNode node;
        node.kind = Kind::kClass;
        node.classIndex = int(fPattern.fClasses.size());
        fPattern.fClasses.push_back(bytes);
        return add(std::move(node));
    }

    int here() const { return int(fPattern.fSteps.size()); }
    int push(ShaderPattern::Step step) {
        if (fPattern.fSteps.size() == ShaderPattern::kMaxSteps)
            fail("the pattern is too large once its repeats are written out");
        fPattern.fSteps.push_back(step);
        return here() - 1;
    }
    void pointTo(int step, int target) { fPattern.fSteps[std::size_t(step)].other = target; }

    void emit(int index) {
        const PatternNode& node = fNodes[std::size_t(index)];
        switch (node.kind) {
        case Kind::kEmpty:
            return;
        case Kind::kByte:
            push({StepKind::kByte, node.byte});
            return;
        case Kind::kAny:
            push({StepKind::kAny});
            return;
        case Kind::kClass:
            push({StepKind::kClass, 0, node.classIndex});
            return;
        case Kind::kStart:
            push({StepKind::kStart});
            return;
        case Kind::kEnd:
            push({StepKind::kEnd});
            return;
        case Kind::kConcat:
            for (const int child : node.children)
                emit(child);
            return;
        case Kind::kAlternate:
            emitAlternatives(node.children);
            return;
        case Kind::kRepeat:
            emitRepeat(node.children[0], node.least, node.most);
            return;
        }
    }

    // Split to each choice but the last; each jumps to the end.
    void emitAlternatives(const std::vector<int>& choices) {
        std::vector<int> jumps;
        for (std::size_t k = 0; k + 1 < choices.size(); ++k) {
            const int split = push({StepKind::kSplit});
            emit(choices[k]);
            jumps.push_back(push({StepKind::kJump}));
            pointTo(split, here());
        }
        emit(choices.back());
        for (const int jump : jumps)
            pointTo(jump, here());
    }

    void emitRepeat(int piece, int least, int most) {
        for (int k = 0; k < least; ++k)
            emit(piece);
        if (most < 0) {
            const int loop = push({StepKind::kSplit});
            emit(piece);
            pointTo(push({StepKind::kJump}), loop);
            pointTo(loop, here());
            return;
        }
        std::vector<int> skips;
        for (int k = least; k < most; ++k) {
            skips.push_back(push({StepKind::kSplit}));
            emit(piece);
        }
        for (const int skip : skips)
            pointTo(skip, here());
    }

    std::string_view fText;
    std::size_t fPos = 0;
    std::vector<PatternNode> fNodes;
    ShaderPattern fPattern;
};

std::optional<ShaderPattern> ShaderPattern::compile(std::string_view text, std::string& error) {
    try {
        return PatternCompiler(text).compile();
    } catch (const PatternFault& fault) {
        error = fault.reason;
        return std::nullopt;
    }
}

// Every way through the pattern at once: the steps waiting for the byte at
// each position, a way begun afresh at every position.
bool ShaderPattern::foundIn(std::string_view subject) const {
    std::vector<int> waiting, next, pending;
    std::vector<std::size_t> addedAt(fSteps.size(), std::size_t(-1));
    // Follows the steps that take no byte from start; false at a match.
    const auto reach = [&](int start, std::size_t position, std::vector<int>& into) {
        pending.assign(1, start);
        while (!pending.empty()) {
            const int at = pending.back();
            pending.pop_back();
            if (addedAt[std::size_t(at)] == position) continue;
            addedAt[std::size_t(at)] = position;
            const Step& step = fSteps[std::size_t(at)];
            switch (step.kind) {
            case StepKind::kMatch:
                return true;
            case StepKind::kJump:
                pending.push_back(step.other);
                break;
            case StepKind::kSplit:
                pending.push_back(step.other);
                pending.push_back(at + 1);
                break;
            case StepKind::kStart:
                if (position == 0) pending.push_back(at + 1);
                break;
            case StepKind::kEnd:
                if (position == subject.size()) pending.push_back(at + 1);
                break;
            default:
                into.push_back(at);
                break;
            }
        }
        return false;
    };
    for (std::size_t position = 0;; ++position) {
        if (reach(0, position, waiting)) return true;
        if (position == subject.size()) return false;
        const auto byte = static_cast<unsigned char>(subject[position]);
        next.clear();
        for (const int at : waiting) {
            const Step& step = fSteps[std::size_t(at)];
            const bool takes = step.kind == StepKind::kAny ||
                               (step.kind == StepKind::kByte && step.byte == byte) ||
                               (step.kind == StepKind::kClass &&
                                fClasses[std::size_t(step.classIndex)].test(byte));
            if (takes && reach(at + 1, position + 1, next)) return true;
        }
        std::swap(waiting, next);
    }
}

} // namespace quelmark
