// Idle work behind a modal window: steps run one after another while the
// window's events are handled between them, after every step that changed
// what the window shows and at least every few milliseconds, so that the
// window stays responsive and a button pressed is seen before the next step.
#ifndef QEL_SHELL_DESKTOP_STEPLOOP_H
#define QEL_SHELL_DESKTOP_STEPLOOP_H

#include <functional>

namespace quelmark {

class StepLoop {
public:
    static constexpr int kSliceMilliseconds = 10;

    // Runs step(count) while running() holds; changed() tells, and forgets,
    // whether the last steps changed the window.
    static void run(const std::function<bool()>& running, const std::function<void(long)>& step,
                    const std::function<bool()>& changed);
    // Handles events until done() holds.
    static void waitUntil(const std::function<bool()>& done);
};

} // namespace quelmark

#endif
