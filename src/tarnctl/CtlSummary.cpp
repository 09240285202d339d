#include "CtlSummary.h"

#include <array>
#include <cstdio>
#include <sstream>

namespace {

constexpr const char* kHeader =
    "# tarnctl backup: one controller a line, ID@RATE, then each file saved of it with its\n"
    "# length in bytes and CRC-32. Restore checks every file against this list.\n";
constexpr const char* kFormatLine = "format 2";
constexpr std::array<const char*, 3> kExtensions = {kBackupPsf, kBackupBfs, kBackupDiag};

std::string Hex(uint32_t value) {
    char text[9];
    std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(value));
    return text;
}

bool ParseLength(const std::string& word, size_t* length) {
    if (word.empty() || word.size() > 7 || word.find_first_not_of("0123456789") != word.npos ||
        (word.size() > 1 && word[0] == '0')) {
        return false;
    }
    *length = std::stoul(word);
    return *length <= kMaxBackupFileLength;
}

bool ParseChecksum(const std::string& word, uint32_t* checksum) {
    if (word.size() != 8 || word.find_first_not_of("0123456789abcdef") != word.npos) {
        return false;
    }
    *checksum = static_cast<uint32_t>(std::stoul(word, nullptr, 16));
    return true;
}

// One controller line; "" when well formed, else what is wrong with it.
std::string ParseEntry(const std::string& line, BackupEntry* entry) {
    std::istringstream words(line);
    std::string address;
    words >> address;
    if (!ParseTarget(address, &entry->target) || TargetText(entry->target) != address) {
        return "'" + address + "' is not a controller address ID@RATE";
    }
    std::string name;
    std::string length;
    std::string checksum;
    while (words >> name) {
        BackupFile file{name};
        if (!(words >> length >> checksum)) {
            return "'" + name + "' lacks its length and checksum";
        }
        bool known = false;
        for (const char* extension : kExtensions) {
            known |= name == address + extension;
        }
        if (!known || entry->File(name.c_str() + address.size()) != nullptr) {
            return "'" + name + "' is not a file of " + address + " or is listed twice";
        }
        if (!ParseLength(length, &file.length) || !ParseChecksum(checksum, &file.checksum)) {
            return "'" + name + "' has no valid length and checksum";
        }
        entry->files.push_back(file);
    }
    // A word of stray characters or spaces at the ends is damage too.
    return SummaryText({*entry}).find("\n" + line + "\n") == std::string::npos
               ? "the line is not as a backup writes it"
               : "";
}

}  // namespace

const BackupFile* BackupEntry::File(const char* extension) const {
    for (const BackupFile& file : files) {
        if (file.name == TargetText(target) + extension) {
            return &file;
        }
    }
    return nullptr;
}

uint32_t Crc32(const unsigned char* data, size_t size) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

std::string SummaryText(const std::vector<BackupEntry>& entries) {
    std::string text = std::string(kHeader) + kFormatLine + "\n";
    for (const BackupEntry& entry : entries) {
        text += TargetText(entry.target);
        for (const BackupFile& file : entry.files) {
            text += " " + file.name + " " + std::to_string(file.length) + " " + Hex(file.checksum);
        }
        text += "\n";
    }
    return text;
}

std::string ParseSummary(const std::string& text, std::vector<BackupEntry>* entries) {
    if (text.empty() || text.back() != '\n') {
        return text.empty() ? "the summary is empty" : "the summary is cut short";
    }
    std::istringstream lines(text);
    std::string line;
    bool formatSeen = false;
    for (int number = 1; std::getline(lines, line); ++number) {
        const std::string where = "line " + std::to_string(number) + ": ";
        if (line.empty() || line[0] == '#') {
            continue;
        }
        if (!formatSeen) {
            if (line != kFormatLine) {
                return where + "not a tarnctl backup summary of this format ('" +
                       std::string(kFormatLine) + "' expected)";
            }
            formatSeen = true;
            continue;
        }
        BackupEntry entry;
        const std::string fault = ParseEntry(line, &entry);
        if (!fault.empty()) {
            return where + fault;
        }
        for (const BackupEntry& earlier : *entries) {
            if (earlier.target.id == entry.target.id &&
                earlier.target.baudIndex == entry.target.baudIndex) {
                return where + TargetText(entry.target) + " is listed twice";
            }
        }
        entries->push_back(entry);
    }
    if (!formatSeen) {
        return "not a tarnctl backup summary (no format line)";
    }
    return entries->empty() ? "the summary lists no controller" : "";
}

bool IsBackupFileName(const std::string& name) {
    CtlTarget target;
    const size_t at = name.find('.');
    if (name == kSummaryName || at == name.npos || !ParseTarget(name.substr(0, at), &target)) {
        return name == kSummaryName;
    }
    for (const char* extension : kExtensions) {
        if (name == TargetText(target) + extension) {
            return true;
        }
    }
    return false;
}
