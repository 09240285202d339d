#include "protocol/ControllerTable.h"

namespace {
bool InTable(int id, int baudIndex) {
    return IsControllerId(id) && baudIndex >= 0 && baudIndex <= 3;
}
}  // namespace

void StoreControllerEntry(ControllerTable& table, int id, int baudIndex, int value) {
    if (InTable(id, baudIndex)) {
        table[id - 0x40][baudIndex] = static_cast<signed char>(value);
    }
}

bool FindBaudIndex(const ControllerTable& table, int id, int* baudIndex) {
    if (!IsControllerId(id)) {
        return false;
    }
    const auto& row = table[id - 0x40];
    for (int column = 0; column < 4; ++column) {
        if (row[column] != 0) {
            *baudIndex = column;
            return true;
        }
    }
    return false;
}

void MoveControllerEntry(ControllerTable& table, int oldId, int oldIndex, int newId, int newIndex) {
    if (!InTable(oldId, oldIndex) || !InTable(newId, newIndex)) {
        return;
    }
    const int32_t value = table[oldId - 0x40][oldIndex];
    table[oldId - 0x40][oldIndex] = 0;
    table[newId - 0x40][newIndex] = value;
}
