#pragma once
// The file side of the alignment dialog's Save To File and Read From File: writing the
// dialog's blanking as a BFS file, reading one back, and fitting a file's 768 channels
// to the controller's count. Each answers the message the operator is to see, so the
// dialog only asks for the path and shows the answer.

#include <string>
#include <vector>

#include "records/BlankingMap.h"

inline constexpr const char* kBfsFilter = "BFS Files (*.bfs) |*.bfs||";
inline constexpr const char* kBfsExtension = "bfs";
inline constexpr const char* kChannelsBeyondWarning =
    "Warning! The number of channels in the file is greater than\n the number in the "
    "controller. Blanking data for channels that\ndo not exist in the controller will be "
    "ignored.";

// Writes map as the BFS file at path. An existing file is replaced only by a complete new
// one, and stays as it was when the save fails (unless the answer says otherwise). Answers
// "" when saved, else the message: "Error opening file '<path>'\n<why>" when the file could
// not be created, "Error writing blanking fields to file.\n<why>" when writing it failed,
// followed by a line naming the file when the failed write left it damaged.
std::string SaveBlankingFile(const std::string& path, const CBlankingMap& map);

// Reads the BFS file at path into fileMap, which becomes a map of all 768 channels.
// Answers "" when read, else the message: "Error opening file '<path>'\n<why>" or the
// refusal of the file's size or checksum; fileMap is then unchanged. A pipe, device or
// folder is refused for its size, without waiting on it.
std::string ReadBlankingFile(const std::string& path, CBlankingMap& fileMap);

// The bytes of a BFS file into fileMap, as ReadBlankingFile reads them from the file.
std::string BlankingFromBytes(const std::vector<unsigned char>& bytes, CBlankingMap& fileMap);

// True when fileMap blanks a channel that a controller of channels does not have.
bool BlanksBeyond(const CBlankingMap& fileMap, int channels);

// The blanking of a controller of channels as fileMap gives it: the file's first
// channels / 8 bytes; the bits for channels beyond are dropped.
CBlankingMap FitToController(const CBlankingMap& fileMap, int channels);
