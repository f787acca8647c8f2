// Reports made on a worker thread wait until the caller's thread hands them
// to the handler, in order, under the caller's request and the names they
// were made with.
#include "common/ReportQueue.h"
#include "common/Error.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

using namespace quelmark;

namespace {

struct Received {
    long code, severity;
    std::string message;
    std::thread::id thread;
};

std::vector<Received> gReceived;
std::vector<std::string> gPrinted;

void recordReport(long code, long severity, const char* message) {
    gReceived.push_back({code, severity, message ? message : "(null)", std::this_thread::get_id()});
    errorPrint(code, severity, message);
}

void recordLine(const char* line) {
    gPrinted.emplace_back(line);
}

class ReportQueueTest : public ::testing::Test {
protected:
    void SetUp() override {
        gReceived.clear();
        gPrinted.clear();
        setErrorHandler(0xB06, recordReport);
        setErrorPrinter(recordLine);
    }
    void TearDown() override {
        setErrorHandler(0xB06, errorPrint);
        setErrorPrinter(printToStandardError);
    }
};

} // namespace

TEST_F(ReportQueueTest, WorkerReportsReachTheHandlerOnlyWhenReplayed) {
    ReportQueue queue;
    std::thread worker([&queue] {
        deferReports(&queue);
        setAttribNames("teapot", nullptr);
        error(kErrMath, kWarning, "first %d", 1);
        setAttribNames(nullptr, "glass");
        error(kErrRange, kError, "second");
        setAttribNames(nullptr, nullptr);
        deferReports(nullptr);
    });
    worker.join();
    EXPECT_TRUE(gReceived.empty());
    EXPECT_FALSE(queue.empty());

    const char* previous = setErrorFuncName("qelSceneEnd");
    queue.replay();
    setErrorFuncName(previous);

    EXPECT_TRUE(queue.empty());
    ASSERT_EQ(gReceived.size(), 2u);
    EXPECT_EQ(gReceived[0].code, kErrMath);
    EXPECT_EQ(gReceived[0].severity, kWarning);
    EXPECT_EQ(gReceived[0].message, "qelSceneEnd: first 1");
    EXPECT_EQ(gReceived[1].message, "qelSceneEnd: second");
    for (const Received& r : gReceived)
        EXPECT_EQ(r.thread, std::this_thread::get_id());
    // The names travel with each report, and are gone again afterwards.
    EXPECT_EQ(gPrinted, (std::vector<std::string>{
                            "warning: Undefined mathematical operation. qelSceneEnd: first 1",
                            "While rendering object teapot",
                            "error: Parameter out of range. qelSceneEnd: second",
                            "While rendering shading group glass"}));
    gPrinted.clear();
    error(kErrRange, kError, "after");
    EXPECT_EQ(gPrinted, (std::vector<std::string>{"error: Parameter out of range. after"}));
}

TEST_F(ReportQueueTest, ReportsOfOtherThreadsAreNotDeferred) {
    ReportQueue queue;
    deferReports(&queue);
    std::thread other([] { error(kErrRange, kWarning, "at once"); });
    other.join();
    deferReports(nullptr);
    ASSERT_EQ(gReceived.size(), 1u);
    EXPECT_EQ(gReceived[0].message, "at once");
    EXPECT_TRUE(queue.empty());
}

TEST_F(ReportQueueTest, RunningOutOfMemoryOnAWorkerIsReportedLastOnTheCallersThread) {
    setErrorHandler(0xB08, recordReport);
    ReportQueue queue;
    std::thread worker([&queue] {
        deferReports(&queue);
        error(kErrRange, kWarning, "before");
        queue.markOutOfMemory();
        deferReports(nullptr);
    });
    worker.join();
    EXPECT_FALSE(queue.empty());
    const char* previous = setErrorFuncName("qelSceneEnd");
    queue.replay();
    setErrorFuncName(previous);
    setErrorHandler(0xB08, errorAbort);
    EXPECT_TRUE(queue.empty());
    ASSERT_EQ(gReceived.size(), 2u);
    EXPECT_EQ(gReceived[1].code, kErrNoMem);
    EXPECT_EQ(gReceived[1].severity, kSevere);
    EXPECT_EQ(gReceived[1].thread, std::this_thread::get_id());
    EXPECT_EQ(gPrinted.back(), "severe error: Out of memory. qelSceneEnd: free store exhausted");
}
