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

CLineLog::Row::Row(const CLineExchange& exchange)
    : bytes(std::make_unique_for_overwrite<unsigned char[]>(exchange.request.size() +
                                                            exchange.reply.size())),
      startTick(exchange.startTick),
      baud(static_cast<uint32_t>(exchange.baud)),
      requestLength(static_cast<uint32_t>(exchange.request.size())),
      replyLength(static_cast<uint32_t>(exchange.reply.size())),
      expected(exchange.expected),
      verdict(exchange.verdict),
      inputLost(exchange.inputLost) {
    std::copy(exchange.request.begin(), exchange.request.end(), bytes.get());
    std::copy(exchange.reply.begin(), exchange.reply.end(), bytes.get() + requestLength);
}

CLineExchange CLineLog::Row::Exchange() const {
    CLineExchange exchange;
    exchange.startTick = startTick;
    exchange.baud = baud;
    exchange.request.assign(Request(), Reply());
    exchange.reply.assign(Reply(), Reply() + replyLength);
    exchange.expected = expected;
    exchange.verdict = verdict;
    exchange.inputLost = inputLost;
    return exchange;
}

void CLineLog::OnExchange(const CLineExchange& exchange) {
    rows.emplace_back(exchange);
    // Rows pile up while paused: of those waiting only the newest kLineLogCapacity are
    // kept, and the listed ones stay until the pause ends.
    if (Waiting() > kLineLogCapacity) {
        rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(listed));
    }
    if (!paused && !flushTimer.isActive()) {
        flushTimer.start();
    }
}

void CLineLog::OnVerdictChanged(LineVerdict verdict) {
    if (rows.empty()) {
        return;
    }
    rows.back().verdict = verdict;
    if (Waiting() == 0) {
        const QModelIndex cell = index(static_cast<int>(listed) - 1, kVerdict);
        emit dataChanged(cell, cell);
    }
}

void CLineLog::SetPaused(bool pause) {
    paused = pause;
    Flush();
}

void CLineLog::Flush() {
    if (paused || Waiting() == 0) {
        return;
    }
    if (rows.size() > kLineLogCapacity) {
        const size_t drop = std::min(listed, rows.size() - kLineLogCapacity);
        if (drop > 0) {
            beginRemoveRows(QModelIndex(), 0, static_cast<int>(drop) - 1);
            rows.erase(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(drop));
            listed -= drop;
            endRemoveRows();
        }
    }
    beginInsertRows(QModelIndex(), static_cast<int>(listed), static_cast<int>(rows.size()) - 1);
    listed = rows.size();
    endInsertRows();
}

void CLineLog::Clear() {
    beginResetModel();
    rows.clear();
    listed = 0;
    endResetModel();
}

QString CLineLog::CellText(int row, int column) const {
    const Row& exchange = rows[static_cast<size_t>(row)];
    switch (column) {
        case kTime:
            return QString::number(static_cast<uint32_t>(exchange.startTick - openTick));
        case kBaud:
            return QString::number(exchange.baud);
        case kRequest:
            return QString::fromStdString(HexBytes(exchange.Request(), exchange.requestLength));
        case kWords:
            return QString::fromStdString(
                DescribeRequest(exchange.Request(), exchange.requestLength));
        case kReply:
            return QString::fromStdString(HexBytes(exchange.Reply(), exchange.replyLength));
        case kVerdict:
            return QString::fromStdString(DescribeVerdict(exchange.Exchange()));
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
    return parent.isValid() ? 0 : static_cast<int>(listed);
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
