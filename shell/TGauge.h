// The progress dialog's gauge: a value in its range, shown as text through
// a printf format, and whether it is visible.
#ifndef QEL_SHELL_TGAUGE_H
#define QEL_SHELL_TGAUGE_H

#include <string>

namespace quelmark {

class TGauge {
public:
    TGauge(int minimum, int maximum, const char* format);

    // Both return whether anything changed; values outside the range are
    // held at its ends.
    bool setValue(int value);
    bool show(bool visible);

    int value() const { return fValue; }
    int minimum() const { return fMinimum; }
    int maximum() const { return fMaximum; }
    bool visible() const { return fVisible; }
    // The value formatted as the gauge shows it, "45%" for example.
    std::string text() const;

private:
    int fMinimum, fMaximum;
    std::string fFormat;
    int fValue;
    bool fVisible = false;
};

} // namespace quelmark

#endif
