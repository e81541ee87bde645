#include "platform/qt/QtLanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <QWidget>

#include "platform/language.h"
#include "platform/qt/QtText.h"
#include "platform/strings.h"

namespace qv::qtui {

bool InstallQtTranslations(QCoreApplication& application) {
    // Qt's own texts are English already.
    if (UiLanguage() == Language::English) return true;
    auto* translator = new QTranslator(&application);
    const QString name =
        QStringLiteral("qtbase_") + QString::fromLatin1(LanguageCode(UiLanguage()));
    if (!translator->load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

void NameControl(QWidget& widget, std::int32_t id) {
    if (id <= 0) return;
    const std::string_view name = LoadResourceString(static_cast<std::uint32_t>(id));
    if (name.empty()) return;
    widget.setAccessibleName(ToDisplay(name));
    widget.setToolTip(ToDisplay(name));
}

}  // namespace qv::qtui
