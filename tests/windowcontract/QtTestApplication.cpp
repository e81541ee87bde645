#include "tests/windowcontract/QtTestApplication.h"

#include <gtest/gtest.h>

#include <QApplication>

namespace {

QApplication* g_pApplication = nullptr;

class QtApplicationEnvironment : public ::testing::Environment {
public:
    void TearDown() override {
        delete g_pApplication;
        g_pApplication = nullptr;
    }
};

[[maybe_unused]] ::testing::Environment* const g_pEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

// The offscreen platform cannot raise windows or grab the keyboard and says so each time.
void QuietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (!message.startsWith(QLatin1String("This plugin does not support")) &&
        !message.startsWith(QLatin1String("QStandardPaths:")))
        qt_message_output(type, context, message);
}

}  // namespace

void EnsureQtApplication() {
    if (QCoreApplication::instance()) return;
    // No X server in CI: the offscreen platform draws into memory.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "test_windowcontract";
    static char* argv[] = {name, nullptr};
    qInstallMessageHandler(QuietHandler);
    g_pApplication = new QApplication(argc, argv);
}
