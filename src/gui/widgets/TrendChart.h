#pragma once
// CTrendChart: the measurement values of a Run over time. For each measurement produced
// it draws the readings with the Low and High the statistics held at each, over the last
// readings of the trend; the lines are named after the measurements. The chart itself
// lives inside, so that users of this widget need Qt Widgets only.

#include <QList>
#include <QPointF>
#include <QString>
#include <QWidget>
#include <array>

#include "records/MeasurementTrend.h"

class QChartView;
class QLineSeries;
class QValueAxis;

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

private:
    QChartView* view = nullptr;
    std::array<std::array<QLineSeries*, 3>, 2> series{};
    QValueAxis* timeAxis = nullptr;
    QValueAxis* valueAxis = nullptr;
};
