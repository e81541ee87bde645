#pragma once
// The open and save dialogs: the program's filter, flags and default extension carried over to
// Qt's file dialog, and the chosen files answered in the forms the window seam defines.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/window.h"

class QWidget;

namespace qv::qtui {

struct NameFilter {
    QString description;
    QStringList patterns;  // as the program wrote them, e.g. "*.MID"
};

// The program's filter: description and pattern pairs, each ended by a zero byte, then a zero.
std::vector<NameFilter> ParseFilter(const char* filter);

// A pattern that matches names regardless of letter case; "*.*" matches every name, as on the
// platform the program was written for (where it also matches names without a dot).
QString CaseInsensitivePattern(const QString& pattern);

// A filter line for Qt's dialog: the description, then the patterns in parentheses.
QString ToQtNameFilter(const NameFilter& filter);

// The open dialog's answer for the chosen paths (all in one folder). The text form is one full
// path, or the folder and the names separated by single spaces; the Explorer form (OFN_EXPLORER)
// ends the path, or the folder and every name, with a zero byte, so names keep their blanks.
// *pNameOffset receives where the (first) name starts.
std::string OpenAnswer(const std::vector<std::string>& paths, bool explorerForm,
                       std::uint16_t* pNameOffset);

// Copies an answer into the caller's buffer with a final zero; false, copying nothing, when it
// does not fit.
bool StoreAnswer(OPENFILENAMEA* pOfn, const std::string& answer, std::uint16_t nameOffset,
                 std::uint16_t extensionOffset);

// Offset just after the last dot of the path's last component, or 0 when it has none.
std::uint16_t ExtensionOffset(const std::string& path);

// Runs the dialog modally over owner (may be null); nonzero when the user confirmed and the
// answer fitted.
std::int32_t RunFileDialog(QWidget* owner, OPENFILENAMEA* pOfn, bool save);

}  // namespace qv::qtui
