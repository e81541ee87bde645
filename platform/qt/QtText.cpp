#include "platform/qt/QtText.h"

#include <QStringDecoder>

namespace qv::qtui {
namespace {

constexpr char kMarkStart = '\x1e';
constexpr char kMarkEnd = '\x1f';

// Decodes strictly: a stray or truncated sequence answers false.
bool DecodeStrict(QStringDecoder& decoder, std::string_view bytes, QString* pOut) {
    if (!decoder.isValid()) return false;
    QString text =
        decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (decoder.hasError()) return false;
    *pOut = text;
    return true;
}

}  // namespace

QString ToDisplay(std::string_view bytes) {
    QString text;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    if (DecodeStrict(utf8, bytes, &text)) return text;
    QStringDecoder shiftJis("Shift_JIS", QStringConverter::Flag::Stateless);
    if (DecodeStrict(shiftJis, bytes, &text)) return text;
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString TitleToDisplay(std::string_view bytes) {
    return ToDisplay(bytes).replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
}

std::string FromDisplay(const QString& text) {
    QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QString CaptionToDisplay(std::string_view bytes) {
    std::size_t start = bytes.find(kMarkStart);
    bool marked =
        start != std::string_view::npos && start + 2 < bytes.size() && bytes[start + 2] == kMarkEnd;
    if (!marked) return ToDisplay(bytes);
    // Decoded in three parts so that the letter keeps its place whatever the encoding.
    QString before = ToDisplay(bytes.substr(0, start));
    QString letter = ToDisplay(bytes.substr(start + 1, 1));
    QString after = ToDisplay(bytes.substr(start + 3));
    before.replace(QLatin1Char('&'), QStringLiteral("&&"));
    after.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return before + QLatin1Char('&') + letter + after;
}

QString WithoutAccessKeys(const QString& caption) {
    QString out;
    out.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && i + 1 < caption.size()) ++i;  // "&&" keeps one
        out += caption[i];
    }
    return out;
}

}  // namespace qv::qtui
