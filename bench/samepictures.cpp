// SPDX-License-Identifier: GPL-3.0-or-later
#include <QDir>
#include <QImage>
#include <cstdio>

// Holds the PNG pictures of one directory against those of the same names in
// another, pixel by pixel: for the window's views drawn before and after a
// change (docs/screenshots.cpp). Exit code 0 when every picture is identical.
//
//   bench-samepictures BEFORE_DIR AFTER_DIR
int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fputs("usage: bench-samepictures BEFORE_DIR AFTER_DIR\n", stderr);
        return 2;
    }
    const QDir before(QString::fromLocal8Bit(argv[1]));
    const QDir after(QString::fromLocal8Bit(argv[2]));
    const QStringList names = before.entryList({QStringLiteral("*.png")}, QDir::Files);
    if (names.isEmpty()) {
        std::fprintf(stderr, "no pictures in %s\n", argv[1]);
        return 2;
    }
    bool same = true;
    for (const QString &name : names) {
        const QImage a = QImage(before.filePath(name)).convertToFormat(QImage::Format_RGB32);
        const QImage b = QImage(after.filePath(name)).convertToFormat(QImage::Format_RGB32);
        qint64 differing = 0;
        if (a.isNull() || b.isNull() || a.size() != b.size()) {
            differing = -1;
        } else {
            for (int y = 0; y < a.height(); ++y) {
                const auto *ra = reinterpret_cast<const QRgb *>(a.constScanLine(y));
                const auto *rb = reinterpret_cast<const QRgb *>(b.constScanLine(y));
                for (int x = 0; x < a.width(); ++x)
                    differing += ra[x] != rb[x];
            }
        }
        if (differing < 0)
            std::printf("%-24s missing, unreadable or of another size\n", qPrintable(name));
        else if (differing > 0)
            std::printf("%-24s %lld pixels differ\n", qPrintable(name), qlonglong(differing));
        else
            std::printf("%-24s identical (%dx%d)\n", qPrintable(name), a.width(), a.height());
        same = same && differing == 0;
    }
    return same ? 0 : 1;
}
