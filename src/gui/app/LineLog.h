#pragma once
// CLineLog: the line monitor's list. It observes every exchange on the line and keeps the
// last kLineLogCapacity of them as a table (time since the log was made, baud rate,
// request in hex and in words, reply in hex, verdict); the texts are made only when a
// row is shown, copied or saved. New exchanges wait a moment and are added together, so a
// fast scan loop costs the list a few updates a second instead of one per scan; while
// paused they wait until the pause ends. Each exchange is kept in one compact row, its
// bytes in a single block: a full list of scan exchanges takes a few megabytes.

#include <QAbstractTableModel>
#include <QTimer>
#include <cstdint>
#include <deque>
#include <memory>

#include "protocol/LineTap.h"

constexpr size_t kLineLogCapacity = 20000;

class CLineLog final : public QAbstractTableModel, public CLineObserver {
    Q_OBJECT

public:
    enum Column { kTime, kBaud, kRequest, kWords, kReply, kVerdict, kColumnCount };

    // Installs the log as the line observer until it is destroyed.
    explicit CLineLog(QObject* parent);
    ~CLineLog() override;

    void OnExchange(const CLineExchange& exchange) override;
    void OnVerdictChanged(LineVerdict verdict) override;

    void SetPaused(bool paused);
    // Adds the waiting exchanges to the list now, unless paused.
    void Flush();
    bool Paused() const { return paused; }
    void Clear();
    QString CellText(int row, int column) const;
    // The rows as lines of tab-separated cells, or as CSV, after a header line.
    QString Text(const QList<int>& rows, bool csv) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    // One exchange as the list keeps it.
    struct Row {
        explicit Row(const CLineExchange& exchange);
        CLineExchange Exchange() const;
        const unsigned char* Request() const { return bytes.get(); }
        const unsigned char* Reply() const { return bytes.get() + requestLength; }

        std::unique_ptr<unsigned char[]> bytes;  // the request, then the reply
        uint32_t startTick;
        uint32_t baud;
        uint32_t requestLength;
        uint32_t replyLength;
        uint32_t expected;
        LineVerdict verdict;
        bool inputLost;
    };

    size_t Waiting() const { return rows.size() - listed; }

    uint32_t openTick;
    std::deque<Row> rows;  // the listed rows, then those waiting to be added
    size_t listed = 0;
    QTimer flushTimer;
    bool paused = false;
    CScopedLineObserver tap;
};
