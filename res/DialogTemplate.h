#pragma once
// Dialog templates as data: defined once and read by every window-system backend (and by the tool
// that writes the resource script for the Windows build). Coordinates are dialog units.
#include <cstdint>
#include <span>
#include <string_view>

#include "res/Language.h"

namespace qv::res {

enum class ControlKind : std::uint8_t {
    PushButton,
    DefPushButton,
    AutoCheckBox,
    ListBox,
    ComboBox,  // drop-down list
    LText,     // static text, left aligned
    CText,     // static text, centred
    BlackFrame,
    Edit,
    Icon,
};

// Style bits, with the values the Windows resource compiler uses for them.
inline constexpr std::uint32_t kTabStop = 0x00010000;           // WS_TABSTOP
inline constexpr std::uint32_t kGroup = 0x00020000;             // WS_GROUP
inline constexpr std::uint32_t kDisabled = 0x08000000;          // WS_DISABLED
inline constexpr std::uint32_t kVisible = 0x10000000;           // WS_VISIBLE
inline constexpr std::uint32_t kVScroll = 0x00200000;           // WS_VSCROLL
inline constexpr std::uint32_t kBorder = 0x00800000;            // WS_BORDER
inline constexpr std::uint32_t kListNotify = 0x0001;            // LBS_NOTIFY
inline constexpr std::uint32_t kListNoIntegralHeight = 0x0100;  // LBS_NOINTEGRALHEIGHT
inline constexpr std::uint32_t kListDisableNoScroll = 0x1000;   // LBS_DISABLENOSCROLL
inline constexpr std::uint32_t kComboDropList = 0x0003;         // CBS_DROPDOWNLIST
inline constexpr std::uint32_t kEditAutoHScroll = 0x0080;       // ES_AUTOHSCROLL

inline constexpr std::uint32_t kDlgModalFrame = 0x00000080;   // DS_MODALFRAME
inline constexpr std::uint32_t kDlgPopup = 0x80000000;        // WS_POPUP
inline constexpr std::uint32_t kDlgCaption = 0x00C00000;      // WS_CAPTION
inline constexpr std::uint32_t kDlgSysMenu = 0x00080000;      // WS_SYSMENU
inline constexpr std::uint32_t kDlgMinimizeBox = 0x00020000;  // WS_MINIMIZEBOX

// A control without an id of its own (labels, frames, the icon).
inline constexpr std::int32_t kNoId = -1;

struct ControlTemplate {
    std::int32_t id;
    ControlKind kind;
    std::string_view caption;
    std::int16_t x, y, w, h;
    std::uint32_t style;  // window bits and those of its kind; kVisible when shown
    std::span<const std::string_view> items;  // combo-box lines added when the dialog is created
    std::uint16_t image = 0;                  // icon resource of an Icon control
};

struct DialogTemplate {
    std::uint32_t id;
    std::string_view caption;
    std::string_view fontName;
    std::uint16_t fontSize;
    std::int16_t x, y, w, h;
    std::uint32_t style;
    std::span<const ControlTemplate> controls;

    // The control with that id, or null.
    const ControlTemplate* FindControl(std::int32_t controlId) const {
        for (const ControlTemplate& c : controls) {
            if (c.id == controlId) return &c;
        }
        return nullptr;
    }
};

// The program's template of that id in that language, or null.
const DialogTemplate* FindDialogTemplate(std::uint32_t id, Language language);

// Rows read like the lines of a resource script: a control is visible unless wrapped in Hidden().
constexpr ControlTemplate Control(std::int32_t id, ControlKind kind, std::string_view caption,
                                  std::int16_t x, std::int16_t y, std::int16_t w, std::int16_t h,
                                  std::uint32_t style, std::span<const std::string_view> items = {},
                                  std::uint16_t image = 0) {
    return ControlTemplate{id, kind, caption, x, y, w, h, style | kVisible, items, image};
}

constexpr ControlTemplate Hidden(ControlTemplate c) {
    c.style &= ~kVisible;
    return c;
}

}  // namespace qv::res
