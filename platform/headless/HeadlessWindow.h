#pragma once
// The state of one headless window; shared by the window system and its driver only.
#include "platform/headless/HeadlessWindowSystem.h"

namespace qv::headless {

struct HeadlessWindowSystem::Window {
    HWND handle = nullptr;
    bool isDialog = false;

    // Controls.
    HWND parent = nullptr;
    std::int32_t id = 0;
    res::ControlKind kind = res::ControlKind::LText;
    std::int16_t x = 0, y = 0, w = 0, h = 0;  // dialog units

    // Every window.
    std::string text;
    bool enabled = true;
    bool visible = true;
    bool redraw = true;
    int invalidations = 0;
    std::vector<std::string> lines;
    std::int32_t selection = -1;
    std::int32_t check = BST_UNCHECKED;

    // Dialogs.
    const res::DialogTemplate* tpl = nullptr;
    HWND owner = nullptr;
    DialogProc proc = nullptr;
    std::vector<HWND> children;
    RECT rect{};
    bool iconic = false;
    bool acceptsDrops = false;
    bool topmost = false;
    bool ended = false;
    std::intptr_t result = 0;
    bool menuHandedOut = false;
    std::vector<MenuItem> systemMenu;
    std::vector<DrawnIcon> drawnIcons;
    int iconErasures = 0;

    bool HasStyle(std::uint32_t bits) const { return tpl && (tpl->style & bits) == bits; }
};

}  // namespace qv::headless
