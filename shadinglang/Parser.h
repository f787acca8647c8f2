// Builds the syntax tree of a source file from its preprocessed tokens.
// Each syntax error is reported with its place, and parsing goes on from
// the next statement or definition, so that one run finds several.
#ifndef QEL_SHADINGLANG_PARSER_H
#define QEL_SHADINGLANG_PARSER_H

#include "shadinglang/Ast.h"
#include "shadinglang/Diagnostics.h"
#include "shadinglang/Token.h"

#include <vector>

namespace quelmark::sl {

// Expressions and statements nested deeper than this are an error, not a
// stack that overflows; so is a tree deeper than kDeepestParseTree, counting
// the operators chained in one expression (a + b + c is two deep), which
// the later passes walk recursively.
constexpr int kMostNesting = 200;
constexpr int kDeepestParseTree = 1000;

// tokens end with one kEnd token.
SourceFile parse(const std::vector<Token>& tokens, Diagnostics& diagnostics);

} // namespace quelmark::sl

#endif
