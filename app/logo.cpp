#include "logo.h"

namespace layout {

// The picture is data: drawn from a serif face at start-up, it cost a font
// of its own and a glyph probe before the first frame.
QPixmap logoPicture()
{
    return QPixmap(QStringLiteral(":/app/logo.png"));
}

} // namespace layout
