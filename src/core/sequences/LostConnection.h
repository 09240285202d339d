#pragma once
// A device server's connection lost in the middle of a command. The command ends with the
// loss told, but what it must leave behind still goes out: its closing steps (a PSF sent
// back, an adjustment or alignment mode left) and the resume run over a new connection
// that takes the lost one's place in the link.

#include <functional>
#include <string>

class CControllerLink;

// True when the link's port is a device server's connection and it was lost.
bool NetworkConnectionLost(CControllerLink& link);
// Runs step, a closing step of a command, over a connection that can still reach the
// controller: a new one (the link's reopener opens it at the same rate) when the device
// server's was lost before, and once more over a new one when step failed as the
// connection was lost (a reset or a flood shows only then). step's answer, 1 when it
// succeeded.
int RunClosingStep(CControllerLink& link, const std::function<int()>& step);
// True when the command lost its connection on the way: it is lost now, or it was and a
// closing step mended it.
bool ConnectionLostOnTheWay(CControllerLink& link);
// What the operator is told of that loss: the text of the first one.
std::string LostConnectionText(CControllerLink& link);
// The command's last step after a loss: the resume broadcast at every searched rate,
// over a new connection if need be, so that no controller stays suspended by a network
// fault. 1 when it went out.
int ResumeAfterLostConnection(CControllerLink& link);
// What the operator is told when that was not possible.
inline constexpr const char* kMayStaySuspended =
    "The controllers may still be suspended; the next search resumes them.";
