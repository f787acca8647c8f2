#include "shell/desktop/StepLoop.h"

#include <FL/Fl.H>

#include <chrono>

namespace quelmark {

void StepLoop::run(const std::function<bool()>& running, const std::function<void(long)>& step,
                   const std::function<bool()>& changed) {
    using Clock = std::chrono::steady_clock;
    const auto slice = std::chrono::milliseconds(kSliceMilliseconds);
    Fl::check();
    auto lastCheck = Clock::now();
    for (long count = 0; running(); ++count) {
        step(count);
        Clock::time_point now = Clock::now();
        if (changed() || now - lastCheck >= slice) {
            Fl::check();
            lastCheck = Clock::now();
        }
    }
}

void StepLoop::waitUntil(const std::function<bool()>& done) {
    while (!done() && Fl::first_window())
        Fl::wait();
}

} // namespace quelmark
