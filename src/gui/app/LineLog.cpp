#include "app/LineLog.h"

#include <QStringList>
#include <algorithm>

#include "protocol/LineWords.h"
#include "serial/Clock.h"

namespace {

constexpr int kFlushMs = 250;  // how long a new exchange may wait before it is listed

constexpr const char* kColumnTitles[CLineLog::kColumnCount] = {"Time (ms)", "Baud",  "Request",
                                                               "In words",  "Reply", "Verdict"};

QString CsvCell(QString text) {
    if (text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"'))) {
        text.replace(QStringLiteral("\""), QStringLiteral("\"\""));
        return QLatin1Char('"') + text + QLatin1Char('"');
    }
    return text;
}

}  // namespace

CLineLog::CLineLog(QObject* parent)
    : QAbstractTableModel(parent), openTick(TickCount()), tap(this) {
    flushTimer.setSingleShot(true);
    flushTimer.setInterval(kFlushMs);
    connect(&flushTimer, &QTimer::timeout, this, &CLineLog::Flush);
}

CLineLog::~CLineLog() = default;

void CLineLog::OnExchange(const CLineExchange& exchange) {
    waiting.push_back(exchange);
    if (waiting.size() > kLineLogCapacity) {
        waiting.pop_front();
    }
    if (!paused && !flushTimer.isActive()) {
        flushTimer.start();
    }
}

void CLineLog::OnVerdictChanged(LineVerdict verdict) {
    if (!waiting.empty()) {
        waiting.back().verdict = verdict;
    } else if (!shown.empty()) {
        shown.back().verdict = verdict;
        const QModelIndex cell = index(static_cast<int>(shown.size()) - 1, kVerdict);
        emit dataChanged(cell, cell);
    }
}

void CLineLog::SetPaused(bool pause) {
    paused = pause;
    Flush();
}

void CLineLog::Flush() {
    if (paused || waiting.empty()) {
        return;
    }
    const size_t total = shown.size() + waiting.size();
    if (total > kLineLogCapacity) {
        const size_t drop = std::min(shown.size(), total - kLineLogCapacity);
        if (drop > 0) {
            beginRemoveRows(QModelIndex(), 0, static_cast<int>(drop) - 1);
            shown.erase(shown.begin(), shown.begin() + static_cast<std::ptrdiff_t>(drop));
            endRemoveRows();
        }
    }
    const int first = static_cast<int>(shown.size());
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(waiting.size()) - 1);
    shown.insert(shown.end(), waiting.begin(), waiting.end());
    waiting.clear();
    endInsertRows();
}

void CLineLog::Clear() {
    beginResetModel();
    shown.clear();
    waiting.clear();
    endResetModel();
}

QString CLineLog::CellText(int row, int column) const {
    const CLineExchange& exchange = Exchange(row);
    switch (column) {
        case kTime:
            return QString::number(static_cast<uint32_t>(exchange.startTick - openTick));
        case kBaud:
            return QString::number(exchange.baud);
        case kRequest:
            return QString::fromStdString(
                HexBytes(exchange.request.data(), exchange.request.size()));
        case kWords:
            return QString::fromStdString(
                DescribeRequest(exchange.request.data(), exchange.request.size()));
        case kReply:
            return QString::fromStdString(HexBytes(exchange.reply.data(), exchange.reply.size()));
        case kVerdict:
            return QString::fromStdString(DescribeVerdict(exchange));
        default:
            return QString();
    }
}

QString CLineLog::Text(const QList<int>& rows, bool csv) const {
    const QString separator = csv ? QStringLiteral(",") : QStringLiteral("\t");
    QStringList cells;
    for (const char* title : kColumnTitles) {
        cells << QString::fromLatin1(title);
    }
    QString text = cells.join(separator) + QLatin1Char('\n');
    for (const int row : rows) {
        cells.clear();
        for (int column = 0; column < kColumnCount; ++column) {
            const QString cell = CellText(row, column);
            cells << (csv ? CsvCell(cell) : cell);
        }
        text += cells.join(separator) + QLatin1Char('\n');
    }
    return text;
}

int CLineLog::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(shown.size());
}

int CLineLog::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant CLineLog::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) {
        return QVariant();
    }
    return CellText(index.row(), index.column());
}

QVariant CLineLog::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
        section >= kColumnCount) {
        return QVariant();
    }
    return QString::fromLatin1(kColumnTitles[section]);
}
