// Shading-language source compiled and run once in a test environment.
#ifndef QEL_TESTS_COMPILEDSHADERSUPPORT_H
#define QEL_TESTS_COMPILEDSHADERSUPPORT_H

#include "shadinglang/Compiler.h"

#include "tests/renderer/shading/ShaderRunSupport.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>

namespace quelmark::testing {

// Compiles the source's one shader and runs it; false with the reason when
// either fails.
inline ::testing::AssertionResult compileAndRun(const std::string& source,
                                                TestEnvironment& environment) {
    sl::CompileResult compiled = sl::compileText(source, "test.sl", {});
    if (!compiled.succeeded()) {
        std::string messages;
        for (const std::string& text : compiled.diagnostics.texts())
            messages += text + "\n";
        return ::testing::AssertionFailure() << messages;
    }
    if (compiled.shaders.size() != 1) return ::testing::AssertionFailure() << "not one shader";
    std::string error;
    std::optional<ShaderProgram> program =
        ShaderProgram::prepare(std::move(compiled.shaders[0]), error);
    if (!program) return ::testing::AssertionFailure() << error;
    ShaderMachine machine;
    if (machine.run(*program, environment) != ShaderRunResult::kFinished)
        return ::testing::AssertionFailure() << "the run failed";
    return ::testing::AssertionSuccess();
}

} // namespace quelmark::testing

#endif
