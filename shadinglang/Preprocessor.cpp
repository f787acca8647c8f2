#include "shadinglang/Preprocessor.h"

#include "shadinglang/Lexer.h"
#include "shadinglang/SourceFile.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdint>
#include <iterator>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <system_error>
#include <unordered_map>
#include <unordered_set>

namespace quelmark::sl {

namespace {

using namespace preprocesslimits;

constexpr const char* kCommandLine = "<command line>";
constexpr int kNoParameter = -1;
constexpr int kLargestLineNumber = INT_MAX;

// Thrown to abandon preprocessing past a limit, once its error is reported.
struct Abandoned {};

struct PpToken : Lexeme {
    // False once the token named a macro inside that macro's own
    // expansion: it never expands again, wherever it goes.
    bool mayExpand = true;
};

using Tokens = std::vector<PpToken>;

PpToken ppToken(Lexeme lexeme) {
    PpToken token;
    static_cast<Lexeme&>(token) = std::move(lexeme);
    return token;
}

// Identifiers and keywords: the only tokens whose kind their text names.
bool isWord(const Lexeme& lexeme) {
    return keywordKind(lexeme.token.text) == lexeme.token.kind;
}
bool is(const Lexeme& lexeme, TokenKind kind) {
    return lexeme.punctuator == Punctuator::kNone && lexeme.token.kind == kind;
}
bool is(const Lexeme& lexeme, Punctuator punctuator) {
    return lexeme.punctuator == punctuator;
}
bool isWordNamed(const Lexeme& lexeme, std::string_view name) {
    return isWord(lexeme) && lexeme.token.text == name;
}

std::string octalEscape(unsigned char c) {
    return {'\\', char('0' + (c >> 6)), char('0' + ((c >> 3) & 7)), char('0' + (c & 7))};
}

// A string's value written as a string token, in quotes and with escapes.
std::string quoted(std::string_view value) {
    constexpr unsigned char kFirstPrintable = 0x20, kDelete = 0x7F;
    std::string text = "\"";
    for (char c : value) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\')
            text += {'\\', c};
        else if (c == '\n')
            text += "\\n";
        else if (c == '\t')
            text += "\\t";
        else if (byte < kFirstPrintable || byte == kDelete)
            text += octalEscape(byte);
        else
            text += c;
    }
    return text + '"';
}

std::string spelling(const Lexeme& lexeme) {
    if (is(lexeme, TokenKind::kString)) return quoted(lexeme.token.text);
    return lexeme.token.text;
}

// The tokens as they were written, with one space where blanks came between.
std::string spelled(const Tokens& tokens) {
    std::string text;
    for (const PpToken& token : tokens) {
        if (!text.empty() && token.spaceBefore) text += ' ';
        text += spelling(token);
    }
    return text;
}

PpToken numberToken(int64_t value, const SourceLocation& at) {
    PpToken token;
    token.token = {TokenKind::kNumber, std::to_string(value), double(value), at};
    return token;
}

// The one token the text makes, if it makes exactly one without a complaint.
std::optional<Lexeme> lexOne(const std::string& text, const SourceLocation& at) {
    Diagnostics complaints;
    try {
        Lexer lexer(text, at.file, complaints);
        Lexeme first = lexer.next();
        bool single = !first.isEnd() && lexer.next().isEnd();
        if (!single || complaints.errors() > 0 || complaints.warnings() > 0) return std::nullopt;
        first.token.location = at;
        return first;
    } catch (const TooManyErrors&) {
        return std::nullopt;
    }
}

// --- Files ---

std::string folderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return "";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string joinPath(const std::string& folder, const std::string& name) {
    if (folder.empty() || name.starts_with('/')) return name;
    return folder.ends_with('/') ? folder + name : folder + '/' + name;
}

// Reads a whole source file into text; the error message when it cannot,
// with the file named as shownName.
std::optional<std::string> readSourceFile(const std::string& path, const std::string& shownName,
                                          std::string& text) {
    std::string reason;
    std::optional<std::string> read = readSourceText(path, reason);
    if (!read) return "cannot open '" + shownName + "': " + reason;
    text = std::move(*read);
    return std::nullopt;
}

// --- What the preprocessor keeps ---

enum class Builtin { kNone, kFile, kLine };

struct Macro {
    std::string name;
    bool functionLike = false;
    std::vector<std::string> parameters;
    Tokens body;
    std::vector<int> parameterOf; // for each body token, the parameter it names
    std::vector<bool> usedRaw;    // for each parameter, whether # or ## takes it as written
    SourceLocation where;
    Builtin builtin = Builtin::kNone;
    bool expanding = false; // its expansion is being read: it does not expand again

    bool sameDefinition(const Macro& other) const {
        auto sameToken = [](const PpToken& a, const PpToken& b) {
            return a.punctuator == b.punctuator && a.token.kind == b.token.kind &&
                   spelling(a) == spelling(b) && a.spaceBefore == b.spaceBefore;
        };
        return functionLike == other.functionLike && parameters == other.parameters &&
               builtin == other.builtin &&
               std::equal(body.begin(), body.end(), other.body.begin(), other.body.end(),
                          sameToken);
    }
};

// Finds where the body uses its parameters, and how.
void findParameters(Macro& macro) {
    std::unordered_map<std::string_view, int> parameterIndex;
    for (size_t index = 0; index < macro.parameters.size(); ++index)
        parameterIndex.emplace(macro.parameters[index], int(index));
    const Tokens& body = macro.body;
    macro.parameterOf.assign(body.size(), kNoParameter);
    macro.usedRaw.assign(macro.parameters.size(), false);
    for (size_t index = 0; index < body.size(); ++index) {
        auto found = isWord(body[index]) ? parameterIndex.find(body[index].token.text)
                                         : parameterIndex.end();
        if (found == parameterIndex.end()) continue;
        macro.parameterOf[index] = found->second;
        bool afterOperator =
            index > 0 && (is(body[index - 1], Punctuator::kHashHash) ||
                          (macro.functionLike && is(body[index - 1], Punctuator::kHash)));
        bool beforePaste = index + 1 < body.size() && is(body[index + 1], Punctuator::kHashHash);
        if (afterOperator || beforePaste) macro.usedRaw[size_t(found->second)] = true;
    }
}

// The tokens a macro made, or an argument, read in turn.
struct Expansion {
    Tokens tokens;
    size_t next = 0;
    std::shared_ptr<Macro> macro; // null for an argument expanded on its own

    bool done() const { return next == tokens.size(); }
};

struct OpenConditional {
    SourceLocation where;
    std::string directive; // "#if", "#ifdef" or "#ifndef"
    bool taken = false;    // one of its groups was kept
    bool sawElse = false;
};

struct Source {
    Source(std::string content, std::shared_ptr<const std::string> name, std::string folder,
           Diagnostics& diagnostics)
        : text(std::move(content)), folder(std::move(folder)),
          lexer(text, std::move(name), diagnostics) {}

    std::string text;
    std::string folder; // where its includes are looked for first
    Lexer lexer;
    std::vector<OpenConditional> conditionals;
};

// --- Conditions ---

// Evaluates the expression of an #if or #elif, its macros expanded, in
// 64-bit integers that wrap around.
class ConditionEvaluator {
public:
    ConditionEvaluator(const Tokens& tokens, std::string directive, const SourceLocation& where,
                       Diagnostics& diagnostics)
        : fTokens(tokens), fDirective(std::move(directive)), fWhere(where),
          fDiagnostics(diagnostics) {}

    // The value, or nothing after the one error reported.
    std::optional<int64_t> evaluate() {
        try {
            int64_t value = conditional(true);
            if (fNext < fTokens.size()) unexpected(fTokens[fNext]);
            return value;
        } catch (const Failed&) {
            return std::nullopt;
        }
    }

private:
    struct Failed {};

    enum class Operator {
        kOr,
        kAnd,
        kBitOr,
        kBitXor,
        kBitAnd,
        kEqual,
        kNotEqual,
        kLess,
        kLessEqual,
        kGreater,
        kGreaterEqual,
        kShiftLeft,
        kShiftRight,
        kAdd,
        kSubtract,
        kMultiply,
        kDivide,
        kRemainder,
    };
    struct Binary {
        Operator op;
        int precedence; // C's: from 1 for || to 10 for * / %
    };

    class Nesting {
    public:
        explicit Nesting(ConditionEvaluator& evaluator) : fEvaluator(evaluator) {
            if (++fEvaluator.fDepth > kDeepestCondition)
                fEvaluator.fail(fEvaluator.fWhere, "the " + fEvaluator.fDirective +
                                                       " expression is nested too deeply");
        }
        ~Nesting() { --fEvaluator.fDepth; }
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;

    private:
        ConditionEvaluator& fEvaluator;
    };

    // While not live, a value is worked out but never used: dividing by 0
    // there is no error, as in 0 && 1 / 0.
    int64_t conditional(bool live) {
        Nesting nesting(*this);
        int64_t condition = binary(1, live);
        if (!take(TokenKind::kQuestion)) return condition;
        int64_t ifTrue = conditional(live && condition != 0);
        if (!take(TokenKind::kColon)) fail(here(), "expected ':' in " + fDirective);
        int64_t ifFalse = conditional(live && condition == 0);
        return condition != 0 ? ifTrue : ifFalse;
    }

    int64_t binary(int lowestPrecedence, bool live) {
        int64_t left = unary(live);
        for (;;) {
            std::optional<Binary> next = fNext < fTokens.size() ? binaryAt(fNext) : std::nullopt;
            if (!next || next->precedence < lowestPrecedence) return left;
            const PpToken& at = fTokens[fNext++];
            bool rightLive = live && !(next->op == Operator::kAnd && left == 0) &&
                             !(next->op == Operator::kOr && left != 0);
            int64_t right = binary(next->precedence + 1, rightLive);
            left = apply(next->op, left, right, rightLive, at);
        }
    }

    int64_t unary(bool live) {
        Nesting nesting(*this);
        if (take(TokenKind::kPlus)) return unary(live);
        if (take(TokenKind::kMinus)) return int64_t(0 - uint64_t(unary(live)));
        if (take(TokenKind::kNot)) return unary(live) == 0;
        if (fNext < fTokens.size() && is(fTokens[fNext], Punctuator::kTilde)) {
            ++fNext;
            return ~unary(live);
        }
        return primary(live);
    }

    int64_t primary(bool live) {
        if (fNext == fTokens.size())
            fail(here(), "the " + fDirective + " expression ends too soon");
        const PpToken& token = fTokens[fNext++];
        if (is(token, TokenKind::kLeftParen)) {
            int64_t value = conditional(live);
            if (!take(TokenKind::kRightParen)) fail(here(), "expected ')' in " + fDirective);
            return value;
        }
        if (is(token, TokenKind::kNumber)) return integer(token);
        if (isWord(token)) return 0; // not a macro
        unexpected(token);
    }

    int64_t integer(const PpToken& token) {
        const std::string& text = token.token.text;
        if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
            fail(token.token.location,
                 "'" + text + "' is not an integer, as " + fDirective + " needs");
        int64_t value = 0;
        auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (failure != std::errc())
            fail(token.token.location, "integer '" + text + "' is too large");
        return value;
    }

    int64_t apply(Operator op, int64_t left, int64_t right, bool live, const PpToken& at) {
        constexpr int64_t kBits = 64;
        uint64_t a = uint64_t(left), b = uint64_t(right);
        switch (op) {
        case Operator::kOr:
            return left != 0 || right != 0;
        case Operator::kAnd:
            return left != 0 && right != 0;
        case Operator::kBitOr:
            return left | right;
        case Operator::kBitXor:
            return left ^ right;
        case Operator::kBitAnd:
            return left & right;
        case Operator::kEqual:
            return left == right;
        case Operator::kNotEqual:
            return left != right;
        case Operator::kLess:
            return left < right;
        case Operator::kLessEqual:
            return left <= right;
        case Operator::kGreater:
            return left > right;
        case Operator::kGreaterEqual:
            return left >= right;
        case Operator::kAdd:
            return int64_t(a + b);
        case Operator::kSubtract:
            return int64_t(a - b);
        case Operator::kMultiply:
            return int64_t(a * b);
        case Operator::kShiftLeft:
        case Operator::kShiftRight:
            if (right < 0 || right >= kBits) {
                if (live)
                    fail(at.token.location,
                         "shift by " + std::to_string(right) + " in " + fDirective);
                return 0;
            }
            return op == Operator::kShiftLeft ? int64_t(a << right) : left >> right;
        case Operator::kDivide:
        case Operator::kRemainder:
            if (right == 0) {
                if (live) fail(at.token.location, "division by zero in " + fDirective);
                return 0;
            }
            if (right == -1) return op == Operator::kDivide ? int64_t(0 - a) : 0; // wraps
            return op == Operator::kDivide ? left / right : left % right;
        }
        return 0;
    }

    std::optional<Binary> binaryAt(size_t index) const {
        const PpToken& token = fTokens[index];
        switch (token.punctuator) {
        case Punctuator::kPercent:
            return Binary{Operator::kRemainder, 10};
        case Punctuator::kShiftLeft:
            return Binary{Operator::kShiftLeft, 8};
        case Punctuator::kShiftRight:
            return Binary{Operator::kShiftRight, 8};
        case Punctuator::kAmpersand:
            return Binary{Operator::kBitAnd, 5};
        case Punctuator::kBar:
            return Binary{Operator::kBitOr, 3};
        case Punctuator::kNone:
            break;
        default:
            return std::nullopt;
        }
        switch (token.token.kind) {
        case TokenKind::kStar:
            return Binary{Operator::kMultiply, 10};
        case TokenKind::kSlash:
            return Binary{Operator::kDivide, 10};
        case TokenKind::kPlus:
            return Binary{Operator::kAdd, 9};
        case TokenKind::kMinus:
            return Binary{Operator::kSubtract, 9};
        case TokenKind::kLess:
            return Binary{Operator::kLess, 7};
        case TokenKind::kLessEqual:
            return Binary{Operator::kLessEqual, 7};
        case TokenKind::kGreater:
            return Binary{Operator::kGreater, 7};
        case TokenKind::kGreaterEqual:
            return Binary{Operator::kGreaterEqual, 7};
        case TokenKind::kEqual:
            return Binary{Operator::kEqual, 6};
        case TokenKind::kNotEqual:
            return Binary{Operator::kNotEqual, 6};
        case TokenKind::kCaret:
            return Binary{Operator::kBitXor, 4};
        case TokenKind::kAnd:
            return Binary{Operator::kAnd, 2};
        case TokenKind::kOr:
            return Binary{Operator::kOr, 1};
        default:
            return std::nullopt;
        }
    }

    bool take(TokenKind kind) {
        if (fNext == fTokens.size() || !is(fTokens[fNext], kind)) return false;
        ++fNext;
        return true;
    }

    const SourceLocation& here() const {
        return fNext < fTokens.size() ? fTokens[fNext].token.location : fWhere;
    }

    [[noreturn]] void unexpected(const PpToken& token) {
        fail(token.token.location, "unexpected '" + spelling(token) + "' in " + fDirective);
    }

    [[noreturn]] void fail(const SourceLocation& at, std::string message) {
        fDiagnostics.error(at, std::move(message));
        throw Failed{};
    }

    const Tokens& fTokens;
    std::string fDirective;
    SourceLocation fWhere;
    Diagnostics& fDiagnostics;
    size_t fNext = 0;
    int fDepth = 0;
};

// --- The preprocessor ---

using Arguments = std::vector<Tokens>;

// Where the reading of tokens begins in the expansions. The reading of the
// files goes on from the expansions into the files; an argument or a
// condition is read alone, from its own expansion and those it makes,
// while the expansions below wait.
struct Reading {
    size_t floor = 0;
    bool alone = false;
};

class Preprocessor {
public:
    Preprocessor(const PreprocessOptions& options, Diagnostics& diagnostics)
        : fOptions(options), fDiagnostics(diagnostics) {}

    std::vector<Token> run(std::string text, const std::string& name);

private:
    void predefine();
    void defineFromText(const std::string& name, const std::string& replacement);
    void emit(PpToken& token);
    void charge(size_t tokens, const SourceLocation& at);

    // Files.
    void enterSource(std::string text, const std::string& path, const SourceLocation& at);
    bool leaveSource();
    void reportOpenConditionals(Source& source);
    Lexeme lex();
    Lexeme rawFileToken();
    const Lexeme& peekFileToken();
    Lexeme fileToken(bool inArguments);
    Tokens restOfLine(bool quiet = false);

    // Directives.
    void directive(const SourceLocation& hash, bool inArguments);
    void include(const SourceLocation& hash, bool inArguments);
    std::optional<Lexer::HeaderName> computedHeaderName(Tokens line, const SourceLocation& hash);
    void enterIncludedFile(const Lexer::HeaderName& header, const SourceLocation& hash);
    void define(Tokens line, const SourceLocation& hash);
    std::shared_ptr<Macro> parseDefinition(Tokens line, const SourceLocation& hash);
    std::optional<size_t> parseParameters(const Tokens& line, Macro& macro);
    bool prepareBody(Macro& macro);
    void undefine(const Tokens& line, const SourceLocation& hash);
    void lineDirective(Tokens line, const SourceLocation& hash);
    void warnOfExtraTokens(const Tokens& line, size_t expected, const std::string& directive);

    // Conditionals.
    void openConditional(const SourceLocation& hash, std::string directive, bool keep);
    bool macroNamed(const Tokens& line, const SourceLocation& hash, const std::string& directive);
    bool condition(Tokens line, const SourceLocation& hash, const std::string& directive);
    std::optional<Tokens> expandCondition(Tokens line, const SourceLocation& hash);
    std::optional<PpToken> definedOperator(const PpToken& keyword);
    OpenConditional* innermostConditional(const SourceLocation& hash, const std::string& directive);
    bool elseKeeps(const SourceLocation& hash, const Tokens& line, bool skipping);
    bool elifKeeps(const SourceLocation& hash, Tokens line, bool skipping);
    void endifDirective(const SourceLocation& hash, const Tokens& line);
    void skipUnless(bool keep) {
        if (!keep) skipGroup();
    }
    void skipGroup();

    // Macro expansion.
    std::optional<PpToken> rawToken(bool inArguments);
    std::optional<PpToken> expandedToken();
    Tokens expandAlone(Tokens tokens, const SourceLocation& at);
    Reading readAlone(Tokens tokens, const SourceLocation& at);
    void enterExpansion(Tokens tokens, std::shared_ptr<Macro> macro, const SourceLocation& at);
    void leaveExpansion();
    bool nextIsLeftParen();
    void expand(const std::shared_ptr<Macro>& macro, const PpToken& use);
    std::optional<Arguments> collectArguments(const Macro& macro, const PpToken& use);
    Tokens substitute(const Macro& macro, Arguments arguments, const SourceLocation& at);
    PpToken stringized(const Tokens& argument, const PpToken& hash, const SourceLocation& at);
    void paste(Tokens& result, const PpToken& right, const SourceLocation& at);
    PpToken builtinValue(const Macro& macro, const PpToken& use);

    const PreprocessOptions& fOptions;
    Diagnostics& fDiagnostics;
    std::unordered_map<std::string, std::shared_ptr<Macro>> fMacros;
    std::vector<std::unique_ptr<Source>> fSources; // the main file, then the files it includes
    std::optional<Lexeme> fLookahead;              // read from the files, not yet taken
    std::vector<Expansion> fExpansions;
    Reading fReading;
    size_t fTokensMade = 0, fSourceRead = 0, fIncludes = 0;
    std::vector<Token> fOutput;
};

std::vector<Token> Preprocessor::run(std::string text, const std::string& name) {
    auto where = SourceLocation{std::make_shared<const std::string>(name), 1, 1};
    predefine();
    enterSource(std::move(text), name, where);
    try {
        for (;;) {
            PpToken token = *expandedToken(); // the files always give one
            if (token.isEnd()) break;
            emit(token);
        }
    } catch (const Abandoned&) {
    }
    fOutput.push_back({TokenKind::kEnd, "", 0, fSources.front()->lexer.location()});
    return std::move(fOutput);
}

void Preprocessor::predefine() {
    for (auto [name, builtin] :
         {std::pair{"__FILE__", Builtin::kFile}, std::pair{"__LINE__", Builtin::kLine}}) {
        auto macro = std::make_shared<Macro>();
        macro->name = name;
        macro->builtin = builtin;
        fMacros[name] = std::move(macro);
    }
    defineFromText("__QUELMARK_SL__", "1");
    for (const auto& [name, replacement] : fOptions.defines)
        defineFromText(name, replacement.empty() ? "1" : replacement);
}

void Preprocessor::defineFromText(const std::string& name, const std::string& replacement) {
    std::string text = name + ' ' + replacement;
    auto file = std::make_shared<const std::string>(kCommandLine);
    Lexer lexer(text, file, fDiagnostics);
    Tokens line;
    for (Lexeme lexeme = lexer.next(); !lexeme.isEnd(); lexeme = lexer.next())
        line.push_back(ppToken(std::move(lexeme)));
    define(std::move(line), SourceLocation{file, 0, 0});
}

void Preprocessor::emit(PpToken& token) {
    if (token.punctuator == Punctuator::kNone) {
        fOutput.push_back(std::move(token.token));
        return;
    }
    if (token.punctuator == Punctuator::kStray)
        fDiagnostics.error(token.token.location, "unexpected character '" + token.token.text + "'");
    else
        fDiagnostics.error(token.token.location, "unexpected '" + token.token.text + "'");
}

void Preprocessor::charge(size_t tokens, const SourceLocation& at) {
    fTokensMade += tokens;
    if (fTokensMade <= kMostTokens) return;
    fDiagnostics.error(at, "the source makes more than " + std::to_string(kMostTokens) +
                               " tokens (a macro that expands without end?)");
    throw Abandoned{};
}

// --- Files ---

void Preprocessor::enterSource(std::string text, const std::string& path,
                               const SourceLocation& at) {
    fSourceRead += text.size();
    if (fSourceRead > kMostSourceRead) {
        fDiagnostics.error(at, "more than " + std::to_string(kMostSourceRead >> 20) +
                                   " MiB of source read, includes and all");
        throw Abandoned{};
    }
    auto name = std::make_shared<const std::string>(path);
    fSources.push_back(
        std::make_unique<Source>(std::move(text), name, folderOf(path), fDiagnostics));
}

// Closes the innermost file at its end; false for the main file, which stays.
bool Preprocessor::leaveSource() {
    reportOpenConditionals(*fSources.back());
    if (fSources.size() == 1) return false;
    fSources.pop_back();
    return true;
}

void Preprocessor::reportOpenConditionals(Source& source) {
    for (const OpenConditional& open : source.conditionals)
        fDiagnostics.error(open.where, "unterminated '" + open.directive +
                                           "': the file ends before its '#endif'");
    source.conditionals.clear();
}

Lexeme Preprocessor::lex() {
    Lexeme lexeme = fSources.back()->lexer.next();
    charge(1, lexeme.token.location);
    return lexeme;
}

// The next token of the files, directives left in; an included file that
// ends gives way to the file that included it.
Lexeme Preprocessor::rawFileToken() {
    if (fLookahead) {
        Lexeme lexeme = std::move(*fLookahead);
        fLookahead.reset();
        return lexeme;
    }
    for (;;) {
        Lexeme lexeme = lex();
        if (!lexeme.isEnd() || !leaveSource()) return lexeme;
    }
}

const Lexeme& Preprocessor::peekFileToken() {
    if (!fLookahead) fLookahead = rawFileToken();
    return *fLookahead;
}

// The next token of the files once directives are done. Inside the
// arguments of a macro, directives work but for #include.
Lexeme Preprocessor::fileToken(bool inArguments) {
    for (;;) {
        Lexeme lexeme = rawFileToken();
        if (!lexeme.startsLine || !is(lexeme, Punctuator::kHash)) return lexeme;
        directive(lexeme.token.location, inArguments);
    }
}

Tokens Preprocessor::restOfLine(bool quiet) {
    Lexer& lexer = fSources.back()->lexer;
    lexer.setQuiet(quiet);
    Tokens tokens;
    while (!lexer.atLineEnd())
        tokens.push_back(ppToken(lex()));
    lexer.setQuiet(false);
    return tokens;
}

// --- Directives ---

void Preprocessor::directive(const SourceLocation& hash, bool inArguments) {
    if (fSources.back()->lexer.atLineEnd()) return; // '#' alone
    Lexeme name = lex();
    std::string word = isWord(name) ? name.token.text : "";
    if (word == "include") return include(hash, inArguments);
    bool quiet = word == "error" || word == "warning" || word == "pragma" || word.empty();
    Tokens line = restOfLine(quiet);
    if (word == "define")
        define(std::move(line), hash);
    else if (word == "undef")
        undefine(line, hash);
    else if (word == "if")
        openConditional(hash, "#if", condition(std::move(line), hash, "#if"));
    else if (word == "ifdef")
        openConditional(hash, "#ifdef", macroNamed(line, hash, "#ifdef"));
    else if (word == "ifndef")
        openConditional(hash, "#ifndef", !macroNamed(line, hash, "#ifndef"));
    else if (word == "elif")
        skipUnless(elifKeeps(hash, std::move(line), false));
    else if (word == "else")
        skipUnless(elseKeeps(hash, line, false));
    else if (word == "endif")
        endifDirective(hash, line);
    else if (word == "error")
        fDiagnostics.error(hash, "#error " + spelled(line));
    else if (word == "warning")
        fDiagnostics.warning(hash, "#warning " + spelled(line));
    else if (word == "line")
        lineDirective(std::move(line), hash);
    else if (word != "pragma")
        fDiagnostics.error(name.token.location, "unknown directive '#" + spelling(name) + "'");
}

void Preprocessor::include(const SourceLocation& hash, bool inArguments) {
    if (inArguments) {
        fDiagnostics.error(hash, "#include inside the arguments of a macro");
        restOfLine(true);
        return;
    }
    std::optional<Lexer::HeaderName> header = fSources.back()->lexer.headerName();
    if (!header) {
        header = computedHeaderName(restOfLine(), hash);
    } else if (!restOfLine(true).empty() && header->closed) {
        fDiagnostics.warning(hash, "extra tokens after the file name of #include");
    }
    if (!header || !header->closed) return;
    if (header->name.empty()) {
        fDiagnostics.error(hash, "#include with an empty file name");
    } else if (fSources.size() >= size_t(kDeepestInclude)) {
        fDiagnostics.error(hash, "#include nested more than " + std::to_string(kDeepestInclude) +
                                     " deep (does a file include itself?)");
    } else {
        enterIncludedFile(*header, hash);
    }
}

// The file name of #include MACRO, once the macro is expanded.
std::optional<Lexer::HeaderName> Preprocessor::computedHeaderName(Tokens line,
                                                                  const SourceLocation& hash) {
    Tokens tokens = expandAlone(std::move(line), hash);
    if (tokens.size() == 1 && is(tokens[0], TokenKind::kString))
        return Lexer::HeaderName{tokens[0].token.text};
    if (tokens.size() >= 2 && is(tokens.front(), TokenKind::kLess) &&
        is(tokens.back(), TokenKind::kGreater)) {
        tokens.erase(tokens.begin());
        tokens.pop_back();
        return Lexer::HeaderName{spelled(tokens), true};
    }
    fDiagnostics.error(hash, "#include needs \"file\" or <file>");
    return std::nullopt;
}

void Preprocessor::enterIncludedFile(const Lexer::HeaderName& header, const SourceLocation& hash) {
    const std::string& name = header.name;
    std::vector<std::string> candidates;
    if (name.starts_with('/')) {
        candidates.push_back(name);
    } else {
        if (!header.angled) candidates.push_back(joinPath(fSources.back()->folder, name));
        for (const std::string& folder : fOptions.includeFolders)
            candidates.push_back(joinPath(folder, name));
    }
    if (++fIncludes > kMostIncludes) {
        fDiagnostics.error(hash, "more than " + std::to_string(kMostIncludes) + " files included");
        throw Abandoned{};
    }
    int reason = ENOENT;
    for (const std::string& path : candidates) {
        struct stat info;
        if (::stat(path.c_str(), &info) == 0) {
            std::string text;
            if (std::optional<std::string> failure = readSourceFile(path, name, text))
                fDiagnostics.error(hash, *failure);
            else
                enterSource(std::move(text), path, hash);
            return;
        }
        if (reason == ENOENT && errno != ENOTDIR) reason = errno;
    }
    fDiagnostics.error(hash,
                       "cannot open '" + name + "': " + std::generic_category().message(reason));
}

void Preprocessor::define(Tokens line, const SourceLocation& hash) {
    std::shared_ptr<Macro> macro = parseDefinition(std::move(line), hash);
    if (!macro) return;
    auto [place, added] = fMacros.try_emplace(macro->name, macro);
    if (added) return;
    if (!place->second->sameDefinition(*macro)) {
        const SourceLocation& before = place->second->where;
        std::string previous = before.line > 0 ? " (it was defined at " + before.fileName() + ":" +
                                                     std::to_string(before.line) + ")"
                                               : "";
        fDiagnostics.warning(macro->where, "macro '" + macro->name + "' redefined" + previous);
    }
    place->second = std::move(macro);
}

std::shared_ptr<Macro> Preprocessor::parseDefinition(Tokens line, const SourceLocation& hash) {
    if (line.empty() || !isWord(line[0])) {
        fDiagnostics.error(line.empty() ? hash : line[0].token.location,
                           "#define needs a macro name");
        return nullptr;
    }
    auto macro = std::make_shared<Macro>();
    macro->name = line[0].token.text;
    macro->where = line[0].token.location;
    if (macro->name == "defined") {
        fDiagnostics.error(macro->where, "'defined' cannot be a macro name");
        return nullptr;
    }
    size_t bodyStart = 1;
    if (line.size() > 1 && is(line[1], TokenKind::kLeftParen) && !line[1].spaceBefore) {
        macro->functionLike = true;
        std::optional<size_t> afterParameters = parseParameters(line, *macro);
        if (!afterParameters) return nullptr;
        bodyStart = *afterParameters;
    }
    macro->body.assign(std::make_move_iterator(line.begin() + ptrdiff_t(bodyStart)),
                       std::make_move_iterator(line.end()));
    if (!prepareBody(*macro)) return nullptr;
    return macro;
}

// Reads the parameters after the '(' of line[1]; the index past the ')'.
std::optional<size_t> Preprocessor::parseParameters(const Tokens& line, Macro& macro) {
    size_t at = 2;
    if (at < line.size() && is(line[at], TokenKind::kRightParen)) return at + 1;
    auto complain = [&](const std::string& message) {
        const SourceLocation& where = at < line.size() ? line[at].token.location : macro.where;
        fDiagnostics.error(where, message + " in the parameters of macro '" + macro.name + "'");
        return std::nullopt;
    };
    std::unordered_set<std::string_view> names;
    for (;;) {
        if (at >= line.size() || !isWord(line[at])) return complain("expected a name");
        const std::string& name = line[at].token.text;
        if (!names.insert(name).second) return complain("'" + name + "' twice");
        macro.parameters.push_back(name);
        ++at;
        if (at < line.size() && is(line[at], TokenKind::kRightParen)) return at + 1;
        if (at >= line.size() || !is(line[at], TokenKind::kComma))
            return complain("expected ',' or ')'");
        ++at;
    }
}

// Finds the parameters in the body and checks its # and ##.
bool Preprocessor::prepareBody(Macro& macro) {
    findParameters(macro);
    const Tokens& body = macro.body;
    if (!body.empty() &&
        (is(body.front(), Punctuator::kHashHash) || is(body.back(), Punctuator::kHashHash))) {
        fDiagnostics.error(macro.where, "'##' cannot begin or end the replacement of macro '" +
                                            macro.name + "'");
        return false;
    }
    for (size_t index = 0; macro.functionLike && index < body.size(); ++index) {
        bool followedByParameter =
            index + 1 < body.size() && macro.parameterOf[index + 1] != kNoParameter;
        if (is(body[index], Punctuator::kHash) && !followedByParameter) {
            fDiagnostics.error(body[index].token.location,
                               "'#' is not followed by a parameter of macro '" + macro.name + "'");
            return false;
        }
    }
    return true;
}

void Preprocessor::undefine(const Tokens& line, const SourceLocation& hash) {
    if (line.empty() || !isWord(line[0])) {
        fDiagnostics.error(hash, "#undef needs a macro name");
        return;
    }
    fMacros.erase(line[0].token.text);
    warnOfExtraTokens(line, 1, "#undef");
}

void Preprocessor::lineDirective(Tokens line, const SourceLocation& hash) {
    Tokens tokens = expandAlone(std::move(line), hash);
    int64_t number = 0;
    bool numbered = !tokens.empty() && is(tokens[0], TokenKind::kNumber) &&
                    tokens[0].token.text.find_first_not_of("0123456789") == std::string::npos &&
                    tokens[0].token.number >= 1 && tokens[0].token.number <= kLargestLineNumber;
    if (numbered) number = int64_t(tokens[0].token.number);
    bool named = tokens.size() == 2 && is(tokens[1], TokenKind::kString);
    if (!numbered || (tokens.size() > 1 && !named)) {
        fDiagnostics.error(hash, "#line needs a line number from 1 to " +
                                     std::to_string(kLargestLineNumber) +
                                     ", then perhaps a file name in quotes");
        return;
    }
    auto file = named ? std::make_shared<const std::string>(tokens[1].token.text) : nullptr;
    fSources.back()->lexer.renumber(int(number), std::move(file));
}

void Preprocessor::warnOfExtraTokens(const Tokens& line, size_t expected,
                                     const std::string& directive) {
    if (line.size() > expected)
        fDiagnostics.warning(line[expected].token.location, "extra tokens after " + directive);
}

// --- Conditionals ---

void Preprocessor::openConditional(const SourceLocation& hash, std::string directive, bool keep) {
    fSources.back()->conditionals.push_back({hash, std::move(directive), keep, false});
    if (!keep) skipGroup();
}

// Whether the line names a macro, for #ifdef and #ifndef.
bool Preprocessor::macroNamed(const Tokens& line, const SourceLocation& hash,
                              const std::string& directive) {
    if (line.empty() || !isWord(line[0])) {
        fDiagnostics.error(hash, directive + " needs a macro name");
        return false;
    }
    warnOfExtraTokens(line, 1, directive);
    return fMacros.contains(line[0].token.text);
}

bool Preprocessor::condition(Tokens line, const SourceLocation& hash,
                             const std::string& directive) {
    if (line.empty()) {
        fDiagnostics.error(hash, directive + " with no expression");
        return false;
    }
    std::optional<Tokens> expanded = expandCondition(std::move(line), hash);
    if (!expanded) return false;
    std::optional<int64_t> value =
        ConditionEvaluator(*expanded, directive, hash, fDiagnostics).evaluate();
    return value.value_or(0) != 0;
}

// The line with its macros expanded and 'defined' worked out.
std::optional<Tokens> Preprocessor::expandCondition(Tokens line, const SourceLocation& hash) {
    Reading previous = readAlone(std::move(line), hash);
    Tokens result;
    bool failed = false;
    while (std::optional<PpToken> token = expandedToken()) {
        if (!isWordNamed(*token, "defined")) {
            result.push_back(std::move(*token));
        } else if (std::optional<PpToken> value = definedOperator(*token); value) {
            result.push_back(std::move(*value));
        } else {
            failed = true;
        }
    }
    fReading = previous;
    if (failed) return std::nullopt;
    return result;
}

// 1 or 0 for 'defined NAME' or 'defined(NAME)', the tokens after 'defined'
// taken as they are.
std::optional<PpToken> Preprocessor::definedOperator(const PpToken& keyword) {
    const SourceLocation& at = keyword.token.location;
    std::optional<PpToken> name = rawToken(false);
    bool parenthesized = name && is(*name, TokenKind::kLeftParen);
    if (parenthesized) name = rawToken(false);
    if (!name || !isWord(*name)) {
        fDiagnostics.error(at, "'defined' needs a macro name");
        return std::nullopt;
    }
    if (parenthesized) {
        std::optional<PpToken> close = rawToken(false);
        if (!close || !is(*close, TokenKind::kRightParen)) {
            fDiagnostics.error(at, "expected ')' after 'defined(" + name->token.text + "'");
            return std::nullopt;
        }
    }
    return numberToken(fMacros.contains(name->token.text) ? 1 : 0, at);
}

OpenConditional* Preprocessor::innermostConditional(const SourceLocation& hash,
                                                    const std::string& directive) {
    std::vector<OpenConditional>& conditionals = fSources.back()->conditionals;
    if (!conditionals.empty()) return &conditionals.back();
    fDiagnostics.error(hash, "'" + directive + "' without '#if'");
    return nullptr;
}

std::string beginning(const OpenConditional& open) {
    return "the '" + open.directive + "' begun at line " + std::to_string(open.where.line) +
           ", column " + std::to_string(open.where.column);
}

// Whether the group after an #else or #elif is kept. While skipping, the
// group before it was dropped; otherwise it was kept, and this one is not.
bool Preprocessor::elseKeeps(const SourceLocation& hash, const Tokens& line, bool skipping) {
    OpenConditional* open = innermostConditional(hash, "#else");
    if (!open) return true;
    warnOfExtraTokens(line, 0, "#else");
    if (open->sawElse) fDiagnostics.error(hash, "a second '#else' for " + beginning(*open));
    open->sawElse = true;
    bool keep = skipping && !open->taken;
    open->taken = open->taken || keep;
    return keep;
}

bool Preprocessor::elifKeeps(const SourceLocation& hash, Tokens line, bool skipping) {
    OpenConditional* open = innermostConditional(hash, "#elif");
    if (!open) return true;
    if (open->sawElse) fDiagnostics.error(hash, "'#elif' after the '#else' of " + beginning(*open));
    bool keep =
        skipping && !open->taken && !open->sawElse && condition(std::move(line), hash, "#elif");
    open->taken = open->taken || keep;
    return keep;
}

void Preprocessor::endifDirective(const SourceLocation& hash, const Tokens& line) {
    if (!innermostConditional(hash, "#endif")) return;
    warnOfExtraTokens(line, 0, "#endif");
    fSources.back()->conditionals.pop_back();
}

// Skips the lines of a dropped group, up to the #elif, #else or #endif that
// ends it and keeps the next group, or the file's end.
void Preprocessor::skipGroup() {
    Source& source = *fSources.back();
    size_t nested = 0; // conditionals opened inside the group
    for (;;) {
        source.lexer.setQuiet(true); // until the directives that end the group
        Lexeme first = lex();
        if (first.isEnd()) {
            source.lexer.setQuiet(false);
            return;
        }
        bool directive =
            first.startsLine && is(first, Punctuator::kHash) && !source.lexer.atLineEnd();
        Lexeme name = directive ? lex() : Lexeme{};
        std::string word = directive && isWord(name) ? name.token.text : "";
        const SourceLocation& hash = first.token.location;
        if (word == "if" || word == "ifdef" || word == "ifndef") {
            ++nested;
        } else if (nested > 0 && word == "endif") {
            --nested;
        } else if (nested == 0 && word == "else") {
            if (elseKeeps(hash, restOfLine(), true)) return;
        } else if (nested == 0 && word == "elif") {
            if (elifKeeps(hash, restOfLine(), true)) return;
        } else if (nested == 0 && word == "endif") {
            endifDirective(hash, restOfLine());
            return;
        }
        restOfLine(true);
    }
}

// --- Macro expansion ---

// The next token before expansion: from the innermost expansion, else from
// the files; nothing at the end of an expansion read on its own.
std::optional<PpToken> Preprocessor::rawToken(bool inArguments) {
    while (fExpansions.size() > fReading.floor) {
        Expansion& expansion = fExpansions.back();
        if (expansion.done()) {
            leaveExpansion();
            continue;
        }
        PpToken token = std::move(expansion.tokens[expansion.next++]);
        if (expansion.done()) { // it stays, its macro blocked, until left; its memory goes
            expansion.tokens = Tokens();
            expansion.next = 0;
        }
        return token;
    }
    if (fReading.alone) return std::nullopt;
    return ppToken(fileToken(inArguments));
}

std::optional<PpToken> Preprocessor::expandedToken() {
    for (;;) {
        std::optional<PpToken> token = rawToken(false);
        if (!token || !token->mayExpand || !isWord(*token)) return token;
        auto found = fMacros.find(token->token.text);
        if (found == fMacros.end()) return token;
        std::shared_ptr<Macro> macro = found->second;
        if (macro->expanding) {
            token->mayExpand = false;
            return token;
        }
        if (macro->builtin != Builtin::kNone) return builtinValue(*macro, *token);
        if (macro->functionLike && !nextIsLeftParen()) return token;
        expand(macro, *token);
    }
}

// The tokens with their macros expanded, as far as they go by themselves.
Tokens Preprocessor::expandAlone(Tokens tokens, const SourceLocation& at) {
    Reading previous = readAlone(std::move(tokens), at);
    Tokens result;
    while (std::optional<PpToken> token = expandedToken())
        result.push_back(std::move(*token));
    fReading = previous;
    return result;
}

// Starts to read the tokens alone; returns the reading to go back to.
Reading Preprocessor::readAlone(Tokens tokens, const SourceLocation& at) {
    Reading previous = fReading;
    fReading = {fExpansions.size(), true};
    enterExpansion(std::move(tokens), nullptr, at);
    return previous;
}

void Preprocessor::enterExpansion(Tokens tokens, std::shared_ptr<Macro> macro,
                                  const SourceLocation& at) {
    if (fExpansions.size() >= kDeepestExpansion) {
        fDiagnostics.error(at, "macros expand inside one another more than " +
                                   std::to_string(kDeepestExpansion) + " deep");
        throw Abandoned{};
    }
    if (macro) macro->expanding = true;
    fExpansions.push_back({std::move(tokens), 0, std::move(macro)});
}

void Preprocessor::leaveExpansion() {
    if (fExpansions.back().macro) fExpansions.back().macro->expanding = false;
    fExpansions.pop_back();
}

bool Preprocessor::nextIsLeftParen() {
    for (size_t index = fExpansions.size(); index > fReading.floor; --index) {
        const Expansion& expansion = fExpansions[index - 1];
        if (!expansion.done()) return is(expansion.tokens[expansion.next], TokenKind::kLeftParen);
    }
    return !fReading.alone && is(peekFileToken(), TokenKind::kLeftParen);
}

void Preprocessor::expand(const std::shared_ptr<Macro>& macro, const PpToken& use) {
    const SourceLocation& at = use.token.location;
    Arguments arguments;
    if (macro->functionLike) {
        std::optional<Arguments> collected = collectArguments(*macro, use);
        if (!collected) return;
        arguments = std::move(*collected);
    }
    enterExpansion(substitute(*macro, std::move(arguments), at), macro, at);
}

// Reads the arguments of a call, from its '(' to the matching ')'.
std::optional<Arguments> Preprocessor::collectArguments(const Macro& macro, const PpToken& use) {
    const SourceLocation& at = use.token.location;
    rawToken(true); // the '('
    Arguments arguments(1);
    size_t depth = 0;
    for (;;) {
        std::optional<PpToken> token = rawToken(true);
        if (!token || token->isEnd()) {
            fDiagnostics.error(at,
                               "the arguments of macro '" + macro.name + "' have no closing ')'");
            return std::nullopt;
        }
        if (depth == 0 && is(*token, TokenKind::kRightParen)) break;
        if (depth == 0 && is(*token, TokenKind::kComma)) {
            arguments.emplace_back();
            continue;
        }
        if (is(*token, TokenKind::kLeftParen)) ++depth;
        if (is(*token, TokenKind::kRightParen)) --depth;
        charge(1, at); // arguments within arguments are read again at each depth
        arguments.back().push_back(std::move(*token));
    }
    if (macro.parameters.empty() && arguments.size() == 1 && arguments[0].empty())
        arguments.clear();
    if (arguments.size() != macro.parameters.size()) {
        fDiagnostics.error(at, "macro '" + macro.name + "' takes " +
                                   std::to_string(macro.parameters.size()) + " arguments, not " +
                                   std::to_string(arguments.size()));
        return std::nullopt;
    }
    return arguments;
}

// The replacement of one use of a macro: its body, each parameter replaced
// by its argument (expanded, but for the operands of # and ##), with the
// strings of # made and the tokens of ## pasted.
Tokens Preprocessor::substitute(const Macro& macro, Arguments arguments, const SourceLocation& at) {
    const Tokens& body = macro.body;
    std::vector<std::optional<Tokens>> expandedArguments(arguments.size());
    Tokens result;
    bool pasting = false;      // the body token before was ##
    bool lastWasEmpty = false; // the last operand gave no token
    for (size_t index = 0; index < body.size(); ++index) {
        if (is(body[index], Punctuator::kHashHash)) {
            pasting = true;
            continue;
        }
        Tokens operand;
        int parameter = macro.parameterOf[index];
        bool pastedNext = index + 1 < body.size() && is(body[index + 1], Punctuator::kHashHash);
        if (macro.functionLike && is(body[index], Punctuator::kHash)) {
            operand.push_back(
                stringized(arguments[size_t(macro.parameterOf[index + 1])], body[index], at));
            ++index;
        } else if (parameter != kNoParameter && (pasting || pastedNext)) {
            operand = arguments[size_t(parameter)];
        } else if (parameter != kNoParameter) {
            std::optional<Tokens>& expanded = expandedArguments[size_t(parameter)];
            Tokens& argument = arguments[size_t(parameter)];
            if (!expanded) // the argument as written may be needed no more
                expanded = expandAlone(
                    macro.usedRaw[size_t(parameter)] ? argument : std::move(argument), at);
            operand = *expanded;
        } else {
            operand.push_back(body[index]);
            operand.back().token.location = at;
        }
        charge(operand.size(), at);
        if (parameter != kNoParameter && !operand.empty())
            operand.front().spaceBefore = body[index].spaceBefore;
        if (pasting && !lastWasEmpty && !operand.empty()) {
            paste(result, operand.front(), at);
            operand.erase(operand.begin());
            lastWasEmpty = false;
        } else {
            lastWasEmpty = operand.empty() && (!pasting || lastWasEmpty);
        }
        result.insert(result.end(), std::make_move_iterator(operand.begin()),
                      std::make_move_iterator(operand.end()));
        pasting = false;
    }
    for (PpToken& token : result)
        token.startsLine = false;
    return result;
}

PpToken Preprocessor::stringized(const Tokens& argument, const PpToken& hash,
                                 const SourceLocation& at) {
    charge(argument.size(), at);
    PpToken token = hash;
    token.punctuator = Punctuator::kNone;
    token.token = {TokenKind::kString, spelled(argument), 0, at};
    if (token.token.text.size() > lexlimits::kLongestString) {
        fDiagnostics.error(at, "string longer than " + std::to_string(lexlimits::kLongestString) +
                                   " bytes");
        token.token.text.resize(lexlimits::kLongestString);
    }
    return token;
}

// Pastes right onto the last token of the result, as ## does.
void Preprocessor::paste(Tokens& result, const PpToken& right, const SourceLocation& at) {
    PpToken& left = result.back();
    std::string text = spelling(left) + spelling(right);
    std::optional<Lexeme> pasted = lexOne(text, left.token.location);
    if (!pasted) {
        fDiagnostics.error(at, "pasting '" + spelling(left) + "' and '" + spelling(right) +
                                   "' gives no single token");
        result.push_back(right);
        return;
    }
    bool spaceBefore = left.spaceBefore;
    left = ppToken(std::move(*pasted));
    left.spaceBefore = spaceBefore;
}

PpToken Preprocessor::builtinValue(const Macro& macro, const PpToken& use) {
    const SourceLocation& at = use.token.location;
    charge(1, at);
    PpToken value = use;
    value.mayExpand = false;
    if (macro.builtin == Builtin::kFile)
        value.token = {TokenKind::kString, at.fileName(), 0, at};
    else
        value.token = numberToken(at.line, at).token;
    return value;
}

} // namespace

std::vector<Token> preprocessFile(const std::string& path, const PreprocessOptions& options,
                                  Diagnostics& diagnostics) {
    std::string text;
    if (std::optional<std::string> failure = readSourceFile(path, path, text)) {
        SourceLocation where{std::make_shared<const std::string>(path), 0, 0};
        diagnostics.error(where, *failure);
        return {Token{TokenKind::kEnd, "", 0, where}};
    }
    return Preprocessor(options, diagnostics).run(std::move(text), path);
}

std::vector<Token> preprocessText(std::string_view text, const std::string& name,
                                  const PreprocessOptions& options, Diagnostics& diagnostics) {
    if (text.size() > kLargestFile) {
        SourceLocation where{std::make_shared<const std::string>(name), 0, 0};
        diagnostics.error(where, "'" + name + "' is larger than " +
                                     std::to_string(kLargestFile >> 20) + " MiB");
        return {Token{TokenKind::kEnd, "", 0, where}};
    }
    return Preprocessor(options, diagnostics).run(std::string(text), name);
}

} // namespace quelmark::sl
