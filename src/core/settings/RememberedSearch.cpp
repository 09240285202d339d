#include "settings/RememberedSearch.h"

#include <sstream>
#include <string>

#include "settings/SettingsFile.h"

namespace {

constexpr char kSection[] = "LastSearch";
constexpr char kFound[] = "Found";
constexpr char kSelected[] = "Selected";

// "C1": ID letter and baud index; false for anything else.
bool ParseEntry(const std::string& text, int* id, int* baudIndex) {
    if (text.size() != 2 || !IsControllerId(text[0]) || text[1] < '0' ||
        text[1] >= '0' + kSearchedBaudIndexes) {
        return false;
    }
    *id = text[0];
    *baudIndex = text[1] - '0';
    return true;
}

std::string EntryText(int id, int baudIndex) {
    return {static_cast<char>(id), static_cast<char>('0' + baudIndex)};
}

}  // namespace

ControllerTable LoadRememberedSearch(const CSettingsFile& file) {
    ControllerTable table{};
    std::istringstream found(file.GetString(kSection, kFound, ""));
    std::string word;
    int id = 0;
    int baudIndex = 0;
    while (found >> word) {
        if (ParseEntry(word, &id, &baudIndex)) {
            StoreControllerEntry(table, id, baudIndex, kFoundMarker);
        }
    }
    // Only a selection that the search found is remembered.
    if (ParseEntry(file.GetString(kSection, kSelected, ""), &id, &baudIndex) &&
        table[static_cast<size_t>(id - 0x40)][static_cast<size_t>(baudIndex)] == kFoundMarker) {
        table[0] = {id, baudIndex, kFoundMarker, 0};
    }
    return table;
}

void StoreRememberedSearch(CSettingsFile& file, const ControllerTable& table) {
    std::string found;
    for (int id = kFirstId; id <= kLastId; ++id) {
        for (int baudIndex = 0; baudIndex < kSearchedBaudIndexes; ++baudIndex) {
            if (table[static_cast<size_t>(id - 0x40)][static_cast<size_t>(baudIndex)] != 0) {
                if (!found.empty()) {
                    found += ' ';
                }
                found += EntryText(id, baudIndex);
            }
        }
    }
    if (found.empty()) {
        return;  // no search yet: the file gets no section for it
    }
    file.WriteString(kSection, kFound, found);
    file.WriteString(kSection, kSelected,
                     HasRememberedSelection(table) ? EntryText(table[0][0], table[0][1]) : "");
}

bool HasRememberedSelection(const ControllerTable& table) {
    return IsControllerId(table[0][0]) && table[0][1] >= 0 && table[0][1] < kSearchedBaudIndexes;
}
