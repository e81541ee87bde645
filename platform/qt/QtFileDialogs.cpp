#include "platform/qt/QtFileDialogs.h"

#include <QFile>
#include <QFileDialog>
#include <cstring>

#include "platform/qt/QtText.h"

namespace qv::qtui {
namespace {

// The length of a zero-terminated text held in a buffer of max bytes, never reading past it.
std::size_t BoundedLength(const char* text, std::size_t max) {
    const void* end = std::memchr(text, '\0', max);
    return end ? static_cast<std::size_t>(static_cast<const char*>(end) - text) : max;
}

std::string FolderOf(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return std::string();
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string PathBytes(const QString& path) {
    QByteArray bytes = QFile::encodeName(path);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QString PathText(const std::string& path) {
    return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

QFileDialog::FileMode ModeFor(const OPENFILENAMEA& ofn, bool save) {
    if (save) return QFileDialog::AnyFile;
    if (ofn.Flags & OFN_ALLOWMULTISELECT) return QFileDialog::ExistingFiles;
    return (ofn.Flags & OFN_FILEMUSTEXIST) ? QFileDialog::ExistingFile : QFileDialog::AnyFile;
}

void SetUpFilters(QFileDialog& dialog, const OPENFILENAMEA& ofn) {
    QStringList lines;
    for (const NameFilter& filter : ParseFilter(ofn.lpstrFilter)) lines << ToQtNameFilter(filter);
    if (lines.isEmpty()) return;
    dialog.setNameFilters(lines);
    qsizetype index = ofn.nFilterIndex > 0 ? static_cast<qsizetype>(ofn.nFilterIndex) - 1 : 0;
    dialog.selectNameFilter(lines.value(index, lines.front()));
}

}  // namespace

std::vector<NameFilter> ParseFilter(const char* filter) {
    std::vector<NameFilter> out;
    if (!filter) return out;
    const char* p = filter;
    while (*p) {
        std::string description(p);
        p += description.size() + 1;
        std::string pattern(p);
        p += pattern.size() + (*p ? 1 : 0);
        NameFilter entry{ToDisplay(description), {}};
        for (const QString& piece :
             ToDisplay(pattern).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            entry.patterns << piece.trimmed();
        }
        if (!entry.patterns.isEmpty()) out.push_back(entry);
        if (pattern.empty()) break;
    }
    return out;
}

QString CaseInsensitivePattern(const QString& pattern) {
    if (pattern == QLatin1String("*.*")) return QStringLiteral("*");
    QString out;
    for (QChar c : pattern) {
        if (c == QLatin1Char('[')) {
            out += QStringLiteral("[[]");
        } else if (c == QLatin1Char(']')) {
            out += QStringLiteral("[]]");
        } else if (c.isLetter() && c.unicode() < 0x80 && c.toLower() != c.toUpper()) {
            out += QLatin1Char('[') + c.toLower() + c.toUpper() + QLatin1Char(']');
        } else {
            out += c;
        }
    }
    return out;
}

QString ToQtNameFilter(const NameFilter& filter) {
    QStringList patterns;
    for (const QString& pattern : filter.patterns) patterns << CaseInsensitivePattern(pattern);
    return filter.description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
           QLatin1Char(')');
}

std::string OpenAnswer(const std::vector<std::string>& paths, bool explorerForm,
                       std::uint16_t* pNameOffset) {
    *pNameOffset = 0;
    if (paths.empty()) return std::string();
    if (paths.size() == 1) {
        std::size_t slash = paths[0].find_last_of('/');
        *pNameOffset = static_cast<std::uint16_t>(slash == std::string::npos ? 0 : slash + 1);
        return explorerForm ? paths[0] + '\0' : paths[0];
    }
    const std::string folder = FolderOf(paths[0]);
    const char separator = explorerForm ? '\0' : ' ';
    std::string answer = folder;
    for (const std::string& path : paths) answer += separator + NameOf(path);
    if (explorerForm) answer += '\0';
    *pNameOffset = static_cast<std::uint16_t>(folder.size() + 1);
    return answer;
}

bool StoreAnswer(OPENFILENAMEA* pOfn, const std::string& answer, std::uint16_t nameOffset,
                 std::uint16_t extensionOffset) {
    if (!pOfn || !pOfn->lpstrFile || answer.size() + 1 > pOfn->nMaxFile) return false;
    std::memcpy(pOfn->lpstrFile, answer.data(), answer.size());
    pOfn->lpstrFile[answer.size()] = '\0';
    pOfn->nFileOffset = nameOffset;
    pOfn->nFileExtension = extensionOffset;
    return true;
}

std::uint16_t ExtensionOffset(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < start || dot + 1 > 0xFFFF) return 0;
    return static_cast<std::uint16_t>(dot + 1);
}

std::int32_t RunFileDialog(QWidget* owner, OPENFILENAMEA* pOfn, bool save) {
    QFileDialog dialog(owner);
    if (pOfn->lpstrTitle) dialog.setWindowTitle(TitleToDisplay(pOfn->lpstrTitle));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(ModeFor(*pOfn, save));
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !(pOfn->Flags & OFN_OVERWRITEPROMPT));
    SetUpFilters(dialog, *pOfn);
    if (pOfn->lpstrDefExt && *pOfn->lpstrDefExt) {
        dialog.setDefaultSuffix(ToDisplay(pOfn->lpstrDefExt));
    }
    std::string initial(pOfn->lpstrFile, BoundedLength(pOfn->lpstrFile, pOfn->nMaxFile));
    if (!initial.empty()) dialog.selectFile(PathText(initial));

    if (dialog.exec() != QDialog::Accepted) return 0;
    std::vector<std::string> paths;
    for (const QString& file : dialog.selectedFiles()) paths.push_back(PathBytes(file));
    if (paths.empty()) return 0;
    if (save || paths.size() == 1) {
        bool explorer = !save && (pOfn->Flags & OFN_EXPLORER);
        std::uint16_t nameOffset = 0;
        std::string answer = OpenAnswer({paths[0]}, explorer, &nameOffset);
        return StoreAnswer(pOfn, answer, nameOffset, ExtensionOffset(paths[0])) ? 1 : 0;
    }
    std::uint16_t nameOffset = 0;
    std::string answer = OpenAnswer(paths, (pOfn->Flags & OFN_EXPLORER) != 0, &nameOffset);
    return StoreAnswer(pOfn, answer, nameOffset, 0) ? 1 : 0;
}

}  // namespace qv::qtui
