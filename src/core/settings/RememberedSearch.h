#pragma once
// The last search kept between runs: the controllers it found and the operator's
// selection, in the settings file's section "LastSearch" ("Found=A0 C1", "Selected=C1":
// ID letter and baud index). It is written only when the settings are written.

#include "protocol/ControllerTable.h"

class CSettingsFile;

// The remembered table; empty when the file holds none or holds something unusable.
ControllerTable LoadRememberedSearch(const CSettingsFile& file);
// Writes table's found controllers and selection into the file's section; a table that
// knows no controller writes nothing.
void StoreRememberedSearch(CSettingsFile& file, const ControllerTable& table);
// True when table holds a selection that Reconnect can ask for.
bool HasRememberedSelection(const ControllerTable& table);
