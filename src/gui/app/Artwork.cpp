#include "app/Artwork.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>

#include "widgets/AppTitle.h"

namespace {

const QColor kBeamColour(255, 70, 50);
const QColor kBarColour(210, 214, 220);

// An emitter bar on the left, a receiver bar on the right and beams between them, one
// of them blocked halfway.
void DrawCurtain(QPainter& painter, const QRectF& area, int beams) {
    const qreal barWidth = area.width() / 10;
    const QRectF emitter(area.left(), area.top(), barWidth, area.height());
    const QRectF receiver(area.right() - barWidth, area.top(), barWidth, area.height());
    painter.setPen(Qt::NoPen);
    painter.setBrush(kBarColour);
    painter.drawRoundedRect(emitter, barWidth / 4, barWidth / 4);
    painter.drawRoundedRect(receiver, barWidth / 4, barWidth / 4);
    const qreal step = area.height() / (beams + 1);
    const int blocked = beams / 2;
    for (int i = 1; i <= beams; ++i) {
        const qreal y = area.top() + i * step;
        const qreal end = i == blocked ? area.center().x() : receiver.left();
        painter.setPen(QPen(kBeamColour, qMax<qreal>(1.0, step / 6)));
        painter.drawLine(QPointF(emitter.right(), y), QPointF(end, y));
    }
}

}  // namespace

QPixmap SplashBitmap(qreal devicePixelRatio) {
    QPixmap bitmap(qRound(kSplashWidth * devicePixelRatio),
                   qRound(kSplashHeight * devicePixelRatio));
    bitmap.setDevicePixelRatio(devicePixelRatio);
    QPainter painter(&bitmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient background(0, 0, 0, kSplashHeight);
    background.setColorAt(0, QColor(16, 32, 64));
    background.setColorAt(1, QColor(8, 96, 112));
    painter.fillRect(QRectF(0, 0, kSplashWidth, kSplashHeight), background);
    DrawCurtain(painter, QRectF(60, 60, 240, 420), 12);

    painter.setPen(Qt::white);
    QFont title(QStringLiteral("Sans Serif"), 30, QFont::Bold);
    painter.setFont(title);
    painter.drawText(QRectF(330, 150, 360, 140), Qt::AlignLeft | Qt::TextWordWrap,
                     QString::fromLatin1(kAppTitle));
    QFont subtitle(QStringLiteral("Sans Serif"), 14);
    painter.setFont(subtitle);
    painter.drawText(QRectF(330, 310, 360, 80), Qt::AlignLeft | Qt::TextWordWrap,
                     QStringLiteral("Configuration and service of measuring light curtains"));
    return bitmap;
}

QIcon AppIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(QColor(16, 32, 64));
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal margin = size / 8.0;
        DrawCurtain(painter, QRectF(margin, margin, size - 2 * margin, size - 2 * margin), 4);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
