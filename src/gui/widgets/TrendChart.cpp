#include "widgets/TrendChart.h"

#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QList>
#include <QPen>
#include <QPointF>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>

namespace {

constexpr std::array<QRgb, 2> kColours = {0x1f5fbf, 0xc0392b};
constexpr std::array<const char*, 3> kSuffixes = {"", " Low", " High"};
constexpr int kMinimumWidth = 480;
constexpr int kMinimumHeight = 240;

}  // namespace

CTrendChart::CTrendChart(QWidget* parent) : QWidget(parent) {
    auto* chart = new QChart();
    chart->legend()->setAlignment(Qt::AlignRight);
    timeAxis = new QValueAxis(chart);
    timeAxis->setTitleText(QStringLiteral("Time (s)"));
    timeAxis->setLabelFormat(QStringLiteral("%.1f"));
    valueAxis = new QValueAxis(chart);
    valueAxis->setLabelFormat(QStringLiteral("%d"));
    chart->addAxis(timeAxis, Qt::AlignBottom);
    chart->addAxis(valueAxis, Qt::AlignLeft);
    for (size_t n = 0; n < series.size(); ++n) {
        for (size_t line = 0; line < series[n].size(); ++line) {
            auto* one = new QLineSeries(chart);
            QPen pen(QColor(kColours[n]));
            pen.setWidthF(line == 0 ? 1.5 : 1.0);
            pen.setStyle(line == 0 ? Qt::SolidLine : Qt::DashLine);
            one->setPen(pen);
            chart->addSeries(one);
            one->attachAxis(timeAxis);
            one->attachAxis(valueAxis);
            one->setVisible(false);
            series[n][line] = one;
        }
    }
    view = new QChartView(chart, this);
    view->setFocusPolicy(Qt::NoFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
    setMinimumSize(kMinimumWidth, kMinimumHeight);
}

QList<QPointF> CTrendChart::Points(int n, Line line) const {
    return series[static_cast<size_t>(n)][static_cast<size_t>(line)]->points();
}

bool CTrendChart::Shown(int n) const {
    return series[static_cast<size_t>(n)][0]->isVisible();
}

void CTrendChart::SetNames(const QString& name1, const QString& name2) {
    for (size_t n = 0; n < series.size(); ++n) {
        for (size_t line = 0; line < series[n].size(); ++line) {
            series[n][line]->setName((n == 0 ? name1 : name2) +
                                     QString::fromLatin1(kSuffixes[line]));
        }
    }
}

void CTrendChart::Show(const CMeasurementTrend& trend) {
    const auto& points = trend.Points();
    int32_t top = 1;
    for (size_t n = 0; n < series.size(); ++n) {
        const bool produced = trend.Produced(static_cast<int>(n));
        std::array<QList<QPointF>, 3> lines;
        if (produced) {
            for (QList<QPointF>& line : lines) {
                line.reserve(static_cast<qsizetype>(points.size()));
            }
            for (const TrendPoint& point : points) {
                const double seconds = point.ms / 1000.0;
                lines[0].append(QPointF(seconds, point.value[n]));
                lines[1].append(QPointF(seconds, std::max(point.low[n], 0)));
                lines[2].append(QPointF(seconds, point.high[n]));
                top = std::max({top, point.value[n], point.high[n]});
            }
        }
        for (size_t line = 0; line < lines.size(); ++line) {
            series[n][line]->replace(lines[line]);
            series[n][line]->setVisible(produced);
        }
    }
    const double first = points.empty() ? 0.0 : points.front().ms / 1000.0;
    const double last = points.empty() ? 1.0 : points.back().ms / 1000.0;
    timeAxis->setRange(first, std::max(last, first + 1.0));
    valueAxis->setRange(0, top + top / 10 + 1);
}
