#include "shell/TGauge.h"

#include <algorithm>
#include <cstdio>

namespace quelmark {

TGauge::TGauge(int minimum, int maximum, const char* format)
    : fMinimum(minimum), fMaximum(std::max(minimum, maximum)), fFormat(format), fValue(minimum) {}

bool TGauge::setValue(int value) {
    value = std::clamp(value, fMinimum, fMaximum);
    if (value == fValue) return false;
    fValue = value;
    return true;
}

bool TGauge::show(bool visible) {
    if (visible == fVisible) return false;
    fVisible = visible;
    return true;
}

std::string TGauge::text() const {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, fFormat.c_str(), fValue);
    return buffer;
}

} // namespace quelmark
