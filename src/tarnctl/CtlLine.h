#pragma once
// The line of one tarnctl command: the port opened with the settings file's choices or
// the command line's, the controller link over it, and the controller table that the
// line hold suspends and resumes. With -v every frame is printed to standard error.

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "CtlOptions.h"
#include "CtlVerbose.h"
#include "protocol/ControllerLink.h"
#include "protocol/ControllerTable.h"
#include "sequences/ServiceBracket.h"

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitRefused = 1;  // the controller refused or did not answer
inline constexpr int kExitUsage = 2;
inline constexpr int kExitPort = 3;  // the port could not be opened, or the connection was lost

// What every command works with.
struct CtlContext {
    const CtlOptions& options;
    std::ostream& out;
    std::ostream& err;

    // Tells the user on standard error, with the program's name first.
    void Tell(const std::string& text) const;
    // Prints a result line on standard output unless -q was given.
    void Say(const std::string& text) const;
};

class CCtlLine {
public:
    // Opens the port at baudIndex; the link addresses id. 1 when open; else the reason
    // has been told and the answer is 0.
    int Open(const CtlContext& context, int baudIndex, char id);

    CControllerLink& Link() { return *link; }
    // The exit status of a command that ended with status: kExitPort when the connection
    // was lost on the way. That is told, and the resume is broadcast over a new
    // connection (once; when that fails too, the operator is told the controllers may
    // still be suspended).
    int Outcome(const CtlContext& context, int status);
    // True once the connection to a device server was lost, also when a closing step has
    // since gone over a new one: the command goes no further than Outcome.
    bool Lost();
    ControllerTable& Table() { return table; }
    // Makes target the selection and the link's controller; the table knows it too.
    // 1, or 0 when the port did not take target's rate (a device server that keeps
    // another one): that is told, and talking on would reach another controller.
    int Select(const CtlContext& context, const CtlTarget& target);
    // Runs session with the whole line held quiet: every controller suspended before it
    // and resumed after, by the broadcast at every rate, since a command addressed to one
    // controller does not know the others. Answers what session answered.
    int Held(PortFlush flush, const std::function<int()>& session);

private:
    // The port as the options and the settings file choose it, at baud.
    static std::unique_ptr<RS232> OpenLinePort(const CtlContext& context, long baud,
                                               std::string* name);

    std::unique_ptr<CCtlVerbose> verbose;
    std::unique_ptr<CControllerLink> link;
    ControllerTable table{};
};

// The controllers that a search entered in table, by ID, each rate it answered at.
std::vector<CtlTarget> FoundControllers(const ControllerTable& table);

// Opens a line for one controller at target and selects it; 0 when the port could not
// be opened (told).
int OpenForTarget(const CtlContext& context, const CtlTarget& target, CCtlLine& line);
