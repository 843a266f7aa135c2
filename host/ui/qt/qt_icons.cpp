// Icons drawn for the list pages and the tab strip: a report page with a coloured band
// (one colour per list bitmap) and a mark that varies with the entry.
#include <QHash>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "host/ui/qt/qt_backend.h"

namespace host::ui {

namespace {

QColor BitmapColor(int bitmap) {
    const int hue = ((bitmap - 1544) * 47 % 360 + 360) % 360;
    return QColor::fromHsv(hue, 150, 200);
}

}  // namespace

QIcon ItemIcon(int bitmap, int index, int size) {
    static QHash<qint64, QIcon> cache;
    const qint64 key =
        (static_cast<qint64>(bitmap) << 32) | (static_cast<qint64>(index) << 8) | size;
    if (auto it = cache.constFind(key); it != cache.constEnd()) return *it;
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    const QRectF page(s * 0.18, s * 0.06, s * 0.64, s * 0.86);
    const qreal fold = s * 0.16;
    QPainterPath path;
    path.moveTo(page.left(), page.top());
    path.lineTo(page.right() - fold, page.top());
    path.lineTo(page.right(), page.top() + fold);
    path.lineTo(page.right(), page.bottom());
    path.lineTo(page.left(), page.bottom());
    path.closeSubpath();
    p.setPen(QPen(QColor(90, 90, 90), std::max(1.0, s / 32)));
    p.setBrush(Qt::white);
    p.drawPath(path);
    const QColor band = BitmapColor(bitmap);
    p.setPen(Qt::NoPen);
    p.setBrush(band);
    p.drawRect(QRectF(page.left() + 1, page.top() + s * 0.14, page.width() - 2, s * 0.14));
    // Text lines, then a mark that tells the entries of a page apart.
    p.setBrush(QColor(170, 170, 170));
    for (int line = 0; line < 4; ++line)
        p.drawRect(QRectF(page.left() + s * 0.08, page.top() + s * (0.36 + line * 0.1),
                          page.width() * (line % 2 ? 0.55 : 0.8), std::max(1.0, s / 24)));
    p.setBrush(band.darker(130 + (index % 4) * 15));
    const qreal r = s * 0.13;
    p.drawEllipse(QPointF(page.right() - r * 1.1, page.bottom() - r * 1.1), r, r);
    p.end();
    QIcon icon(pixmap);
    cache.insert(key, icon);
    return icon;
}

QIcon TabIcon(int index) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(80, 80, 80), 1));
    p.setBrush(QColor::fromHsv((index * 36) % 360, 160, 210));
    p.drawEllipse(QRectF(2.5, 2.5, 11, 11));
    return QIcon(pixmap);
}

}  // namespace host::ui
