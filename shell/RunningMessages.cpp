#include "shell/RunningMessages.h"

#include <cstdio>

namespace quelmark {

TRendEdit* RunningMessages::fCurrent = nullptr;

RunningMessages::RunningMessages(TRendEdit& messages) : fMine(messages) {
    fCurrent = &messages;
}

RunningMessages::~RunningMessages() {
    if (fCurrent == &fMine) fCurrent = nullptr;
}

void RunningMessages::print(const char* text) {
    if (fCurrent) {
        fCurrent->print(text);
    } else {
        std::fputs(text ? text : "", stderr);
        std::fputc('\n', stderr);
    }
}

} // namespace quelmark
