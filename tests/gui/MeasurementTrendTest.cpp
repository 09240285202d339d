// The measurement output dialog's trend chart and recording file after Runs of known
// readings on a simulated controller: the chart's points with their Low and High, the
// CSV of every reading written as it comes and put on the disk every second, a file that
// only the next Run writes, and what the operator is told when the file fails; and the
// chart as it is painted, read back from its pixels.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <set>
#include <vector>

#include "BeamMeasures.h"
#include "ScriptedPrompts.h"
#include "SimLine.h"
#include "SimPort.h"
#include "SimScanScript.h"
#include "files/AtomicFile.h"
#include "protocol/ControllerLink.h"
#include "psf/MeasurementDlg.h"
#include "serial/Clock.h"
#include "widgets/TrendChart.h"

namespace {

// The disk flushes of the files written, at their virtual times; flush number failAt
// (from 0) fails.
struct SyncLog {
    static inline std::vector<uint32_t> ticks;
    static inline size_t failAt = SIZE_MAX;
    static int Sync(int) {
        ticks.push_back(TickCount());
        if (ticks.size() == failAt + 1) {
            errno = EIO;
            return -1;
        }
        return 0;
    }
};

class ScopedSyncLog {
public:
    explicit ScopedSyncLog(size_t failAt = SIZE_MAX)
        : previous(SetFileSyncFunction(SyncLog::Sync)) {
        SyncLog::ticks.clear();
        SyncLog::failAt = failAt;
    }
    ~ScopedSyncLog() { SetFileSyncFunction(previous); }
    ScopedSyncLog(const ScopedSyncLog&) = delete;
    ScopedSyncLog& operator=(const ScopedSyncLog&) = delete;

private:
    FileSyncFunction previous;
};

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
    std::string Path(const char* name = "run.csv") const {
        return folder.filePath(name).toStdString();
    }
    std::string ReadFile(const char* name = "run.csv") const {
        QFile file(QString::fromStdString(Path(name)));
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "<none>";
    }
    static void Record(CMeasurementDlg& dialog) {
        dialog.findChild<QPushButton*>("recordButton")->click();
    }
    static std::string RecordText(CMeasurementDlg& dialog) {
        return dialog.findChild<QLabel*>("recordText")->text().toStdString();
    }
    // The readings' lines of a recording: what follows the column titles.
    static QStringList Readings(const std::string& csv) {
        QStringList lines = QString::fromStdString(csv).split('\n');
        const qsizetype titles = lines.indexOf(QStringLiteral("Time (ms),TBB,TBM"));
        EXPECT_GE(titles, 0) << csv;
        lines = lines.mid(titles + 1);
        if (!lines.isEmpty() && lines.back().isEmpty()) {
            lines.removeLast();
        }
        return lines;
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
    Record(*dialog);
    EXPECT_EQ(prompts.FileDialogs()[0].filter, "CSV Files (*.csv) |*.csv||");
    // The file is made by the Run, not by its choice; Enter then starts the Run, not Exit.
    EXPECT_EQ(ReadFile(), "<none>");
    EXPECT_EQ(dialog->focusWidget(), dialog->findChild<QPushButton*>("runButton"));

    // Each reading is in the file before the next scan is asked for.
    std::string duringThirdScan;
    CScanScript script(*controller, {3, 3, 0});
    script.At(3, [&] {
        duringThirdScan = ReadFile();
        dialog->findChild<QPushButton*>("stopButton")->click();
    });
    QTest::mouseClick(dialog->findChild<QPushButton*>("runButton"), Qt::LeftButton);
    EXPECT_EQ(Readings(duringThirdScan).size(), 2);

    const QStringList lines = QString::fromStdString(ReadFile()).split('\n');
    ASSERT_EQ(lines.size(), 8);
    EXPECT_EQ(lines[0], "Controller,C");
    EXPECT_EQ(lines[1], "Baud rate,9600");
    EXPECT_TRUE(lines[2].startsWith("Run started,20")) << lines[2].toStdString();
    EXPECT_EQ(lines[3], "Time (ms),TBB,TBM");
    int previous = -1;
    for (int i = 4; i <= 6; ++i) {
        const QStringList cells = lines[i].split(',');
        ASSERT_EQ(cells.size(), 3);
        EXPECT_GT(cells[0].toInt(), previous);
        previous = cells[0].toInt();
        EXPECT_EQ(cells[1], QString::number(i == 6 ? 0 : 3));
        EXPECT_EQ(cells[2], "");  // measurement 2 is not produced
    }
    EXPECT_EQ(lines[7], "");

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
                    std::abs(pixel.blue() - colour.blue()) <=
                12) {
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
    trend.Start(1, 0);
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

// A choice that no Run follows leaves nothing behind: no new file, and a file that was
// there keeps what it holds. A Run that cannot make the chosen file (its folder went since
// the choice) says so at once and offers the readings elsewhere at Stop.
TEST_F(MeasurementTrendTest, OnlyARunMakesOrEmptiesTheChosenFile) {
    QFile old(QString::fromStdString(Path("old.csv")));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("an earlier Run\n");
    old.close();
    {
        auto dialog = Open(1);
        prompts.ScriptFiles({Path(), Path("old.csv")});
        Record(*dialog);
        Record(*dialog);
        dialog->findChild<QPushButton*>("exitButton")->click();
    }
    EXPECT_EQ(ReadFile(), "<none>");
    EXPECT_EQ(ReadFile("old.csv"), "an earlier Run\n");
    EXPECT_TRUE(prompts.Texts().empty());

    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("gone")));
    auto dialog = Open(1);
    prompts.ScriptFiles({Path("gone/run.csv")});
    prompts.ScriptAnswers({kAnswerNo});
    Record(*dialog);
    ASSERT_TRUE(QDir(folder.path()).rmdir(QStringLiteral("gone")));
    std::string toldDuringRun;
    CScanScript script(*controller, {4, 4});
    script.At(2, [&] {
        toldDuringRun = RecordText(*dialog);
        dialog->findChild<QPushButton*>("stopButton")->click();
    });
    QTest::mouseClick(dialog->findChild<QPushButton*>("runButton"), Qt::LeftButton);
    EXPECT_EQ(toldDuringRun.rfind("Recording stopped: run.csv cannot be written", 0), 0u)
        << toldDuringRun;
    ASSERT_EQ(prompts.Texts().size(), 1u);
    EXPECT_EQ(prompts.Messages()[0].buttons, PromptButtons::kYesNo);
}

// A Run of several seconds: the file reaches the disk at least once a second and when the
// Run ends.
TEST_F(MeasurementTrendTest, RecordingReachesTheDiskAtLeastOnceASecond) {
    const ScopedSyncLog syncs;
    auto dialog = Open(1);
    prompts.ScriptFiles({Path()});
    Record(*dialog);
    const uint32_t start = TickCount();
    RunOver(*dialog, *controller, std::vector<int>(400, 5));
    const uint32_t end = TickCount();
    const QStringList readings = Readings(ReadFile());
    ASSERT_EQ(readings.size(), 400);
    ASSERT_GT(end - start, 3000u) << "too short a Run to tell";
    const uint32_t step = readings[1].split(',')[0].toUInt() - readings[0].split(',')[0].toUInt();
    ASSERT_GE(SyncLog::ticks.size(), 3u);
    uint32_t last = start;
    for (const uint32_t tick : SyncLog::ticks) {
        EXPECT_LE(tick - last, 1000 + step);
        last = tick;
    }
    EXPECT_LE(end - SyncLog::ticks.back(), step);
}

// The file cannot be made: refused when chosen, and the Run records nothing. A write that
// fails during the Run: recording stops and says so at once, the Run goes on, and at Stop
// the readings, every one of them, are saved to another file.
TEST_F(MeasurementTrendTest, AFileThatFailsIsToldAtOnceAndTheReadingsAreSavedElsewhere) {
    {
        auto dialog = Open(1);
        const std::string missing = folder.filePath("no such folder/run.csv").toStdString();
        prompts.ScriptFiles({missing});
        Record(*dialog);
        ASSERT_EQ(prompts.Texts().size(), 1u);
        EXPECT_EQ(prompts.Texts()[0].rfind("Unable to record to ", 0), 0u) << prompts.Texts()[0];
        EXPECT_EQ(RecordText(*dialog), "");
        RunOver(*dialog, *controller, {2});
        EXPECT_EQ(prompts.Texts().size(), 1u);
        EXPECT_FALSE(QFile::exists(QString::fromStdString(missing)));
    }
    const ScopedSyncLog syncs(1);  // the second flush fails
    auto dialog = Open(1);
    prompts.ScriptFiles({Path(), "", Path("elsewhere.csv")});
    prompts.ScriptAnswers({kAnswerYes, kAnswerYes});
    Record(*dialog);
    std::string toldDuringRun;
    int beepsDuringRun = 0;
    CScanScript script(*controller, std::vector<int>(300, 4));
    script.At(299, [&] {
        toldDuringRun = RecordText(*dialog);
        beepsDuringRun = prompts.Beeps();
    });
    script.At(300, [&] { dialog->findChild<QPushButton*>("stopButton")->click(); });
    QTest::mouseClick(dialog->findChild<QPushButton*>("runButton"), Qt::LeftButton);

    EXPECT_EQ(toldDuringRun.rfind("Recording stopped: run.csv cannot be written", 0), 0u)
        << toldDuringRun;
    EXPECT_EQ(beepsDuringRun, 1);
    EXPECT_EQ(script.Scans(), 300);
    // Asked at Stop; the first answer's file dialog was cancelled, so it asks again.
    ASSERT_EQ(prompts.Texts().size(), 3u);
    EXPECT_EQ(prompts.Messages()[1].buttons, PromptButtons::kYesNo);
    EXPECT_EQ(prompts.Texts()[2], prompts.Texts()[1]);
    EXPECT_EQ(Readings(ReadFile("elsewhere.csv")).size(), 300);
    EXPECT_LT(Readings(ReadFile()).size(), 300);
    EXPECT_EQ(RecordText(*dialog), "");
}

}  // namespace
