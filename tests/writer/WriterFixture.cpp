#include "WriterFixture.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

Lines gReports;

void record(const char* text) { gReports.emplace_back(text); }

} // namespace

WriterFixture::WriterFixture() {
    char pattern[] = "/tmp/writer-test-XXXXXX";
    const char* made = mkdtemp(pattern);
    fDirectory = made ? made : "/tmp";
    qelErrorPrinter(record);
    qelErrorHandler(QEL_SEVERITY_IWE, QEL_HANDLER_PRINT);
    qelErrorHandler(QEL_SEVERITY_SEVERE, QEL_HANDLER_ABORT);
    qelOutputFile(QEL_FORMAT_QEL, nullptr);
    qelReset();
    gReports.clear();
}

WriterFixture::~WriterFixture() {
    qelOutputFile(QEL_FORMAT_QEL, nullptr);
    qelReset();
    qelErrorHandler(QEL_SEVERITY_INFO, QEL_HANDLER_IGNORE);
    std::error_code ignored;
    if (fDirectory != "/tmp") std::filesystem::remove_all(fDirectory, ignored);
}

Lines WriterFixture::write(const std::function<void()>& requests) {
    std::string file = path("scene.qel");
    qelOutputFile(QEL_FORMAT_QEL, file.c_str());
    requests();
    qelOutputFile(QEL_FORMAT_QEL, nullptr);
    return readLines(file);
}

std::string WriterFixture::line(const std::function<void()>& requests) {
    Lines lines = write(requests);
    EXPECT_EQ(lines.size(), 1u);
    return lines.empty() ? std::string() : lines.front();
}

Lines WriterFixture::reports() {
    Lines lines;
    lines.swap(gReports);
    return lines;
}

std::string WriterFixture::path(const char* name) const { return fDirectory + "/" + name; }

Lines WriterFixture::readLines(const std::string& file) {
    std::ifstream in(file);
    Lines lines;
    for (std::string text; std::getline(in, text);) lines.push_back(text);
    return lines;
}

std::string WriterFixture::readText(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string WriterFixture::g(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", double(value));
    return text;
}
