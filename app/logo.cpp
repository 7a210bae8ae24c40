// SPDX-License-Identifier: GPL-3.0-or-later
#include "logo.h"

#include <QImage>
#include <QResource>

namespace layout {

// The picture is data: drawn from a serif face at start-up, it cost a font of
// its own and a glyph probe before the first frame. It is a binary PPM, read
// here directly: decoding through the image readers costs as much as drawing.
QPixmap logoPicture()
{
    static const QByteArray header = QByteArrayLiteral("P6\n") + QByteArray::number(kLogoWidth)
                                     + ' ' + QByteArray::number(kLogoHeight) + "\n255\n";
    const QByteArray file = QResource(QStringLiteral(":/app/logo.ppm")).uncompressedData();
    const qsizetype row = 3 * kLogoWidth;
    if (!file.startsWith(header) || file.size() != header.size() + row * kLogoHeight)
        return {};
    const QImage picture(reinterpret_cast<const uchar *>(file.constData() + header.size()),
                         kLogoWidth, kLogoHeight, row, QImage::Format_RGB888);
    return QPixmap::fromImage(picture.convertToFormat(QImage::Format_RGB32));
}

} // namespace layout
