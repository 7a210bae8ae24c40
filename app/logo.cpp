#include "logo.h"

#include "layoutdesign.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QtMath>

namespace layout {

QPixmap drawLogo()
{
    static const QString word = QStringLiteral("TAVO");
    constexpr int margin = 2;

    QPixmap logo(kLogoWidth, kLogoHeight);
    logo.fill(QColor::fromRgb(kWindowBackground));

    QFont font(QStringLiteral("DejaVu Serif"));
    font.setStyleHint(QFont::Serif);
    font.setBold(true);

    // Size the letters by their inked outline, not the font's line height, so
    // that the word fills the picture whatever serif face stands in.
    constexpr int probe = 100;
    font.setPixelSize(probe);
    const QRectF ink = QFontMetricsF(font).tightBoundingRect(word);
    const qreal scale
        = qMin((kLogoWidth - 2 * margin) / ink.width(), (kLogoHeight - 2 * margin) / ink.height());
    font.setPixelSize(qMax(1, qFloor(probe * scale)));

    const QRectF fitted = QFontMetricsF(font).tightBoundingRect(word);
    const QPointF baseline((kLogoWidth - fitted.width()) / 2 - fitted.left(),
                           (kLogoHeight - fitted.height()) / 2 - fitted.top());

    QPainter painter(&logo);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    painter.setFont(font);
    painter.setPen(QColor::fromRgb(kLogoInk));
    painter.drawText(baseline, word);
    return logo;
}

} // namespace layout
