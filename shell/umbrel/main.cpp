// umbrel: the shader compiler. Compiles shading-language source files into
// the compiled shaders the renderer runs, one file for each shader.
#include "common/PrintableText.h"
#include "shadinglang/Compiler.h"
#include "shell/EarlyAnswer.h"
#include "shell/FatalExit.h"
#include "shell/umbrel/CommandLine.h"

#include <cstdio>
#include <exception>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

using namespace quelmark;

namespace {

enum ExitStatus { kSuccess = 0, kSourceErrors = 1, kUsage = 2 };

constexpr const char* kProgram = "umbrel";
constexpr const char* kAboutText = "Quelmark Shader Compiler Version 1.01";
// As the other programs end when memory runs out.
constexpr int kOutOfMemoryStatus = 1;

[[noreturn]] void outOfMemory() {
    fatal::exitNow("free store exhausted", kOutOfMemoryStatus);
}

// A message about a file, whose name may hold any bytes, made safe for a
// terminal.
void report(const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", kProgram, printableText(message).c_str());
}

class Compilation {
public:
    Compilation(const CommandLine& line, sl::ShaderOutput output)
        : fQuiet(line.quiet),
          fOutput(std::move(output)), fOptions{.includeFolders = line.includeFolders,
                                               .defines = line.defines} {}

    int run(const std::vector<std::string>& files) {
        for (const std::string& file : files)
            if (!compile(file)) break;
        if (fFileTrouble) return kUsage;
        return fSourceErrors ? kSourceErrors : kSuccess;
    }

private:
    // false when the compilation stops here.
    bool compile(const std::string& file) {
        const sl::CompileResult result = sl::compileFile(file, fOptions);
        if (!result.unreadable.empty()) {
            report(result.unreadable);
            fFileTrouble = true;
            return true;
        }
        for (const sl::Diagnostic& diagnostic : result.diagnostics.all())
            if (!fQuiet || diagnostic.severity == sl::Severity::kError) report(diagnostic.text());
        if (result.tooManyErrors) {
            report("too many errors, stopping");
            fSourceErrors = true;
            return false;
        }
        if (!result.succeeded()) {
            fSourceErrors = true;
            return true;
        }
        std::string error;
        if (!sl::writeShaders(result.shaders, fOutput, error)) {
            report(error);
            fFileTrouble = true;
        }
        return true;
    }

    bool fQuiet;
    sl::ShaderOutput fOutput;
    sl::CompileOptions fOptions;
    bool fSourceErrors = false;
    bool fFileTrouble = false; // a file that could not be read or written
};

int compileFiles(const CommandLine& line) {
    sl::ShaderOutput output = sl::ShaderOutput::named(line.output);
    if (!output.isFolder && line.files.size() > 1) {
        std::fprintf(stderr,
                     "%s: -o names the file %s, and %zu source files are given; see %s --help\n",
                     kProgram, printableText(line.output).c_str(), line.files.size(), kProgram);
        return kUsage;
    }
    return Compilation(line, std::move(output)).run(line.files);
}

} // namespace

int main(int argc, char** argv) {
    fatal::setProgramName(kProgram);
    std::set_new_handler(outOfMemory);
    const CommandLine line = CommandLine::parse(argc, argv);
    if (std::optional<int> answer = earlyAnswer(line, kProgram, kAboutText)) return *answer;
    try {
        return compileFiles(line);
    } catch (const std::bad_alloc&) {
        outOfMemory();
    } catch (const std::exception& failure) {
        report(std::string("internal error: ") + failure.what());
        return kSourceErrors;
    }
}
