// Icons drawn for the list pages and the tab strip: a report page with a coloured band
// (one colour per list bitmap) and a mark that varies with the entry.
#include <QFont>
#include <QHash>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "host/ui/qt/qt_backend.h"

namespace host::ui {

namespace {

// The sign of each list's kind of report, drawn on its icons: money for billing, a person
// for patients, a gear for the system, an umbrella for insurance, a pencil for the
// configuration lists, a house for the office, a clock for appointments, a cross for the
// clinic, an arrow for referrals, a star for the custom tab.
QString KindSign(int bitmap) {
    switch (bitmap) {
        case 1551:
            return QStringLiteral("$");
        case 1546:
            return QString(QChar(0x263A));
        case 1550:
            return QString(QChar(0x2699));
        case 1547:
            return QString(QChar(0x2602));
        case 1544:
            return QString(QChar(0x270E));
        case 1545:
            return QString(QChar(0x2302));
        case 1552:
            return QString(QChar(0x25F7));
        case 1548:
            return QString(QChar(0x271A));
        case 1549:
            return QString(QChar(0x279C));
        case 1559:
            return QString(QChar(0x2605));
        default:
            return {};
    }
}

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
    const qreal r = s * (size >= 32 ? 0.2 : 0.13);
    const QPointF centre(page.right() - r * 0.9, page.bottom() - r * 0.9);
    p.drawEllipse(centre, r, r);
    const QString sign = KindSign(bitmap);
    if (size >= 32 && !sign.isEmpty()) {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(static_cast<int>(r * 1.4));
        font.setBold(true);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRectF(centre.x() - r, centre.y() - r, 2 * r, 2 * r), Qt::AlignCenter, sign);
    }
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
