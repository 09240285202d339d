#pragma once
// CTrendChart: the measurement values of a Run over time. For each measurement produced
// it draws the readings as a solid line and the Low and High the statistics held at each
// as dashed lines, over the last readings of the trend, with a legend naming every line.
// It paints itself, so it needs Qt Widgets only.

#include <QColor>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <array>

#include "records/MeasurementTrend.h"
#include "widgets/ChartScale.h"

class QPainter;

class CTrendChart : public QWidget {
    Q_OBJECT

public:
    explicit CTrendChart(QWidget* parent = nullptr);

    // The names shown in the legend for measurement 1 and 2.
    void SetNames(const QString& name1, const QString& name2);
    // Draws the points of trend; a measurement that is not produced is hidden.
    void Show(const CMeasurementTrend& trend);

    // Measurement n (0 or 1): the points of its readings, Low or High line as drawn
    // (time in seconds, value), and whether they show.
    enum class Line { kValue, kLow, kHigh };
    QList<QPointF> Points(int n, Line line) const;
    bool Shown(int n) const;
    // The colour each line is drawn and listed in.
    static QColor Colour(int n, Line line);
    // Where the lines are drawn, in the widget's pixels, and the values at its edges.
    QRectF PlotArea() const;
    const ChartScale& ValueScale() const { return valueScale; }
    // The labels of the value axis, bottom to top.
    QStringList ValueLabels() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    static constexpr int kLines = 3;
    QPointF ToPixel(const QRectF& plot, const QPointF& point) const;
    void PaintAxes(QPainter& painter, const QRectF& plot) const;
    void PaintLines(QPainter& painter, const QRectF& plot) const;
    void PaintLegend(QPainter& painter, const QRectF& plot) const;
    qreal LegendWidth() const;

    std::array<std::array<QList<QPointF>, kLines>, 2> lines;
    std::array<QString, 2> names;
    std::array<bool, 2> shown{};
    double firstSecond = 0.0;
    double lastSecond = 1.0;
    ChartScale timeScale;
    ChartScale valueScale;
};
