#include "common/Error.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

using namespace quelmark;

namespace {

std::vector<std::string> gLines;

void record(const char* text) {
    gLines.emplace_back(text);
}

struct Received {
    long code = -1, severity = -1;
    std::string message;
    bool null = false;
};
Received gReceived;

void receive(long code, long severity, const char* message) {
    gReceived = {code, severity, message ? message : "", message == nullptr};
}

class ErrorTest : public ::testing::Test {
protected:
    void SetUp() override {
        gLines.clear();
        setErrorPrinter(record);
        setErrorHandler(0xB0F, errorPrint);
        setErrorFuncName(nullptr);
        setAttribNames(nullptr, nullptr);
    }
    void TearDown() override {
        setErrorHandler(0xB01, errorIgnore);
        setErrorHandler(0xB06, errorPrint);
        setErrorHandler(0xB08, errorAbort);
        setErrorFuncName(nullptr);
        setAttribNames(nullptr, nullptr);
    }
};

TEST_F(ErrorTest, LineHoldsLabelCodeTextAndMessage) {
    setErrorFuncName("qelSphere");
    error(kErrNotPrims, kError, nullptr);
    error(kErrRange, kWarning, "value %d", 7);
    error(kErrBug, kSevere, "lost");
    error(kErrMath, kInfo, "tiny");
    ASSERT_EQ(gLines.size(), 4u);
    EXPECT_EQ(gLines[0], "error: Invalid state for primitives. qelSphere");
    EXPECT_EQ(gLines[1], "warning: Parameter out of range. qelSphere: value 7");
    EXPECT_EQ(gLines[2], "severe error: Probably a bug in renderer. qelSphere: lost");
    EXPECT_EQ(gLines[3], "info: Undefined mathematical operation. qelSphere: tiny");
}

TEST_F(ErrorTest, CodeTextsAtTheEdges) {
    error(0, kError, "zero");
    error(16, kError, "sixteen");
    error(1, 0x123, "odd severity");
    error(4, kError, nullptr); // no request name, no message
    ASSERT_EQ(gLines.size(), 4u);
    EXPECT_EQ(gLines[0], "error: zero");
    EXPECT_EQ(gLines[1], "error: Error code: 16 sixteen");
    EXPECT_EQ(gLines[2], "error: Out of memory. odd severity");
    EXPECT_EQ(gLines[3], "error: Bad begin-end nesting.");
}

TEST_F(ErrorTest, DefaultHandlersIgnoreInfoButRecordItsCode) {
    setErrorHandler(0xB01, errorIgnore);
    error(kErrSyntax, kInfo, "quiet");
    EXPECT_TRUE(gLines.empty());
    EXPECT_EQ(lastError(), kErrSyntax);
}

TEST_F(ErrorTest, WhileRenderingLineFollowsAllButInfo) {
    setAttribNames("teapot", "handles");
    error(kErrMath, kWarning, "w");
    error(kErrMath, kInfo, "i");
    setAttribNames(nullptr, "handles");
    error(kErrMath, kError, "e");
    setAttribNames("teapot", nullptr);
    error(kErrMath, kError, "e");
    ASSERT_EQ(gLines.size(), 7u);
    EXPECT_EQ(gLines[1], "While rendering object teapot; shading group handles");
    EXPECT_EQ(gLines[2], "info: Undefined mathematical operation. i");
    EXPECT_EQ(gLines[4], "While rendering shading group handles");
    EXPECT_EQ(gLines[6], "While rendering object teapot");
}

TEST_F(ErrorTest, LongMessagesAreCutToTheBuffer) {
    std::string name(200, 'n');
    setErrorFuncName(name.c_str());
    std::string text(500, 'x');
    error(kErrRange, kError, "%s", text.c_str());
    ASSERT_EQ(gLines.size(), 1u);
    std::string prefix = "error: Parameter out of range. ";
    ASSERT_EQ(gLines[0].substr(0, prefix.size()), prefix);
    EXPECT_EQ(gLines[0].size() - prefix.size(), size_t(kErrorBufferSize - 1));
}

TEST_F(ErrorTest, HandlerInstallationByMask) {
    setErrorHandler(0xB0F, receive);
    error(kErrRange, kInfo, "a");
    EXPECT_EQ(gReceived.severity, kInfo);
    error(kErrRange, kSevere, nullptr);
    EXPECT_TRUE(gReceived.null); // no request name stands in
    EXPECT_EQ(gReceived.code, kErrRange);
    setErrorHandler(0xB0F, errorPrint);

    gLines.clear();
    setErrorHandler(short(0xB10), receive);
    setErrorHandler(short(0xA01), receive);
    setErrorHandler(0xB01, short(0xC07));
    ASSERT_EQ(gLines.size(), 3u);
    EXPECT_EQ(gLines[0], "error: Parameter out of range. unknown severity mask 2832");
    EXPECT_EQ(gLines[1], "error: Parameter out of range. unknown severity mask 2561");
    EXPECT_EQ(gLines[2], "error: Parameter out of range. unknown error handler 3079");
}

TEST_F(ErrorTest, CodedHandlersAndTheirMasks) {
    setErrorHandler(0xB02, short(0xC00));
    error(kErrRange, kWarning, "dropped");
    error(kErrRange, kError, "kept");
    ASSERT_EQ(gLines.size(), 1u);
    EXPECT_EQ(gLines[0], "error: Parameter out of range. kept");
}

TEST_F(ErrorTest, AbortHandlerReturnsForInfo) {
    errorAbort(kErrRange, kInfo, "still here");
    ASSERT_EQ(gLines.size(), 1u);
    EXPECT_EQ(gLines[0], "info: Parameter out of range. still here");
}

TEST_F(ErrorTest, AbortHandlerEndsTheProcessAfterPrinting) {
    setErrorPrinter(printToStandardError);
    EXPECT_DEATH(errorAbort(kErrRange, kWarning, "bye"), "warning: Parameter out of range. bye");
}

TEST_F(ErrorTest, NullPrinterSilencesInsteadOfCrashing) {
    setErrorPrinter(nullptr);
    error(kErrRange, kError, "nobody hears this");
    EXPECT_EQ(lastError(), kErrRange);
}

TEST_F(ErrorTest, NullHandlerIsRefused) {
    setErrorHandler(0xB04, static_cast<qelErrorHandlerFunc>(nullptr));
    error(kErrRange, kError, "printed");
    ASSERT_EQ(gLines.size(), 2u);
    EXPECT_EQ(gLines[0], "error: Required parameters not provided. handler must not be null");
}

TEST_F(ErrorTest, RequestNameInstallsTheOutOfMemoryHandler) {
    std::new_handler before = std::get_new_handler();
    EXPECT_EQ(setErrorFuncName("qelSphere"), nullptr);
    EXPECT_NE(std::get_new_handler(), before);
    EXPECT_STREQ(setErrorFuncName("qelCone"), "qelSphere");
    EXPECT_STREQ(setErrorFuncName(nullptr), "qelCone");
    EXPECT_EQ(std::get_new_handler(), before);
}

// Each thread runs its own request: a name set on one is not another's, and
// the out-of-memory handler stays while any thread has a name.
TEST_F(ErrorTest, RequestNamesArePerThread) {
    std::new_handler before = std::get_new_handler();
    setErrorFuncName("qelSceneEnd");
    std::thread other([&] {
        EXPECT_EQ(errorFuncName(), nullptr);
        EXPECT_EQ(setErrorFuncName("qelSphere"), nullptr);
        EXPECT_STREQ(setErrorFuncName(nullptr), "qelSphere");
        EXPECT_NE(std::get_new_handler(), before); // the first thread still has its name
    });
    other.join();
    EXPECT_STREQ(errorFuncName(), "qelSceneEnd");
    error(kErrRange, kWarning, "here");
    ASSERT_EQ(gLines.size(), 1u);
    EXPECT_EQ(gLines[0], "warning: Parameter out of range. qelSceneEnd: here");
    setErrorFuncName(nullptr);
    EXPECT_EQ(std::get_new_handler(), before);
}

// A worker of the renderer runs no request: running out there throws, and
// its work hands the report to the caller's thread.
TEST_F(ErrorTest, OutOfMemoryOnAThreadWithoutARequestThrows) {
    setErrorFuncName("qelSceneEnd");
    bool thrown = false;
    std::thread worker([&] {
        try {
            std::get_new_handler()();
        } catch (const std::bad_alloc&) {
            thrown = true;
        }
    });
    worker.join();
    EXPECT_TRUE(thrown);
    EXPECT_TRUE(gLines.empty());
    setErrorFuncName(nullptr);
}

TEST_F(ErrorTest, OutOfMemoryInsideARequestIsSevereAndFatal) {
    setErrorPrinter(printToStandardError);
    setErrorHandler(0xB08, errorAbort);
    EXPECT_DEATH(
        {
            setErrorFuncName("qelPolygon");
            std::get_new_handler()();
        },
        "severe error: Out of memory. qelPolygon: free store exhausted");
}

} // namespace
