#pragma once
// The line settings of a serial port: what the device had when opened, and what is
// now in force. -1 in a numeric field means the device did not report it.

struct PortSettings {
    long baud = -1;
    char parity = '?';  // N, O, E, M, S; '?' when not reported
    int wordLength = -1;
    int stopBits = -1;  // 0 one stop bit; 1 or 2 two stop bits on the line
    int dtr = -1;
    int rts = -1;
    int xonXoff = 0;

    // Takes the nine line values in their usual order; -1 leaves a field as it is.
    // Parity is stored upper-case. The record keeps no RTS/CTS or DTR/DSR
    // handshaking, so those two are accepted and ignored.
    void Adjust(long newBaud, int newParity, int newWordLength, int newStopBits, int newDtr,
                int newRts, int newXonXoff, int rtsCts, int dtrDsr);

    bool operator==(const PortSettings&) const = default;
};
