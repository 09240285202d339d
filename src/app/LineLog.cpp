#include "app/LineLog.h"

#include <QStringList>

#include "protocol/LineWords.h"
#include "serial/Clock.h"

namespace {

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
    : QAbstractTableModel(parent), openTick(TickCount()), tap(this) {}

CLineLog::~CLineLog() = default;

void CLineLog::Append(std::deque<CLineExchange>& list, const CLineExchange& exchange) {
    list.push_back(exchange);
    if (list.size() > kLineLogCapacity) {
        list.pop_front();
    }
}

void CLineLog::OnExchange(const CLineExchange& exchange) {
    if (paused) {
        Append(waiting, exchange);
        return;
    }
    if (shown.size() == kLineLogCapacity) {
        beginRemoveRows(QModelIndex(), 0, 0);
        shown.pop_front();
        endRemoveRows();
    }
    const int row = static_cast<int>(shown.size());
    beginInsertRows(QModelIndex(), row, row);
    shown.push_back(exchange);
    endInsertRows();
}

void CLineLog::OnVerdictChanged(LineVerdict verdict) {
    std::deque<CLineExchange>& list = paused ? waiting : shown;
    if (list.empty()) {
        return;
    }
    list.back().verdict = verdict;
    if (!paused) {
        const QModelIndex cell = index(static_cast<int>(shown.size()) - 1, kVerdict);
        emit dataChanged(cell, cell);
    }
}

void CLineLog::SetPaused(bool pause) {
    if (pause == paused) {
        return;
    }
    paused = pause;
    if (paused || waiting.empty()) {
        return;
    }
    beginResetModel();
    for (const CLineExchange& exchange : waiting) {
        Append(shown, exchange);
    }
    waiting.clear();
    endResetModel();
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
