// umbrel run as a program on small shader sources written into a fresh
// directory: the compiled shaders it writes, its messages, exit statuses,
// files that cannot be read or written, and memory running out.
#include "ProgramProcess.h"
#include "ScratchDir.h"

#include "shadercode/ShaderFile.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

const char kPlastic[] = "surface plastic(float Ka = 1, Kd = .5, Ks = .5, roughness = .1;\n"
                        "                color specularcolor = 1)\n"
                        "{\n"
                        "    normal Nf = faceforward(normalize(N), I);\n"
                        "    Oi = Os;\n"
                        "    Ci = Os * (Cs * (Ka * ambient() + Kd * diffuse(Nf)) +\n"
                        "               specularcolor * Ks * specular(Nf, -normalize(I), "
                        "roughness));\n"
                        "}\n";

const char kTwoErrors[] = "surface broken()\n"
                          "{\n"
                          "    Ci = missing;\n"
                          "    float x = \"text\";\n"
                          "}\n";

constexpr bool kSanitized =
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    true;
#else
    false;
#endif

class UmbrelTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(fDir.path().empty()); }

    ProgramResult run(const std::vector<std::string>& args) {
        return runProgram(UMBREL_PATH, fDir.path(), args);
    }

    // The shader file in the directory, read back; its name as the reader
    // found it, or the reader's error.
    std::string shaderIn(const std::string& name) {
        std::string error;
        const std::optional<quelmark::sl::ShaderCode> shader =
            quelmark::sl::readShaderFile(fDir.path() + name, error);
        return shader ? shader->name : error;
    }

    ScratchDir fDir{"umbrel"};
};

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

size_t lineCount(const std::string& text) {
    return size_t(std::count(text.begin(), text.end(), '\n'));
}

} // namespace

// ---- the command line

TEST_F(UmbrelTest, VersionAndHelp) {
    ProgramResult version = run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "Quelmark Shader Compiler Version 1.01\n");
    EXPECT_EQ(version.err, "");

    ProgramResult help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(contains(help.out, "Usage: umbrel [options] FILE.sl...")) << help.out;
    EXPECT_TRUE(contains(help.out, "Exit status:")) << help.out;
    EXPECT_EQ(help.err, "");
}

TEST_F(UmbrelTest, UsageErrorsAreOneLineWithStatusTwo) {
    fDir.write("a.sl", kPlastic);
    fDir.write("b.sl", kPlastic);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, std::vector<std::string>{"--bogus", "a.sl"},
          std::vector<std::string>{"a.sl", "-I"}, std::vector<std::string>{"-D", "=1", "a.sl"},
          std::vector<std::string>{"-o", "one.qso", "a.sl", "b.sl"}}) {
        ProgramResult result = run(args);
        EXPECT_EQ(result.status, 2) << result.err;
        EXPECT_TRUE(result.err.starts_with("umbrel: ")) << result.err;
        EXPECT_TRUE(result.err.ends_with("; see umbrel --help\n")) << result.err;
        EXPECT_EQ(lineCount(result.err), 1u) << result.err;
        EXPECT_EQ(result.out, "");
    }
    EXPECT_EQ(run({"--bogus", "a.sl"}).err, "umbrel: unknown option --bogus; see umbrel --help\n");
    EXPECT_FALSE(fDir.exists("plastic.qso"));
}

// ---- compiling

TEST_F(UmbrelTest, AGoodFileIsCompiledIntoTheCurrentFolder) {
    ProgramResult result = run({fDir.write("plastic.sl", kPlastic)});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(shaderIn("plastic.qso"), "plastic");
}

TEST_F(UmbrelTest, OutputIntoAFolderOrAFile) {
    fDir.write("plastic.sl", kPlastic);
    ASSERT_EQ(::mkdir((fDir.path() + "out").c_str(), 0777), 0);
    ProgramResult intoFolder = run({"-o", "out", "plastic.sl"});
    EXPECT_EQ(intoFolder.status, 0) << intoFolder.err;
    EXPECT_EQ(shaderIn("out/plastic.qso"), "plastic");

    ProgramResult intoFile = run({"-omine.qso", "plastic.sl"});
    EXPECT_EQ(intoFile.status, 0) << intoFile.err;
    EXPECT_EQ(shaderIn("mine.qso"), "plastic");
    EXPECT_FALSE(fDir.exists("plastic.qso"));
}

TEST_F(UmbrelTest, EveryShaderOfAFileIsWritten) {
    fDir.write("two.sl", "float half(float x) { return x / 2; }\n"
                         "surface matte(float Kd = 1) { Ci = Kd * half(s); }\n"
                         "light bulb() { solar() { Cl = 1; } }\n");
    ProgramResult result = run({"two.sl"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(shaderIn("matte.qso"), "matte");
    EXPECT_EQ(shaderIn("bulb.qso"), "bulb");

    ProgramResult oneFile = run({"-o", "both.qso", "two.sl"});
    EXPECT_EQ(oneFile.status, 2);
    EXPECT_EQ(oneFile.err, "umbrel: both.qso: one file cannot hold 2 shaders; name a folder to "
                           "write each into\n");
}

TEST_F(UmbrelTest, ErrorsInTheSourceGiveStatusOne) {
    ProgramResult result = run({fDir.write("broken.sl", kTwoErrors)});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "umbrel: broken.sl:3:10: error: 'missing' is not defined\n"
                          "umbrel: broken.sl:4:15: error: cannot initialize float 'x' with "
                          "string\n");
    EXPECT_FALSE(fDir.exists("broken.qso"));
}

TEST_F(UmbrelTest, ErrorsOfTheGeneratorToo) {
    fDir.write("gather.sl",
               "surface g() { color c = 0; gather(\"illuminance\", P, N, PI, 4) c += 1; "
               "Ci = c; }\n");
    ProgramResult result = run({"gather.sl"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err,
              "umbrel: gather.sl:1:28: error: gather is not supported: the renderer does not run "
              "it\n");
}

TEST_F(UmbrelTest, OneFileWithErrorsLeavesTheOthersCompiled) {
    fDir.write("broken.sl", kTwoErrors);
    fDir.write("plastic.sl", kPlastic);
    ProgramResult result = run({"broken.sl", "plastic.sl"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(lineCount(result.err), 2u) << result.err;
    EXPECT_EQ(shaderIn("plastic.qso"), "plastic");
}

TEST_F(UmbrelTest, TooManyErrorsStop) {
    std::string body;
    for (int k = 0; k < 80; ++k)
        body += "x" + std::to_string(k) + " = 1;\n";
    fDir.write("many.sl", "surface s() {\n" + body + "}\n");
    fDir.write("plastic.sl", kPlastic);
    ProgramResult result = run({"many.sl", "plastic.sl"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(lineCount(result.err), 51u) << result.err;
    EXPECT_TRUE(result.err.ends_with("umbrel: too many errors, stopping\n")) << result.err;
    EXPECT_FALSE(fDir.exists("plastic.qso"));
}

TEST_F(UmbrelTest, WarningsUnlessQuiet) {
    fDir.write("library.sl", "float f(float x) { return x; }\n");
    ProgramResult result = run({"library.sl"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "umbrel: library.sl: warning: the file defines no shader\n");
    ProgramResult quiet = run({"-q", "library.sl"});
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.err, "");
}

TEST_F(UmbrelTest, IncludeFoldersAndDefines) {
    ASSERT_EQ(::mkdir((fDir.path() + "lib").c_str(), 0777), 0);
    fDir.write("lib/warm.h", "#define WARM color(1, 0.5, SHADE)\n");
    fDir.write("warm.sl", "#include <warm.h>\nsurface warm() { Ci = WARM; }\n");
    EXPECT_EQ(run({"warm.sl"}).status, 1);
    ProgramResult result = run({"-I", "lib", "-DSHADE=0.25", "warm.sl"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(shaderIn("warm.qso"), "warm");
}

// ---- files that cannot be read or written

TEST_F(UmbrelTest, AMissingFileGivesStatusTwo) {
    ProgramResult result = run({"missing.sl"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "umbrel: missing.sl: No such file or directory\n");
    EXPECT_EQ(result.out, "");
}

TEST_F(UmbrelTest, WritingIntoAMissingFolderGivesStatusTwo) {
    fDir.write("plastic.sl", kPlastic);
    ProgramResult intoFile = run({"-o", "nowhere/plastic.qso", "plastic.sl"});
    EXPECT_EQ(intoFile.status, 2);
    EXPECT_EQ(intoFile.err, "umbrel: nowhere/plastic.qso: No such file or directory\n");
    ProgramResult intoFolder = run({"-o", "nowhere/", "plastic.sl"});
    EXPECT_EQ(intoFolder.status, 2);
    EXPECT_EQ(intoFolder.err, "umbrel: nowhere/plastic.qso: No such file or directory\n");
}

// ---- memory

TEST_F(UmbrelTest, RunningOutOfMemoryEndsWithAMessage) {
    if (kSanitized) GTEST_SKIP() << "the sanitizers need more address space than the limit";
    // Each function calls the one before four times: inlined, the shader
    // would be millions of instructions.
    std::string source = "float f0(float x) { return x * x + 1; }\n";
    for (int level = 1; level <= 11; ++level) {
        const std::string inner = "f" + std::to_string(level - 1);
        source += "float f" + std::to_string(level) + "(float x) { return " + inner + "(x) + " +
                  inner + "(x + 1) + " + inner + "(x + 2) + " + inner + "(x + 3); }\n";
    }
    fDir.write("huge.sl", source + "surface huge() { Ci = f11(s); }\n");
    ProgramResult result = runProgramInMemory(UMBREL_PATH, fDir.path(), {"huge.sl"}, 64u << 20);
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_TRUE(result.err == "umbrel: free store exhausted\n" ||
                contains(result.err, "is too large once its functions are inlined"))
        << result.err;
    EXPECT_FALSE(fDir.exists("huge.qso"));
}
