#include "platform/sequencer/WindowPoster.h"

#include "platform/window.h"

namespace qv::seq {

Poster MakeWindowPoster() {
    return [](std::uintptr_t callbackWindow, std::uint32_t notifyCode, std::uint32_t deviceId) {
        qv::PostWindowMessage(reinterpret_cast<qv::HWND>(callbackWindow), MM_MCINOTIFY, notifyCode,
                              static_cast<std::intptr_t>(deviceId));
    };
}

ProblemPoster MakeProblemPoster() {
    return [](std::uintptr_t window, std::uint32_t messageId) {
        qv::PostWindowMessage(reinterpret_cast<qv::HWND>(window), QV_MM_SOUNDPROBLEM, messageId, 0);
    };
}

}  // namespace qv::seq
