// The measurement output dialog's trend chart and recording file after Runs of known
// readings on a simulated controller: the chart's points with their Low and High, the
// CSV of every reading, and a file that only the next Run writes; and the chart as it is
// painted, read back from its pixels.

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <set>

#include "BeamMeasures.h"
#include "ScriptedPrompts.h"
#include "SimLine.h"
#include "SimPort.h"
#include "SimScanScript.h"
#include "protocol/ControllerLink.h"
#include "psf/MeasurementDlg.h"
#include "serial/Clock.h"
#include "widgets/TrendChart.h"

namespace {

class MeasurementTrendTest : public ::testing::Test {
protected:
    // Measurement 1 counts the blocked beams of 64, measurement 2 the made ones.
    std::unique_ptr<CMeasurementDlg> Open(int selection) {
        controller->Psf().SetMeasMode(1, kTotalBlocked);
        controller->Psf().SetMeasMode(2, (selection & 2) ? kTotalMade : kNoMeasure);
        return std::make_unique<CMeasurementDlg>(link, "TBB", "TBM", selection, nullptr);
    }
    // Runs once over readings and stops at the last.
    static void RunOver(CMeasurementDlg& dialog, CSimController& controller,
                        const std::vector<int>& readings) {
        CScanScript script(controller, readings);
        script.At(static_cast<int>(readings.size()),
                  [&] { dialog.findChild<QPushButton*>("stopButton")->click(); });
        QTest::mouseClick(dialog.findChild<QPushButton*>("runButton"), Qt::LeftButton);
    }
    static std::vector<double> Ys(CMeasurementDlg& dialog, int n, CTrendChart::Line line) {
        std::vector<double> ys;
        for (const QPointF& point : dialog.findChild<CTrendChart*>()->Points(n, line)) {
            ys.push_back(point.y());
        }
        return ys;
    }
    std::string Path() const { return folder.filePath("run.csv").toStdString(); }
    std::string ReadFile() const {
        QFile file(QString::fromStdString(Path()));
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "<none>";
    }

    CScopedVirtualClock clock{1000};
    CSimLine line;
    CSimController* controller = line.AddController('C', 0);
    CControllerLink link{std::make_unique<CSimPort>(line, *clock, 9600, 'E'), 'C'};
    CScriptedPrompts prompts;
    QTemporaryDir folder;
};

TEST_F(MeasurementTrendTest, ChartHoldsEveryReadingOfTheRunWithItsLowAndHigh) {
    auto dialog = Open(3);
    RunOver(*dialog, *controller, {4, 9, 9, 2, 7});
    using Line = CTrendChart::Line;
    EXPECT_EQ(Ys(*dialog, 0, Line::kValue), (std::vector<double>{4, 9, 9, 2, 7}));
    EXPECT_EQ(Ys(*dialog, 0, Line::kLow), (std::vector<double>{4, 4, 4, 2, 2}));
    EXPECT_EQ(Ys(*dialog, 0, Line::kHigh), (std::vector<double>{4, 9, 9, 9, 9}));
    EXPECT_EQ(Ys(*dialog, 1, Line::kValue), (std::vector<double>{60, 55, 55, 62, 57}));
    const QList<QPointF> points = dialog->findChild<CTrendChart*>()->Points(0, Line::kValue);
    for (qsizetype i = 1; i < points.size(); ++i) {
        EXPECT_GT(points[i].x(), points[i - 1].x());
    }

    // A new Run starts the chart anew; a measurement not produced is not drawn.
    auto single = Open(1);
    RunOver(*single, *controller, {3});
    EXPECT_EQ(Ys(*single, 0, Line::kValue), std::vector<double>{3});
    EXPECT_TRUE(single->findChild<CTrendChart*>()->Shown(0));
    EXPECT_FALSE(single->findChild<CTrendChart*>()->Shown(1));
    EXPECT_TRUE(prompts.Texts().empty());
}

TEST_F(MeasurementTrendTest, RecordingWritesEveryReadingOfTheNextRunOnly) {
    auto dialog = Open(1);
    prompts.ScriptFiles({Path()});
    dialog->findChild<QPushButton*>("recordButton")->click();
    EXPECT_EQ(prompts.FileDialogs()[0].filter, "CSV Files (*.csv) |*.csv||");
    EXPECT_EQ(ReadFile(), "<none>");
    RunOver(*dialog, *controller, {3, 3, 0});

    const QStringList lines = QString::fromStdString(ReadFile()).split('\n');
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], "Time (ms),Meas1,Meas2");
    int previous = -1;
    for (int i = 1; i <= 3; ++i) {
        const QStringList cells = lines[i].split(',');
        ASSERT_EQ(cells.size(), 3);
        EXPECT_GT(cells[0].toInt(), previous);
        previous = cells[0].toInt();
        EXPECT_EQ(cells[1], QString::number(i == 3 ? 0 : 3));
        EXPECT_EQ(cells[2], "");  // measurement 2 is not produced
    }
    EXPECT_EQ(lines[4], "");

    // The file was closed with its Run: the next Run leaves it alone.
    const std::string recorded = ReadFile();
    RunOver(*dialog, *controller, {8});
    EXPECT_EQ(ReadFile(), recorded);
    EXPECT_TRUE(prompts.Texts().empty());
}

// The rows of the plot's right half where the chart painted colour, averaged: -1 when
// it painted none there.
double MeanRow(const QImage& image, const QRectF& plot, const QColor& colour) {
    double sum = 0;
    int count = 0;
    for (int x = static_cast<int>(plot.center().x()); x < static_cast<int>(plot.right()) - 2; ++x) {
        for (int y = static_cast<int>(plot.top()) + 1; y < static_cast<int>(plot.bottom()); ++y) {
            const QColor pixel = image.pixelColor(x, y);
            if (std::abs(pixel.red() - colour.red()) + std::abs(pixel.green() - colour.green()) +
                    std::abs(pixel.blue() - colour.blue()) <= 12) {
                sum += y;
                ++count;
            }
        }
    }
    return count == 0 ? -1 : sum / count;
}

TEST(TrendChartPaintTest, LinesLieWhereTheirValuesPutThem) {
    // Measurement 1 reads 20, 80 and then 50 for a minute: Low settles at 20, High at 80.
    // Measurement 2 is not produced.
    CMeasurementTrend trend;
    trend.Start(1, 0, false);
    std::array<MeasurementStats, 2> stats;
    uint32_t ms = 0;
    for (unsigned value : {20u, 80u}) {
        stats[0].Update(static_cast<uint16_t>(value));
        trend.Add(ms += 100, {value, 0}, stats);
    }
    while (ms < 60000) {
        stats[0].Update(50);
        trend.Add(ms += 100, {50, 0}, stats);
    }
    CTrendChart chart;
    chart.resize(800, 400);
    chart.SetNames("TBB", "TBM");
    chart.Show(trend);
    const QImage image = chart.grab().toImage();
    const QRectF plot = chart.PlotArea();
    using Line = CTrendChart::Line;

    // The readings' line lies halfway between High and Low, High above, each where the
    // value axis puts its value.
    const double value = MeanRow(image, plot, CTrendChart::Colour(0, Line::kValue));
    const double low = MeanRow(image, plot, CTrendChart::Colour(0, Line::kLow));
    const double high = MeanRow(image, plot, CTrendChart::Colour(0, Line::kHigh));
    ASSERT_GT(value, 0);
    ASSERT_GT(low, 0);
    ASSERT_GT(high, 0);
    EXPECT_LT(high, value);
    EXPECT_LT(value, low);
    EXPECT_NEAR((value - high) / (low - high), 0.5, 0.03);
    const ChartScale& scale = chart.ValueScale();
    const auto rowOf = [&](double v) {
        return plot.bottom() - (v - scale.low) / (scale.high - scale.low) * plot.height();
    };
    EXPECT_NEAR(value, rowOf(50), 1.5);
    EXPECT_NEAR(low, rowOf(20), 1.5);
    EXPECT_NEAR(high, rowOf(80), 1.5);
    EXPECT_LE(scale.low, 0);
    EXPECT_GE(scale.high, 80);

    // Nothing of measurement 2 is drawn; every line has a colour of its own.
    for (Line line : {Line::kValue, Line::kLow, Line::kHigh}) {
        EXPECT_EQ(MeanRow(image, plot, CTrendChart::Colour(1, line)), -1);
    }
    std::set<QRgb> colours;
    for (int n : {0, 1}) {
        for (Line line : {Line::kValue, Line::kLow, Line::kHigh}) {
            colours.insert(CTrendChart::Colour(n, line).rgb());
        }
    }
    EXPECT_EQ(colours.size(), 6u);

    // An empty chart labels its value axis with distinct whole numbers, rising.
    CTrendChart empty;
    empty.resize(800, 400);
    const QStringList labels = empty.ValueLabels();
    ASSERT_GE(labels.size(), 2);
    for (qsizetype i = 1; i < labels.size(); ++i) {
        EXPECT_GT(labels[i].toInt(), labels[i - 1].toInt()) << labels.join(',').toStdString();
    }
}

}  // namespace
