#pragma once
// Reconnect: the way back to the controller selected in a remembered search, without a
// new search. The controllers the table knows are suspended, the selected one is pinged
// at its rate, and all of them are resumed.

#include "protocol/ControllerTable.h"

class CControllerLink;

// 1 when the selected controller of table answered its ping, else 0. The port is left at
// the rate it had.
int ReconnectSelected(CControllerLink& link, const ControllerTable& table);
