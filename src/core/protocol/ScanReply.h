#pragma once
// Scan replies. The scan request carries no hint of what the controller should send:
// in alignment mode it answers with the beam bitmap (CBeamScan), otherwise with its
// measurement values (CMeasurementScan). Both keep the raw reply and the fields decoded
// from it; two scans compare equal when their lengths and decoded fields agree. For a
// beam scan those are the counts and ends of the blocked and made beams: a scan that
// only moves a blocked beam between the same ends counts as the same scan, so the
// alignment display keeps the scan it shows (and Auto Blanking takes that one).

#include <vector>

class CScanReply {
public:
    explicit CScanReply(int expectedLength);
    virtual ~CScanReply() = default;

    int ExpectedLength() const { return expectedLength; }
    const std::vector<unsigned char>& Bytes() const { return buffer; }
    // Takes a reply of count bytes; answers 1 when it was accepted.
    virtual int Parse(const unsigned char* bytes, int count) = 0;

protected:
    CScanReply(const CScanReply&) = default;
    CScanReply& operator=(const CScanReply&) = default;
    void Keep(const unsigned char* bytes) { buffer.assign(bytes, bytes + expectedLength); }

    int expectedLength;
    std::vector<unsigned char> buffer;
};

// The beam state of every channel: bit set = beam blocked; channel i is bit
// 0x80 >> (i % 8) of bitmap byte i / 8.
class CBeamScan : public CScanReply {
public:
    // channels: a multiple of 8.
    explicit CBeamScan(int channels);
    CBeamScan(const CBeamScan&) = default;
    CBeamScan& operator=(const CBeamScan&) = default;

    int Parse(const unsigned char* bytes, int count) override;
    bool operator==(const CBeamScan& other) const;

    int Channels() const { return channels; }
    bool Blocked(int channel) const;
    int BlockedCount() const { return blockedCount; }
    // -1 when no channel is blocked.
    int FirstBlocked() const { return firstBlocked; }
    int LastBlocked() const { return lastBlocked; }
    // -1 when every channel is blocked.
    int FirstMade() const { return firstMade; }
    int LastMade() const { return lastMade; }

private:
    int channels;
    int blockedCount = 0;
    int firstBlocked = 0;
    int lastBlocked = 0;
    int firstMade = 0;
    int lastMade = 0;
};

// One or two 16-bit measurement values. selection 1: value 1 only; 2: value 2 only;
// 3: both.
class CMeasurementScan : public CScanReply {
public:
    explicit CMeasurementScan(int selection);
    CMeasurementScan(const CMeasurementScan&) = default;
    CMeasurementScan& operator=(const CMeasurementScan&) = default;

    int Parse(const unsigned char* bytes, int count) override;
    bool operator==(const CMeasurementScan& other) const;

    int Selection() const { return selection; }
    unsigned Value1() const { return value1; }
    unsigned Value2() const { return value2; }

private:
    int selection;
    unsigned value1 = 0;
    unsigned value2 = 0;
};
