// Writes every image of an .ico file as OUTDIR/<w>x<h>/quavel.png, the layout of an icon theme.
// Usage: qv_icon2png ICO OUTDIR
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: qv_icon2png ICO OUTDIR\n");
        return 2;
    }
    QImageReader reader(QString::fromLocal8Bit(argv[1]), "ico");
    int written = 0;
    do {
        QImage image = reader.read();
        if (image.isNull()) break;
        QString folder = QStringLiteral("%1/%2x%3")
                             .arg(QString::fromLocal8Bit(argv[2]))
                             .arg(image.width())
                             .arg(image.height());
        if (!QDir().mkpath(folder) || !image.save(folder + QStringLiteral("/quavel.png"), "PNG")) {
            std::fprintf(stderr, "qv_icon2png: cannot write %s\n",
                         folder.toLocal8Bit().constData());
            return 1;
        }
        ++written;
    } while (reader.jumpToNextImage());
    if (written == 0) {
        std::fprintf(stderr, "qv_icon2png: no image in %s: %s\n", argv[1],
                     reader.errorString().toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
