// Reads a RIB text with the converting reader against the recording
// stand-in of the qel API, collecting the message lines and the requests made.
#ifndef QEL_TESTS_RIBFIXTURE_H
#define QEL_TESTS_RIBFIXTURE_H

#include "../RecordingFixture.h"
#include "sceneread/rib/rendrib.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

using namespace quelmark;

class RibFixture : public RecordingFixture {
protected:
    // The requests the text makes, without the qelReset every file starts with.
    Lines read(const std::string& text, const std::string& fileName = "test.rib") {
        recorder::reset();
        std::istringstream in(text);
        String frame;
        rendrib reader(in, fileName.c_str(), frame);
        reader.errorPrinter(capture);
        reader.parse();
        return requestsMade();
    }

    // The messages of reading the text alone.
    Lines messagesOf(const std::string& text) {
        messages().clear();
        read(text);
        return messages();
    }

    static std::string fileText(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
};

#endif
