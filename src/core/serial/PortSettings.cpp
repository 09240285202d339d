#include "serial/PortSettings.h"

#include <cctype>

void PortSettings::Adjust(long newBaud, int newParity, int newWordLength, int newStopBits,
                          int newDtr, int newRts, int newXonXoff, int /*rtsCts*/,
                          int /*dtrDsr*/) {
    if (newBaud != -1) {
        baud = newBaud;
    }
    if (newParity != -1) {
        parity = static_cast<char>(std::toupper(static_cast<unsigned char>(newParity)));
    }
    if (newWordLength != -1) {
        wordLength = newWordLength;
    }
    if (newStopBits != -1) {
        stopBits = newStopBits;
    }
    if (newDtr != -1) {
        dtr = newDtr;
    }
    if (newRts != -1) {
        rts = newRts;
    }
    if (newXonXoff != -1) {
        xonXoff = newXonXoff;
    }
}
