#pragma once
// Texts cross between the program's bytes and Qt's strings here and nowhere else. The program's
// bytes are UTF-8 on this platform, but titles read from old files may be Shift-JIS or Latin-1:
// those are decoded for display only, and the program keeps the bytes it gave.
#include <QString>
#include <string>
#include <string_view>

namespace qv::qtui {

// UTF-8 when the bytes are valid UTF-8, else Shift-JIS when they decode without error, else
// Latin-1 (which decodes anything).
QString ToDisplay(std::string_view bytes);

// A window title as Qt shows it: "[*]" is Qt's mark for a modified document, so a title that
// contains it (a song's name can) is escaped to show as written.
QString TitleToDisplay(std::string_view bytes);

// What the user typed or chose, as the program's bytes.
std::string FromDisplay(const QString& text);

// A control caption as a Qt caption: "&" marks the access key as it does in Qt; the form
// 0x1E <letter> 0x1F marks the letter between the two bytes instead (any "&" is then literal).
QString CaptionToDisplay(std::string_view bytes);

// A caption with its access-key marks removed, for a label that has no control to move to.
QString WithoutAccessKeys(const QString& caption);

}  // namespace qv::qtui
