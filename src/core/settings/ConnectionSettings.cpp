#include "settings/ConnectionSettings.h"

namespace {
constexpr int kDefaultPortIndex = 1;  // COM2
constexpr int kDefaultParity = 'E';
}  // namespace

ConnectionChoice ReadConnectionChoice(const CSettingsFile& file) {
    return {file.GetInt(kCommunicationSection, kPortEntry, kDefaultPortIndex),
            static_cast<char>(file.GetInt(kParitySection, kParityEntry, kDefaultParity) & 0xFF)};
}
