// tessaran's command line and its terminal report.
#include "shell/tessaran/CommandLine.h"
#include "shell/tessaran/TerminalReport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace quelmark;

namespace {

CommandLine parse(std::vector<const char*> words) {
    words.insert(words.begin(), "tessaran");
    return CommandLine::parse(int(words.size()), words.data());
}

} // namespace

TEST(TessaranCommandLineTest, TwoFilesInOrder) {
    CommandLine line = parse({"in.rib", "out.qel"});
    EXPECT_EQ(line.error, "");
    EXPECT_EQ(line.ribFile, "in.rib");
    EXPECT_EQ(line.qelFile, "out.qel");
    EXPECT_FALSE(line.help);
    EXPECT_FALSE(line.version);
}

TEST(TessaranCommandLineTest, DoubleDashEndsTheOptions) {
    CommandLine line = parse({"--", "-in.rib", "--version"});
    EXPECT_EQ(line.error, "");
    EXPECT_EQ(line.ribFile, "-in.rib");
    EXPECT_EQ(line.qelFile, "--version");
    EXPECT_FALSE(line.version);
}

TEST(TessaranCommandLineTest, HelpAndVersionNeedNoFiles) {
    EXPECT_TRUE(parse({"--help"}).help);
    EXPECT_TRUE(parse({"-h"}).help);
    EXPECT_TRUE(parse({"--version"}).version);
    EXPECT_EQ(parse({"--version"}).error, "");
}

TEST(TessaranCommandLineTest, WrongWordsAreUsageErrors) {
    EXPECT_EQ(parse({}).error, "no RIB file and no QEL file given");
    EXPECT_EQ(parse({"in.rib"}).error, "no QEL file given");
    EXPECT_EQ(parse({"a", "b", "c"}).error, "more than two files given");
    EXPECT_EQ(parse({"--bogus", "a", "b"}).error, "unknown option --bogus");
    EXPECT_EQ(parse({"a", "-x", "b"}).error, "unknown option -x");
}

TEST(TessaranCommandLineTest, TheDesktopOpensWithoutFilesOrWithGui) {
    std::vector<const char*> none = {"tessaran"};
    CommandLine line = CommandLine::parse(1, none.data(), true);
    EXPECT_TRUE(line.gui);
    EXPECT_EQ(line.error, "");
    EXPECT_FALSE(CommandLine::parse(1, none.data(), false).gui);

    line = parse({"--gui"});
    EXPECT_TRUE(line.gui);
    EXPECT_EQ(line.error, "") << "the files are chosen in the window";
    line = parse({"--gui", "in.rib", "out.qel"});
    EXPECT_TRUE(line.gui);
    EXPECT_EQ(line.ribFile, "in.rib");
    EXPECT_EQ(line.qelFile, "out.qel");
    EXPECT_EQ(parse({"--gui", "in.rib"}).error, "no QEL file given");

    // Files given keep the terminal, window system or not.
    std::vector<const char*> files = {"tessaran", "in.rib", "out.qel"};
    EXPECT_FALSE(CommandLine::parse(3, files.data(), true).gui);
}

TEST(TessaranCommandLineTest, TheUsageNamesTheOptionsAndStatuses) {
    std::string usage = CommandLine::usage();
    for (const char* part : {"Usage: tessaran", "RIBFILE QELFILE", "--help", "--version", "Ctrl-C",
                             "130", "\"Success.\""})
        EXPECT_NE(usage.find(part), std::string::npos) << part;
}

namespace {

std::string readBack(std::FILE* file) {
    std::rewind(file);
    std::string text;
    for (int c; (c = std::fgetc(file)) != EOF;)
        text += char(c);
    return text;
}

} // namespace

TEST(TerminalReportTest, StatusTextsAndMessagesGoToTheirStreams) {
    std::FILE* status = std::tmpfile();
    std::FILE* messages = std::tmpfile();
    ASSERT_NE(status, nullptr);
    ASSERT_NE(messages, nullptr);
    TerminalReport report(status, messages, "tessaran");
    report.textChanged("Converting a.rib to b.qel");
    report.lineAdded("RIB warning: w", Severity::Warning);
    report.textChanged("There are warning/error messages.");
    report.messageBox("Unable to open file", "File Error", "\"b.qel\": Permission denied");
    report.messageBox("Unable to open file", "File Error", "");
    EXPECT_EQ(readBack(status), "Converting a.rib to b.qel\nThere are warning/error messages.\n");
    EXPECT_EQ(readBack(messages), "tessaran: RIB warning: w\n"
                                  "tessaran: File Error: Unable to open file\n"
                                  "tessaran: \"b.qel\": Permission denied\n"
                                  "tessaran: File Error: Unable to open file\n");
    std::fclose(status);
    std::fclose(messages);
}
