#pragma once
// The summary of a tarnctl backup folder: a format line, then one line per controller
// with the files saved of it, each with its length and CRC-32, so that a restore can
// tell a damaged or foreign file before it sends anything. Written and read here only.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "CtlOptions.h"

inline constexpr const char* kSummaryName = "summary.txt";
inline constexpr const char* kBackupPsf = ".PSF";
inline constexpr const char* kBackupBfs = ".bfs";
inline constexpr const char* kBackupDiag = ".diag.txt";
// Larger than any file a backup writes; a longer length in a summary is damage.
inline constexpr size_t kMaxBackupFileLength = 1 << 20;

// One file of a controller: ID@RATE followed by one of the three extensions.
struct BackupFile {
    std::string name;
    size_t length = 0;
    uint32_t checksum = 0;
};

struct BackupEntry {
    CtlTarget target;
    std::vector<BackupFile> files;

    // The file of this controller with extension, or nullptr when none was saved.
    const BackupFile* File(const char* extension) const;
};

// The CRC-32 (the one of zip and PNG) of size bytes at data.
uint32_t Crc32(const unsigned char* data, size_t size);

// The whole summary of entries.
std::string SummaryText(const std::vector<BackupEntry>& entries);

// Reads text as a summary into *entries. Answers "" when every line is well formed,
// else the first fault, with its line number; *entries is then incomplete.
std::string ParseSummary(const std::string& text, std::vector<BackupEntry>* entries);

// Whether name could be a file of a backup folder: the summary or ID@RATE.ext.
bool IsBackupFileName(const std::string& name);
