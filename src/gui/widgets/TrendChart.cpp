#include "widgets/TrendChart.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <algorithm>

namespace {

// Every line its own colour: measurement 1 in blues and greens, measurement 2 in reds.
constexpr std::array<std::array<QRgb, 3>, 2> kColours = {
    {{0x1f5fbf, 0x2ca02c, 0x7b3fa0}, {0xc0392b, 0xe07b00, 0x6b4226}}};
constexpr std::array<const char*, 3> kSuffixes = {"", " Low", " High"};
constexpr std::array<const char*, 2> kDefaultNames = {"Meas1", "Meas2"};
constexpr int kMinimumWidth = 480;
constexpr int kMinimumHeight = 240;
constexpr int kTimeTicks = 8;
constexpr int kValueTicks = 6;
constexpr qreal kGap = 6.0;
constexpr qreal kSwatch = 24.0;
constexpr qreal kLineWidth = 2.0;
const QColor kGrid(0xdd, 0xdd, 0xdd);
const QColor kFrame(0x80, 0x80, 0x80);

QString Label(double value, int decimals) {
    return QString::number(value, 'f', decimals);
}

}  // namespace

CTrendChart::CTrendChart(QWidget* parent) : QWidget(parent) {
    names = {QString::fromLatin1(kDefaultNames[0]), QString::fromLatin1(kDefaultNames[1])};
    timeScale = NiceScale(firstSecond, lastSecond, kTimeTicks, 0.1);
    valueScale = NiceScale(0, 1, kValueTicks, 1);
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QList<QPointF> CTrendChart::Points(int n, Line line) const {
    return lines[static_cast<size_t>(n)][static_cast<size_t>(line)];
}

bool CTrendChart::Shown(int n) const {
    return shown[static_cast<size_t>(n)];
}

QColor CTrendChart::Colour(int n, Line line) {
    return QColor(kColours[static_cast<size_t>(n)][static_cast<size_t>(line)]);
}

void CTrendChart::SetNames(const QString& name1, const QString& name2) {
    names = {name1, name2};
    update();
}

void CTrendChart::Show(const CMeasurementTrend& trend) {
    const auto& points = trend.Points();
    int32_t top = 1;
    for (size_t n = 0; n < lines.size(); ++n) {
        shown[n] = trend.Produced(static_cast<int>(n));
        for (QList<QPointF>& line : lines[n]) {
            line.clear();
            line.reserve(shown[n] ? static_cast<qsizetype>(points.size()) : 0);
        }
        if (!shown[n]) {
            continue;
        }
        for (const TrendPoint& point : points) {
            const double seconds = point.ms / 1000.0;
            lines[n][0].append(QPointF(seconds, point.value[n]));
            lines[n][1].append(QPointF(seconds, std::max(point.low[n], 0)));
            lines[n][2].append(QPointF(seconds, point.high[n]));
            top = std::max({top, point.value[n], point.high[n]});
        }
    }
    firstSecond = points.empty() ? 0.0 : points.front().ms / 1000.0;
    lastSecond = std::max(points.empty() ? 1.0 : points.back().ms / 1000.0, firstSecond + 1.0);
    timeScale = NiceScale(firstSecond, lastSecond, kTimeTicks, 0.1);
    valueScale = NiceScale(0, top + top / 10 + 1, kValueTicks, 1);
    update();
}

QStringList CTrendChart::ValueLabels() const {
    QStringList labels;
    for (double tick : valueScale.Ticks()) {
        labels.append(Label(tick, valueScale.decimals));
    }
    return labels;
}

qreal CTrendChart::LegendWidth() const {
    const QFontMetricsF metrics(font());
    qreal widest = 0;
    for (size_t n = 0; n < names.size(); ++n) {
        for (const char* suffix : kSuffixes) {
            widest =
                std::max(widest, metrics.horizontalAdvance(names[n] + QString::fromLatin1(suffix)));
        }
    }
    return kSwatch + 2 * kGap + widest;
}

QRectF CTrendChart::PlotArea() const {
    const QFontMetricsF metrics(font());
    qreal labelWidth = 0;
    for (const QString& label : ValueLabels()) {
        labelWidth = std::max(labelWidth, metrics.horizontalAdvance(label));
    }
    const qreal left = labelWidth + 2 * kGap;
    const qreal top = metrics.height() / 2 + kGap;
    const qreal right = width() - LegendWidth() - kGap;
    const qreal bottom = height() - 2 * metrics.height() - 2 * kGap;
    return QRectF(QPointF(left, top),
                  QPointF(std::max(right, left + 1), std::max(bottom, top + 1)));
}

QPointF CTrendChart::ToPixel(const QRectF& plot, const QPointF& point) const {
    const double x = (point.x() - firstSecond) / (lastSecond - firstSecond);
    const double y = (point.y() - valueScale.low) / (valueScale.high - valueScale.low);
    return QPointF(plot.left() + x * plot.width(), plot.bottom() - y * plot.height());
}

void CTrendChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    const QRectF plot = PlotArea();
    painter.fillRect(plot, Qt::white);
    PaintAxes(painter, plot);
    PaintLines(painter, plot);
    painter.setPen(kFrame);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(plot);
    PaintLegend(painter, plot);
}

void CTrendChart::PaintAxes(QPainter& painter, const QRectF& plot) const {
    const QFontMetricsF metrics(font());
    const QColor text = palette().color(QPalette::WindowText);
    for (double tick : valueScale.Ticks()) {
        const qreal y = ToPixel(plot, QPointF(firstSecond, tick)).y();
        painter.setPen(kGrid);
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(text);
        const QRectF box(0, y - metrics.height() / 2, plot.left() - kGap, metrics.height());
        painter.drawText(box, Qt::AlignRight | Qt::AlignVCenter, Label(tick, valueScale.decimals));
    }
    for (double tick : timeScale.Ticks()) {
        if (tick < firstSecond - 1e-9 || tick > lastSecond + 1e-9) {
            continue;
        }
        const qreal x = ToPixel(plot, QPointF(tick, valueScale.low)).x();
        painter.setPen(kGrid);
        painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        painter.setPen(text);
        const QString label = Label(tick, timeScale.decimals);
        const qreal half = metrics.horizontalAdvance(label) / 2;
        painter.drawText(
            QRectF(x - half - kGap, plot.bottom() + kGap / 2, 2 * (half + kGap), metrics.height()),
            Qt::AlignCenter, label);
    }
    painter.drawText(QRectF(plot.left(), plot.bottom() + metrics.height() + kGap, plot.width(),
                            metrics.height()),
                     Qt::AlignCenter, QStringLiteral("Time (s)"));
    if (lines[0][0].isEmpty() && lines[1][0].isEmpty()) {
        painter.drawText(plot, Qt::AlignCenter, QStringLiteral("No readings yet: press Run."));
    }
}

void CTrendChart::PaintLines(QPainter& painter, const QRectF& plot) const {
    painter.save();
    painter.setClipRect(plot);
    painter.setRenderHint(QPainter::Antialiasing);
    QList<QPointF> pixels;
    for (size_t n = 0; n < lines.size(); ++n) {
        if (!shown[n]) {
            continue;
        }
        // Low and High first, so the readings lie on top where they meet.
        for (size_t line : {size_t{1}, size_t{2}, size_t{0}}) {
            QPen pen(Colour(static_cast<int>(n), static_cast<Line>(line)), kLineWidth);
            pen.setStyle(line == 0 ? Qt::SolidLine : Qt::DashLine);
            painter.setPen(pen);
            pixels.clear();
            for (const QPointF& point : lines[n][line]) {
                pixels.append(ToPixel(plot, point));
            }
            painter.drawPolyline(pixels.constData(), static_cast<int>(pixels.size()));
        }
    }
    painter.restore();
}

void CTrendChart::PaintLegend(QPainter& painter, const QRectF& plot) const {
    const QFontMetricsF metrics(font());
    const qreal left = plot.right() + 2 * kGap;
    qreal y = plot.top();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    for (size_t n = 0; n < names.size(); ++n) {
        if (!shown[n]) {
            continue;
        }
        for (size_t line = 0; line < kSuffixes.size(); ++line) {
            QPen pen(Colour(static_cast<int>(n), static_cast<Line>(line)), kLineWidth);
            pen.setStyle(line == 0 ? Qt::SolidLine : Qt::DashLine);
            painter.setPen(pen);
            const qreal middle = y + metrics.height() / 2;
            painter.drawLine(QPointF(left, middle), QPointF(left + kSwatch, middle));
            painter.setPen(palette().color(QPalette::WindowText));
            painter.drawText(QPointF(left + kSwatch + kGap, y + metrics.ascent()),
                             names[n] + QString::fromLatin1(kSuffixes[line]));
            y += metrics.height() + kGap / 2;
        }
    }
    painter.restore();
}
