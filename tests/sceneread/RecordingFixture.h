// What the reader fixtures share: a fresh recording stand-in of the qel API,
// the message lines a reading prints, and the requests it made.
#ifndef QEL_TESTS_RECORDINGFIXTURE_H
#define QEL_TESTS_RECORDINGFIXTURE_H

#include "QelRecorder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class RecordingFixture : public ::testing::Test {
protected:
    using Lines = std::vector<std::string>;

    RecordingFixture() {
        recorder::reset();
        messages().clear();
    }

    static Lines& messages() {
        static Lines lines;
        return lines;
    }
    static void capture(const char* line) { messages().emplace_back(line); }

    // The recorded requests, without the qelReset every file starts with.
    static Lines requestsMade() {
        Lines calls = recorder::calls();
        if (!calls.empty() && calls.front() == "qelReset") calls.erase(calls.begin());
        return calls;
    }
};

#endif
