#pragma once
// The connection choices of the settings file: the COM port and the parity, as the
// program keeps them between runs ("Communication" "Port", zero-based; "Parity"
// "Setting", the character code of the letter). Read by the main frame and by tarnctl.

#include "settings/SettingsFile.h"

inline constexpr char kCommunicationSection[] = "Communication";
inline constexpr char kPortEntry[] = "Port";
inline constexpr char kParitySection[] = "Parity";
inline constexpr char kParityEntry[] = "Setting";

struct ConnectionChoice {
    int portIndex;  // 0 is COM1
    char parity;    // 'E', 'O', 'N', ...
};

// The file's choices, COM2 and even parity where it has none. Values are taken as read,
// without range checks.
ConnectionChoice ReadConnectionChoice(const CSettingsFile& file);
