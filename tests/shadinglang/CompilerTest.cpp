#include "shadinglang/Compiler.h"

#include "shadercode/ShaderFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace quelmark::sl;

namespace {

// A fresh folder under the test's temporary folder, removed at the end.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = ::testing::TempDir() + "slcompile-XXXXXX";
        if (::mkdtemp(pattern.data())) fPath = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        if (!fPath.empty()) std::filesystem::remove_all(fPath, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return fPath; }
    std::string at(const std::string& name) const { return fPath + "/" + name; }
    // Writes the file, its folders made; returns its path.
    std::string write(const std::string& name, const std::string& text) const {
        const std::filesystem::path file = std::filesystem::path(fPath) / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
        return file.string();
    }

private:
    std::string fPath;
};

const char kTwoShaders[] = "float half(float x) { return x / 2; }\n"
                           "surface matte(float Kd = 1) { Ci = Kd * half(s); }\n"
                           "light bulb() { solar() { Cl = 1; } }\n";

std::string allText(const Diagnostics& diagnostics) {
    std::string text;
    for (const std::string& line : diagnostics.texts())
        text += line + "\n";
    return text;
}

} // namespace

// ---- Compiling

TEST(CompilerTest, AFileWithTwoShadersGivesBoth) {
    ScratchFolder folder;
    const CompileResult result = compileFile(folder.write("two.sl", kTwoShaders), {});
    EXPECT_TRUE(result.succeeded()) << allText(result.diagnostics) << result.unreadable;
    ASSERT_EQ(result.shaders.size(), 2u);
    EXPECT_EQ(result.shaders[0].name, "matte");
    EXPECT_EQ(result.shaders[1].name, "bulb");
    EXPECT_EQ(result.shaders[0].sourceFile, folder.at("two.sl"));
}

TEST(CompilerTest, IncludeFoldersAndDefines) {
    ScratchFolder folder;
    folder.write("lib/colors.h", "#define WARM color(1, 0.5, SHADE)\n");
    const std::string source =
        folder.write("warm.sl", "#include <colors.h>\nsurface warm() { Ci = WARM; }\n");
    const CompileOptions options{.includeFolders = {folder.at("lib")},
                                 .defines = {{"SHADE", "0.25"}}};
    const CompileResult result = compileFile(source, options);
    ASSERT_TRUE(result.succeeded()) << allText(result.diagnostics);
    ASSERT_EQ(result.shaders.size(), 1u);
    const Register& constant = result.shaders[0].registers.back();
    EXPECT_EQ(constant.floats, (std::vector<float>{1, 0.5, 0.25}));

    const CompileResult without = compileFile(source, {});
    EXPECT_FALSE(without.succeeded());
    EXPECT_NE(allText(without.diagnostics).find("cannot open 'colors.h'"), std::string::npos)
        << allText(without.diagnostics);
}

TEST(CompilerTest, ErrorsLeaveNoShaders) {
    const CompileResult result =
        compileText("surface ok() { Ci = 1; }\nsurface bad() { Ci = x; y = 1; }\n", "bad.sl", {});
    EXPECT_FALSE(result.succeeded());
    EXPECT_TRUE(result.shaders.empty());
    EXPECT_FALSE(result.tooManyErrors);
    EXPECT_EQ(allText(result.diagnostics), "bad.sl:2:22: error: 'x' is not defined\n"
                                           "bad.sl:2:25: error: 'y' is not defined\n");
}

TEST(CompilerTest, TooManyErrorsStop) {
    std::string body;
    for (int k = 0; k < 2 * Diagnostics::kMostErrors; ++k)
        body += "x" + std::to_string(k) + " = 1;\n";
    const CompileResult result = compileText("surface s() {\n" + body + "}\n", "many.sl", {});
    EXPECT_TRUE(result.tooManyErrors);
    EXPECT_EQ(result.diagnostics.errors(), Diagnostics::kMostErrors);
    EXPECT_TRUE(result.shaders.empty());
}

TEST(CompilerTest, AFileWithoutShadersIsWarnedOf) {
    const CompileResult result = compileText("float f(float x) { return x; }\n", "lib.sl", {});
    EXPECT_TRUE(result.succeeded());
    EXPECT_TRUE(result.shaders.empty());
    EXPECT_EQ(allText(result.diagnostics), "lib.sl: warning: the file defines no shader\n");
}

TEST(CompilerTest, AFileThatCannotBeReadSaysWhy) {
    ScratchFolder folder;
    const std::string missing = folder.at("missing.sl");
    const CompileResult result = compileFile(missing, {});
    EXPECT_EQ(result.unreadable, missing + ": No such file or directory");
    EXPECT_FALSE(result.succeeded());
    EXPECT_EQ(result.diagnostics.all().size(), 0u);

    EXPECT_EQ(compileFile(folder.path(), {}).unreadable, folder.path() + ": Is a directory");
}

// ---- Writing

TEST(CompilerTest, AnOutputIsAFolderOrAFile) {
    ScratchFolder folder;
    ShaderCode shader;
    shader.name = "matte";
    EXPECT_EQ(ShaderOutput::named("").pathFor(shader), "matte.qso");
    EXPECT_EQ(ShaderOutput::named(folder.path()).pathFor(shader), folder.path() + "/matte.qso");
    EXPECT_EQ(ShaderOutput::named("out/").pathFor(shader), "out/matte.qso");
    const ShaderOutput file = ShaderOutput::named(folder.at("mine.qso"));
    EXPECT_FALSE(file.isFolder);
    EXPECT_EQ(file.pathFor(shader), folder.at("mine.qso"));
}

TEST(CompilerTest, ShadersAreWrittenIntoTheFolderAndReadBack) {
    ScratchFolder folder;
    const CompileResult result = compileText(kTwoShaders, "two.sl", {});
    ASSERT_EQ(result.shaders.size(), 2u);
    std::string error;
    ASSERT_TRUE(writeShaders(result.shaders, ShaderOutput::named(folder.path()), error)) << error;
    for (const ShaderCode& shader : result.shaders) {
        const std::optional<ShaderCode> read =
            readShaderFile(folder.at(shader.name + ".qso"), error);
        ASSERT_TRUE(read) << error;
        EXPECT_EQ(writeShader(*read), writeShader(shader));
    }
}

TEST(CompilerTest, AFileOutputHoldsOneShader) {
    ScratchFolder folder;
    const CompileResult result = compileText(kTwoShaders, "two.sl", {});
    const ShaderOutput file = ShaderOutput::named(folder.at("both.qso"));
    std::string error;
    EXPECT_FALSE(writeShaders(result.shaders, file, error));
    EXPECT_EQ(error, folder.at("both.qso") +
                         ": one file cannot hold 2 shaders; name a folder to write each into");
    EXPECT_FALSE(std::filesystem::exists(folder.at("both.qso")));

    const std::vector<ShaderCode> first(result.shaders.begin(), result.shaders.begin() + 1);
    ASSERT_TRUE(writeShaders(first, file, error)) << error;
    EXPECT_TRUE(readShaderFile(folder.at("both.qso"), error)) << error;
}

TEST(CompilerTest, AMissingFolderIsAWriteError) {
    ScratchFolder folder;
    const CompileResult result = compileText("surface s() { Ci = 1; }", "s.sl", {});
    std::string error;
    EXPECT_FALSE(writeShaders(result.shaders, ShaderOutput::named(folder.at("none/")), error));
    EXPECT_EQ(error, folder.at("none/s.qso") + ": No such file or directory");
}
