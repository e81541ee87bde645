#pragma once
// Small pieces that every window-system backend needs to answer the seam's messages the same way:
// reading texts and indices out of message parameters, copying a text into the caller's buffer,
// and answering DragQueryFileA from a drop's list of paths. Backends only; the program never
// includes this.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/window.h"

namespace qv {

// The zero-terminated text a message carries in lParam (none gives an empty text).
inline std::string TextOf(std::intptr_t lParam) {
    const char* p = reinterpret_cast<const char*>(lParam);
    return p ? std::string(p) : std::string();
}

// Indices are ints in the low 32 bits, so (UINT)-1 and (WPARAM)-1 both mean -1.
inline std::int32_t IndexOf(std::uintptr_t wParam) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(wParam & 0xFFFFFFFFu));
}

inline bool InRange(std::int32_t index, std::size_t size) {
    return index >= 0 && static_cast<std::size_t>(index) < size;
}

// Copies a text into a buffer of cch bytes (lParam), cut to fit with its terminator; answers the
// bytes copied.
inline std::intptr_t CopyText(const std::string& text, std::uintptr_t cch, std::intptr_t lParam) {
    char* buffer = reinterpret_cast<char*>(lParam);
    if (!buffer || cch == 0) return 0;
    std::size_t n = std::min<std::size_t>(text.size(), cch - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return static_cast<std::intptr_t>(n);
}

// DragQueryFileA over the paths of one drop: kDragQueryCount answers the count; a null buffer
// answers item i's full length, so that the program can refuse a path that would be cut.
inline std::uint32_t QueryDroppedPath(const std::vector<std::string>& paths, std::uint32_t index,
                                      char* buffer, std::uint32_t cch) {
    if (index == kDragQueryCount) return static_cast<std::uint32_t>(paths.size());
    if (index >= paths.size()) return 0;
    const std::string& path = paths[index];
    if (!buffer) return static_cast<std::uint32_t>(path.size());
    return static_cast<std::uint32_t>(CopyText(path, cch, reinterpret_cast<std::intptr_t>(buffer)));
}

// What a list-box message changed, for a backend that mirrors the lines in a widget.
struct ListChange {
    enum Kind { None, Added, Inserted, Deleted, Reset, Selected } kind = None;
    std::int32_t index = -1;
};

// The list box's rules, the same in every backend: unsorted lines; insert at -1 appends; delete
// answers the lines left and keeps the selection on its line; no selection reads LB_ERR; setting
// a selection notifies nothing (the caller sends no notification). Lines is a sequence of
// std::string. Answers nothing for a message that is not a list-box message.
template <typename Lines>
std::optional<std::intptr_t> ListBoxRules(Lines& lines, std::int32_t& selection,
                                          std::uint32_t message, std::uintptr_t wParam,
                                          std::intptr_t lParam, ListChange& change) {
    std::int32_t index = IndexOf(wParam);
    switch (message) {
        case LB_ADDSTRING:
            lines.push_back(TextOf(lParam));
            change = {ListChange::Added, static_cast<std::int32_t>(lines.size() - 1)};
            return change.index;
        case LB_INSERTSTRING:
            if (index == -1) index = static_cast<std::int32_t>(lines.size());
            if (index < 0 || static_cast<std::size_t>(index) > lines.size()) return LB_ERR;
            lines.insert(lines.begin() + index, TextOf(lParam));
            // The selected line stays selected as it moves down.
            if (selection >= index) ++selection;
            change = {ListChange::Inserted, index};
            return index;
        case LB_DELETESTRING:
            if (!InRange(index, lines.size())) return LB_ERR;
            lines.erase(lines.begin() + index);
            if (selection == index) {
                selection = -1;
            } else if (selection > index) {
                --selection;
            }
            change = {ListChange::Deleted, index};
            return static_cast<std::intptr_t>(lines.size());
        case LB_RESETCONTENT:
            lines.clear();
            selection = -1;
            change = {ListChange::Reset, -1};
            return 0;
        case LB_GETCOUNT:
            return static_cast<std::intptr_t>(lines.size());
        case LB_GETCURSEL:
            return selection;
        case LB_SETCURSEL:
            if (index != -1 && !InRange(index, lines.size())) return LB_ERR;
            selection = index;
            change = {ListChange::Selected, index};
            return index == -1 ? LB_ERR : index;
        case LB_GETTEXT: {
            char* buffer = reinterpret_cast<char*>(lParam);
            if (!InRange(index, lines.size()) || !buffer) return LB_ERR;
            const std::string& line = lines[static_cast<std::size_t>(index)];
            std::memcpy(buffer, line.c_str(), line.size() + 1);
            return static_cast<std::intptr_t>(line.size());
        }
        case LB_GETTEXTLEN:
            if (!InRange(index, lines.size())) return LB_ERR;
            return static_cast<std::intptr_t>(lines[static_cast<std::size_t>(index)].size());
        default:
            return std::nullopt;
    }
}

// One item of a window's system menu, as both backends keep it.
struct MenuItem {
    std::uint32_t id;
    std::uint32_t flags;  // MF_SEPARATOR, MF_GRAYED, MF_DISABLED
    std::string text;

    bool IsSeparator() const { return (flags & MF_SEPARATOR) != 0; }
    bool IsGrayed() const { return (flags & (MF_GRAYED | MF_DISABLED)) != 0; }
};

// The system menu's items, addressed by command as the program addresses them.
inline constexpr std::uint32_t kMenuGrayBits = MF_GRAYED | MF_DISABLED;

inline MenuItem MakeMenuItem(std::uint32_t flags, std::uintptr_t id, const char* text) {
    if (flags & MF_SEPARATOR) return MenuItem{0, MF_SEPARATOR, ""};
    return MenuItem{static_cast<std::uint32_t>(id), flags & kMenuGrayBits, text ? text : ""};
}

inline MenuItem* FindMenuItem(std::vector<MenuItem>& items, std::uint32_t command) {
    for (MenuItem& item : items) {
        if (!item.IsSeparator() && item.id == command) return &item;
    }
    return nullptr;
}

// Answers the item's previous grayed state, or -1 when no item has that command.
inline std::int32_t EnableMenuItemByCommand(std::vector<MenuItem>& items, std::uint32_t command,
                                            std::uint32_t enable) {
    MenuItem* item = FindMenuItem(items, command);
    if (!item) return -1;
    std::uint32_t previous = item->flags & kMenuGrayBits;
    item->flags = (item->flags & ~kMenuGrayBits) | (enable & kMenuGrayBits);
    return static_cast<std::int32_t>(previous);
}

// Replaces the item with that command; false when there is none.
inline bool ModifyMenuItemByCommand(std::vector<MenuItem>& items, std::uint32_t command,
                                    std::uint32_t flags, std::uintptr_t id, const char* text) {
    MenuItem* item = FindMenuItem(items, command);
    if (!item) return false;
    *item = MakeMenuItem(flags, id, text);
    return true;
}

}  // namespace qv
