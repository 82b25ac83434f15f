#include "ProductPicture.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace sevrana {

QPixmap ProductPicture(int width, int height)
{
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(16, 32, 48));
    painter.setPen(QPen(QColor(96, 96, 96), 1));
    painter.drawRoundedRect(QRectF(0.5, 0.5, width - 1, height - 1), 3, 3);
    painter.setPen(QPen(QColor(0, 128, 0), 1, Qt::DotLine));
    painter.drawLine(QPointF(3, height / 2.0), QPointF(width - 3, height / 2.0));
    // A sine whose amplitude jumps at the "fault" a third of the way in.
    QPainterPath trace;
    for (int x = 3; x <= width - 3; ++x) {
        const double amplitude = x < width / 3 ? 0.18 : 0.38;
        const double y = height / 2.0 - amplitude * height * std::sin((x - 3) * 2 * M_PI / 12.0);
        if (x == 3)
            trace.moveTo(x, y);
        else
            trace.lineTo(x, y);
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(255, 0, 0), 1.4));
    painter.drawPath(trace);
    return pixmap;
}

}  // namespace sevrana
