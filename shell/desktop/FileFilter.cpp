#include "shell/desktop/FileFilter.h"

#include <cctype>
#include <vector>

namespace quelmark {

namespace {

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(separator, start);
        if (end == std::string::npos) end = text.size();
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// "Scene Files (*.QEL)" without its pattern in parentheses.
std::string plainDescription(std::string description) {
    size_t open = description.rfind('(');
    if (open != std::string::npos && description.back() == ')') description.erase(open);
    while (!description.empty() && description.back() == ' ')
        description.pop_back();
    return description;
}

} // namespace

std::string FileFilter::anyCasePattern(const std::string& pattern) {
    if (pattern == "*.*" || pattern == "*") return "*";
    std::string out;
    for (size_t k = 0; k < pattern.size(); ++k) {
        char c = pattern[k];
        if (c == '[') {
            // A set of the pattern's own stays as written.
            size_t close = pattern.find(']', k + 1);
            if (close == std::string::npos) close = pattern.size() - 1;
            out += pattern.substr(k, close - k + 1);
            k = close;
        } else if (std::isalpha(static_cast<unsigned char>(c))) {
            out += '[';
            out += char(std::toupper(static_cast<unsigned char>(c)));
            out += char(std::tolower(static_cast<unsigned char>(c)));
            out += ']';
        } else {
            out += c;
        }
    }
    return out;
}

std::string FileFilter::chooserFilter(const std::string& pairs) {
    std::vector<std::string> parts = split(pairs, '|');
    std::string filter;
    for (size_t k = 0; k + 1 < parts.size(); k += 2) {
        std::string description = plainDescription(parts[k]);
        for (const std::string& pattern : split(parts[k + 1], ';')) {
            if (pattern.empty()) continue;
            std::string chooserPattern = anyCasePattern(pattern);
            if (!filter.empty()) filter += '\t';
            // The chooser names a lone "*" "All Files" itself.
            filter +=
                chooserPattern == "*" ? chooserPattern : description + " (" + chooserPattern + ")";
        }
    }
    return filter;
}

} // namespace quelmark
