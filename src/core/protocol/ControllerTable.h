#pragma once
// The controller table: what the last search found on the line. 16 rows of 4 ints.
// Row 0 is the operator's selection (ID letter, baud index, the marker 'X'); rows 1..15
// are the IDs 'A'..'O' (row = letter - 0x40); in those rows column c (0..2) holds 'X'
// when that controller answered at baud index c, else 0. Column 3 is not used.

#include <array>
#include <cstdint>

using ControllerTable = std::array<std::array<int32_t, 4>, 16>;

constexpr char kFirstId = 'A';
constexpr char kLastId = 'O';
constexpr char kBroadcastId = 'X';
constexpr int32_t kFoundMarker = 'X';
constexpr int kSearchedBaudIndexes = 3;  // 9600, 19200, 38400

inline bool IsControllerId(int id) {
    return id >= kFirstId && id <= kLastId;
}

// Stores value (taken as a signed char, widened) at the row of id and column baudIndex.
// Ids outside 'A'..'O' and indexes outside 0..3 are ignored.
void StoreControllerEntry(ControllerTable& table, int id, int baudIndex, int value);

// True when the table knows id; *baudIndex is then the first column (from 0) whose
// entry is nonzero.
bool FindBaudIndex(const ControllerTable& table, int id, int* baudIndex);

// Moves a controller's entry from (oldId, oldIndex) to (newId, newIndex), clearing the
// old entry: used when a controller is given a new ID or baud rate.
void MoveControllerEntry(ControllerTable& table, int oldId, int oldIndex, int newId, int newIndex);
