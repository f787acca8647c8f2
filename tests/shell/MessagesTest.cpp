// The message window and the severities told from the line labels.
#include "shell/MessageSeverity.h"
#include "shell/TRendEdit.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace quelmark;

TEST(MessageSeverityTest, RendererLabels) {
    EXPECT_EQ(severityOf("info: Parameter out of range. qelSphere: x"), Severity::Info);
    EXPECT_EQ(severityOf("warning: Invalid state. qelColor"), Severity::Warning);
    EXPECT_EQ(severityOf("error: Bad begin-end nesting. qelFrameEnd"), Severity::Error);
    EXPECT_EQ(severityOf("severe error: Out of memory. free store exhausted"), Severity::Severe);
}

TEST(MessageSeverityTest, SceneReaderLabels) {
    EXPECT_EQ(severityOf("QEL info: at line 2"), Severity::Info);
    EXPECT_EQ(severityOf("QEL warning: invalid light or object handle at line 4"),
              Severity::Warning);
    EXPECT_EQ(severityOf("QEL error: general syntactic error at line 1 'x': Expected Keyword"),
              Severity::Error);
    EXPECT_EQ(severityOf("severe QEL error: generic instance of insufficient memory"),
              Severity::Severe);
}

TEST(MessageSeverityTest, RibReaderLabels) {
    EXPECT_EQ(severityOf("RIB info: at line 3 'version'"), Severity::Info);
    EXPECT_EQ(severityOf("RIB warning: no counterpart in the scene API at line 2 'Option'"),
              Severity::Warning);
    EXPECT_EQ(severityOf("RIB error: undefined RIB request at line 1 'Bogus'"), Severity::Error);
    EXPECT_EQ(severityOf("severe RIB error: insufficient memory to read string at line 9"),
              Severity::Severe);
    EXPECT_EQ(severityOf("RIB errors"), Severity::None);
}

TEST(MessageSeverityTest, OtherLinesHaveNone) {
    EXPECT_EQ(severityOf("While rendering object ball"), Severity::None);
    EXPECT_EQ(severityOf("cannot open scene file \"x.qel\""), Severity::None);
    EXPECT_EQ(severityOf(""), Severity::None);
    EXPECT_EQ(severityOf(nullptr), Severity::None);
    // The label must open the line.
    EXPECT_EQ(severityOf(" error: indented"), Severity::None);
    EXPECT_EQ(severityOf("QEL errors"), Severity::None);
}

namespace {

class RecordingMessages : public MessageView {
public:
    std::vector<std::pair<std::string, Severity>> lines;
    int clears = 0;
    void lineAdded(const std::string& line, Severity severity) override {
        lines.emplace_back(line, severity);
    }
    void cleared() override { ++clears; }
};

} // namespace

TEST(MessageWindowTest, AppendsLinesAndKeepsTheWorstSeverity) {
    TRendEdit edit;
    RecordingMessages view;
    edit.setView(&view);
    edit.print("QEL warning: w");
    edit.print("While rendering object o");
    edit.print("error: e");
    edit.print("info: i");
    EXPECT_EQ(edit.worst(), Severity::Error);
    EXPECT_EQ(edit.text(), "QEL warning: w\r\nWhile rendering object o\r\nerror: e\r\ninfo: i\r\n");
    ASSERT_EQ(view.lines.size(), 4u);
    EXPECT_EQ(view.lines[0].second, Severity::Warning);
    EXPECT_EQ(view.lines[1].second, Severity::None);
    EXPECT_EQ(view.lines[2], std::make_pair(std::string("error: e"), Severity::Error));
}

TEST(MessageWindowTest, ClearEmptiesAndForgetsTheSeverity) {
    TRendEdit edit;
    RecordingMessages view;
    edit.setView(&view);
    edit.print("severe error: s");
    edit.clear();
    EXPECT_TRUE(edit.lines().empty());
    EXPECT_EQ(edit.text(), "");
    EXPECT_EQ(edit.worst(), Severity::None);
    EXPECT_EQ(view.clears, 1);
    edit.print(nullptr);
    ASSERT_EQ(edit.lines().size(), 1u);
    EXPECT_EQ(edit.lines()[0], "");
}

TEST(MessageWindowTest, LinesAreLedByThePlaceTheyAreAbout) {
    TRendEdit edit;
    RecordingMessages view;
    edit.setView(&view);
    std::string place = "scene.rib:12";
    edit.setPlaceSource([&] { return place; });
    edit.print("error: Invalid state for primitives. qelSphere");
    place.clear();
    edit.print("warning: w");
    ASSERT_EQ(view.lines.size(), 2u);
    EXPECT_EQ(view.lines[0],
              std::make_pair(std::string("scene.rib:12: error: Invalid state for primitives. "
                                         "qelSphere"),
                             Severity::Error));
    EXPECT_EQ(view.lines[1].first, "warning: w");
}

TEST(MessageWindowTest, BytesATerminalWouldObeyAreEscaped) {
    TRendEdit edit;
    edit.print("error: cannot write image file \"\x1b]0;x\x07.tif\"");
    edit.print("warning: caf\xc3\xa9 n\xe9");
    EXPECT_EQ(edit.lines(), (std::vector<std::string>{
                                "error: cannot write image file \"\\x1b]0;x\\x07.tif\"",
                                "warning: caf\xc3\xa9 n\\xe9"}));
}

TEST(MessageWindowTest, AMessageComingAgainAndAgainIsCountedAfterAFew) {
    TRendEdit edit;
    RecordingMessages view;
    edit.setView(&view);
    for (int k = 1; k <= 10; ++k) {
        edit.print(("QEL warning: invalid light or object handle at line " + std::to_string(k) +
                    " '7': Unknown light handle 7")
                       .c_str());
        edit.print("error: Bad begin-end nesting. qelAttributePop");
    }
    edit.print("error: Bad begin-end nesting. qelFrameEnd");
    EXPECT_EQ(view.lines.size(), 2u * TRendEdit::kShownRepeats + 1);
    EXPECT_EQ(view.lines[4].first,
              "QEL warning: invalid light or object handle at line 3 '7': Unknown light handle 7");
    edit.finishRepeats();
    ASSERT_EQ(view.lines.size(), 2u * TRendEdit::kShownRepeats + 3);
    // the same fault on every line is one message
    EXPECT_EQ(view.lines[7], std::make_pair(std::string("QEL warning: invalid light or object "
                                                        "handle '7': Unknown light handle 7 (7 "
                                                        "more times, not shown)"),
                                            Severity::Warning));
    EXPECT_EQ(view.lines[8].first,
              "error: Bad begin-end nesting. qelAttributePop (7 more times, not shown)");
    EXPECT_EQ(edit.count(), 9u);
    // told once: the next file counts afresh
    edit.print("error: Bad begin-end nesting. qelAttributePop");
    EXPECT_EQ(view.lines.size(), 10u);
}

TEST(MessageWindowTest, OnlyTheLatestOfVeryManyLinesAreKept) {
    TRendEdit edit;
    for (size_t k = 0; k < TRendEdit::kMostKept + 10; ++k)
        edit.print(("warning: " + std::to_string(k)).c_str());
    EXPECT_EQ(edit.count(), TRendEdit::kMostKept + 10);
    EXPECT_LE(edit.lines().size(), TRendEdit::kMostKept);
    EXPECT_GE(edit.lines().size(), TRendEdit::kMostKept / 2);
    EXPECT_EQ(edit.lines().back(), "warning: " + std::to_string(TRendEdit::kMostKept + 9));
}
