// Writes the launcher's icon in the sizes of the hicolor theme:
// fenlow-icon-sizes <icon.png> <output folder> <size>... writes
// <output folder>/<size>x<size>/apps/fenlow.png for each size.
#include <cstdio>

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QString>

int main(int argc, char **argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s <icon.png> <output folder> <size>...\n", argv[0]);
        return 2;
    }
    const QImage icon(QString::fromLocal8Bit(argv[1]));
    if (icon.isNull()) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    for (int i = 3; i < argc; ++i) {
        const int size = QString::fromLatin1(argv[i]).toInt();
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[2])).arg(size);
        const QImage scaled = icon.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        if (size <= 0 || !QDir().mkpath(folder) || !scaled.save(folder + QStringLiteral("/fenlow.png"))) {
            std::fprintf(stderr, "cannot write the %s pixel icon\n", argv[i]);
            return 1;
        }
    }
    return 0;
}
