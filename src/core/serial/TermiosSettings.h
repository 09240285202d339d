#pragma once
// The line settings record in and out of a POSIX terminal configuration, apart from the
// device calls so that the mapping can be checked without a device.

#include <termios.h>

#include "serial/PortSettings.h"

// The settings a terminal configuration describes; it holds no DTR or RTS state (-1).
PortSettings SettingsOfTermios(const termios& config);

// Makes config a raw line without flow control (XON/XOFF only when settings ask for it)
// and puts the settings into it: baud rates up to 19200 and 38400 are written, any other
// higher rate leaves the speed as it is; parity N, O, E, M or S (another letter leaves it);
// word length 5 to 8 (another value leaves it); stop-bit code 0 is one stop bit, 1 or 2
// two (another value leaves it). Answers 0, or kIllegalBaudRate for a rate up to 19200
// that has no terminal speed.
int ApplySettingsToTermios(const PortSettings& settings, termios& config);
