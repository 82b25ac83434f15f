#include "ProgramIcon.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace sevrana {

QIcon ProgramIcon()
{
    // Drawn at the sizes title bars and task bars ask for, so that the small ones are
    // sharp rather than shrunk; no icon plug-in is needed at run time.
    QSvgRenderer svg(QStringLiteral(":/sevrana/sevrana.svg"));
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        svg.render(&painter, QRectF(0, 0, size, size));
        painter.end();
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

}  // namespace sevrana
