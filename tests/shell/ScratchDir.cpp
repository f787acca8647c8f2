#include "ScratchDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <vector>

ScratchDir::ScratchDir(const std::string& prefix) {
    std::string pattern = ::testing::TempDir() + prefix + "-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (::mkdtemp(name.data())) fPath = std::string(name.data()) + "/";
}

ScratchDir::~ScratchDir() {
    if (fPath.empty()) return;
    int status = std::system(("chmod -R u+rwx '" + fPath + "'; rm -rf '" + fPath + "'").c_str());
    (void)status;
}

std::string ScratchDir::write(const std::string& name, const std::string& text) const {
    std::ofstream(fPath + name, std::ios::binary) << text;
    return name;
}

bool ScratchDir::exists(const std::string& name) const {
    struct stat info;
    return ::stat((fPath + name).c_str(), &info) == 0;
}

std::string ScratchDir::contents(const std::string& name) const {
    std::ifstream in(fPath + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
