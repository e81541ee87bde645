// The yardstick for the player's start-up: the smallest Qt Widgets dialog (a label and a button),
// which prints "frame <CLOCK_MONOTONIC nanoseconds>" once its first frame has been painted and
// handed to the window system, then quits (given "stay", it stays open, for a window that is
// polled for from outside). bench/player_startup runs it beside quavel.
#include <time.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>
#include <string_view>

namespace {

long long MonotonicNs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

class FirstFrameDialog : public QDialog {
public:
    explicit FirstFrameDialog(bool stay) : m_stay(stay) {}

protected:
    void paintEvent(QPaintEvent* event) override {
        QDialog::paintEvent(event);
        if (m_painted) return;
        m_painted = true;
        // Runs after this paint has been flushed to the window system.
        QTimer::singleShot(0, this, [this] {
            std::printf("frame %lld\n", MonotonicNs());
            std::fflush(stdout);
            if (!m_stay) QCoreApplication::quit();
        });
    }

private:
    bool m_stay;
    bool m_painted = false;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    FirstFrameDialog dialog(argc > 1 && std::string_view(argv[1]) == "stay");
    dialog.setWindowTitle(QStringLiteral("Minimal"));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("A minimal dialog")));
    layout->addWidget(new QPushButton(QStringLiteral("OK")));
    dialog.show();
    return application.exec();
}
