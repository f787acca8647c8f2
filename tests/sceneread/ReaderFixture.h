// Reads a scene text with the rendering reader against the recording
// stand-in, collecting the message lines and the requests made.
#ifndef QEL_TESTS_READERFIXTURE_H
#define QEL_TESTS_READERFIXTURE_H

#include "RecordingFixture.h"
#include "common/Quark.h"
#include "sceneread/rendqel.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

using namespace quelmark;

class ReaderFixture : public RecordingFixture {
protected:
    // The requests the text makes, without the qelReset every file starts with.
    // beforeReading runs once the reader has made its quark table.
    Lines read(const std::string& text, const std::function<void()>& beforeReading = {}) {
        recorder::calls().clear();
        std::istringstream in(text);
        String frame;
        rendqel reader(in, "test.qel", frame);
        reader.errorPrinter(capture);
        if (beforeReading) beforeReading();
        reader.parse();
        return requestsMade();
    }
};

#endif
