#pragma once
// The state of one headless window; shared by the window system and its driver only.
#include "platform/headless/HeadlessWindowSystem.h"

namespace qv::headless {

struct HeadlessWindowSystem::Window : BackendWindow {
    std::int16_t x = 0, y = 0, w = 0, h = 0;  // a control's place, in dialog units
    bool visible = true;
    RECT rect{};  // a dialog's place on the screen
    bool topmost = false;
    std::vector<DrawnIcon> drawnIcons;
};

}  // namespace qv::headless
