#pragma once
// The UI language on the Qt side: Qt's own texts and the names a screen reader speaks.
#include <cstdint>

class QCoreApplication;
class QWidget;

namespace qv::qtui {

// Makes Qt's own texts (file dialogs, message-box buttons) speak the UI language; answers false
// when its catalogue is missing, in which case Qt stays in English.
bool InstallQtTranslations(QCoreApplication& application);

// Gives a control the accessible name and tooltip that the string table holds under its id, so
// that a button captioned with a symbol, or a list, is not read out as "U" or nothing.
void NameControl(QWidget& widget, std::int32_t id);

}  // namespace qv::qtui
