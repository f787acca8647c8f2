// Runs over shader source before the parser, on tokens, as C's
// preprocessor does: it includes files, expands macros and keeps or drops
// groups of lines by conditions. What it hands on are the tokens of the
// language alone, each with the place where it was written, except that
// the tokens a macro's replacement brings carry the place where the macro
// was used (the outermost use, when macros expand inside macros); tokens
// passed as a macro's arguments keep their own place.
//
// The directives, which may have blanks before their '#':
//   #include "file"   looked for in the including file's folder, then in the
//                     include folders in order
//   #include <file>   looked for in the include folders only
//   #define, #undef   object-like and function-like macros, with # to make
//                     a string of an argument and ## to paste two tokens; a
//                     macro does not expand again inside its own expansion
//   #if, #ifdef, #ifndef, #elif, #else, #endif
//                     #if and #elif take C's integer constant expressions,
//                     in 64-bit integers, with defined NAME and
//                     defined(NAME); a name that is no macro counts 0
//   #error, #warning  an error or a warning with the line's text
//   #line N ["file"]  renumbers the lines that follow
//   #pragma, and '#' alone, which do nothing
// Directives work inside a macro's arguments too, but for #include.
//
// Predefined macros: __FILE__ and __LINE__ (the file's name and the line
// where they are used) and __QUELMARK_SL__ (1), then the caller's defines.
//
// Errors go to the diagnostics, and preprocessing goes on after them. Past
// one of the limits below it stops, with one error, and hands on what it
// has; Diagnostics' TooManyErrors passes through. The limits bound its time
// and memory (a few hundred MiB at most) whatever the source.
#ifndef QEL_SHADINGLANG_PREPROCESSOR_H
#define QEL_SHADINGLANG_PREPROCESSOR_H

#include "shadinglang/Diagnostics.h"
#include "shadinglang/Token.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quelmark::sl {

struct PreprocessOptions {
    std::vector<std::string> includeFolders;
    // As -D gives them: the name, which may carry parameters ("MIX(a,b)"),
    // and the replacement; an empty replacement defines the macro as 1.
    std::vector<std::pair<std::string, std::string>> defines;
};

// The tokens of the file after preprocessing, ending with one kEnd token.
// A file that cannot be read is one error, and the result is kEnd alone.
std::vector<Token> preprocessFile(const std::string& path, const PreprocessOptions& options,
                                  Diagnostics& diagnostics);
// The same for text in memory; name stands for its path, in locations and
// for the folder of its includes.
std::vector<Token> preprocessText(std::string_view text, const std::string& name,
                                  const PreprocessOptions& options, Diagnostics& diagnostics);

namespace preprocesslimits {
// A source file, and all the source read for one preprocessing, in bytes.
constexpr size_t kLargestFile = size_t(64) << 20;
constexpr size_t kMostSourceRead = size_t(256) << 20;
// Files being included inside one another, the main file among them, and
// #include directives carried out, all told.
constexpr int kDeepestInclude = 64;
constexpr size_t kMostIncludes = size_t(1) << 16;
// The tokens read from the files, made by macros and passed as their
// arguments, all told.
constexpr size_t kMostTokens = size_t(1) << 22;
// Macro expansions and arguments being read inside one another.
constexpr size_t kDeepestExpansion = 256;
// Parentheses, operators and ?: nested in an #if expression.
constexpr int kDeepestCondition = 256;
} // namespace preprocesslimits

} // namespace quelmark::sl

#endif
