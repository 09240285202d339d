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

// Whether a port puts the rate baud on the line: every rate up to 19200, and 38400. Any
// other higher rate (57600 among them) is taken into the settings record but leaves the
// line at the rate it has.
constexpr bool WritesBaudRate(long baud) {
    return baud <= 19200 || baud == 38400;
}
