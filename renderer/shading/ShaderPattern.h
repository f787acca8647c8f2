// The regular expressions of match(): POSIX extended syntax, searched for
// anywhere in the subject.
//
//   c        a byte other than . [ ] ( ) | * + ? { } ^ $ \ stands for itself
//   \c       the byte c itself (\. is a full stop)
//   .        any byte
//   [abc]    one of the bytes; [a-z] a range; [^...] any byte but those;
//            [:alpha:] [:digit:] [:alnum:] [:space:] [:upper:] [:lower:]
//            [:punct:] [:xdigit:] inside the brackets name classes; a ]
//            first in the brackets stands for itself
//   ^ $      the start and the end of the subject
//   (e)      a group;  e|f  either
//   e* e+ e? none or more, one or more, none or one
//   e{n} e{n,} e{n,m}   n times, n or more, n to m (at most 255)
//
// Matching simulates all the ways through the pattern at once, so that it
// takes time in proportion to the subject's length times the pattern's,
// whatever the pattern.
#ifndef QEL_SHADING_SHADERPATTERN_H
#define QEL_SHADING_SHADERPATTERN_H

#include <bitset>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quelmark {

class ShaderPattern {
public:
    // The pattern of the text; none, with the reason, when the text is not
    // a regular expression of the syntax above.
    static std::optional<ShaderPattern> compile(std::string_view text, std::string& error);

    // Whether the pattern matches somewhere in the subject.
    bool foundIn(std::string_view subject) const;

    // The most steps a compiled pattern may take (a{255}{255} would be many).
    static constexpr std::size_t kMaxSteps = 1 << 16;
    static constexpr int kMaxRepeat = 255;

private:
    friend class PatternCompiler;

    // The compiled pattern is a program of steps, run for every way through
    // the pattern at once.
    enum class StepKind : std::uint8_t {
        kByte,  // the byte, then the next step
        kAny,   // any byte
        kClass, // a byte of the class
        kSplit, // both next and other
        kJump,  // other
        kStart, // only at the subject's start
        kEnd,   // only at its end
        kMatch,
    };
    struct Step {
        StepKind kind = StepKind::kMatch;
        unsigned char byte = 0;
        int classIndex = 0;
        int other = 0; // split and jump: where else to go
    };

    ShaderPattern() = default;

    std::vector<Step> fSteps;
    std::vector<std::bitset<256>> fClasses;
};

} // namespace quelmark

#endif
