// tarnsim: simulated controllers served on a pseudo-terminal in real time, so that the
// program can be run and tested through the operating system's serial port.

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "MovingObject.h"
#include "PtyServer.h"
#include "SimSetup.h"

namespace {

constexpr char kHelp[] = R"(Usage: tarnsim [options]

Simulated light-curtain controllers on a pseudo-terminal, in real time. tarnsim prints
the terminal device it serves (such as /dev/pts/3) on the first line of its output. Map a
COM port of the program to it in the settings file, section "Ports" (COM1=/dev/pts/3),
or give it a fixed name with --link. Every byte takes its wire time (11 bits) at the rate
the program set, and the controllers answer as the real ones do: only well-formed frames
with their ID, at their own rate. Ctrl+C (SIGINT), SIGTERM or SIGHUP ends tarnsim; it
then removes its link, and the program's open port sees the device vanish.

Options (each may also stand in a configuration file, see --config):
  --controller ID,BAUD[,key=value...]
        A controller on the line; repeat for more (at most 15). ID is A..O, BAUD is
        9600, 19200, 38400 or 57600. Keys:
          parity=N|O|E     its parity (default E); see "What a pseudo-terminal shows"
          emitters=N       emitter boards, 0..12, 64 channels each (default 1)
          receivers=N      receiver boards, 0..12 (default 1)
          blocked=C[-C2]   blocked beams, channels counted from 1; repeatable
          error=S:B:C      channel C (1..64) of board B in error on side S, e (emitter)
                           or r (receiver); repeatable
          part=N           part number (default 0)
          date=N           date code, 0..65535 (default 0)
          meas=XY          measurement modes 1 and 2 of its PSF, letters A..K (default
                           AE: first blocked beam and total blocked beams)
  --fault ID,KIND[,key=value...]
        A fault committed by every controller with that ID; repeatable. KIND:
          silence          the frames go unheard: no reply, no effect
          lateReply        the reply starts delay ms later than it would
          corruptChecksum  the checksum of a PSF or blanking reply is spoiled
          corruptByte      reply byte number offset is inverted
          wrongId          the reply carries another controller's ID
          wrongLetter      the reply letter has its case swapped
          wrongEnd         the reply ends with CR instead of LF
          shortReply       the last count bytes of the reply are left off
          extraBytes       the bytes are sent after the reply
          noise            the bytes are put on the line just before the reply
        Keys: frames=N or frames=always (how many frames it affects; default 1),
          delay=MS, offset=N (default 3), count=N (default 1), bytes=HEX (as 1C41).
  --object WIDTH,PERIOD_MS | none
        An object WIDTH channels wide that passes through every controller's curtain
        and back once every PERIOD_MS, so that beam scans and measurement values
        change; blocked beams stay blocked. Default 8,6000.
  --link PATH
        Makes PATH a symbolic link to the device while tarnsim runs (an old link to
        a device that is gone is replaced).
  --config FILE
        Takes options from FILE, one a line, written without the dashes:
          controller A,9600,emitters=2,receivers=2,blocked=10-12
          fault A,lateReply,delay=300,frames=always
          object 16,4000
        Blank lines are skipped; '#' starts a comment.
  --trace
        Writes every burst on the line to standard error: its start in seconds, the
        sender (host, noise or a controller's ID), the rate and the bytes.
  --help
        Shows this text.

Without --controller: controller A at 9600 with 2 emitter and 2 receiver boards, and
controller C at 38400 with one of each and receiver channel 17 of board 1 in error.

What a pseudo-terminal shows: the speed and stop bits the program set, which tarnsim
reads from the terminal settings. It always keeps 8 data bits without parity, and it
refuses DTR, RTS and break requests; the program treats a refused DTR or RTS as no error.
So tarnsim cannot see the program's parity: every controller hears the program whatever
its parity, and a controller's parity only shows in its PSF.
)";

CPtyServer* servedServer = nullptr;

void OnStopSignal(int) {
    servedServer->RequestStop();
}

void InstallStopSignals(CPtyServer& server) {
    servedServer = &server;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        sigaction(signal, &action, nullptr);
    }
    std::signal(SIGPIPE, SIG_IGN);
}

// Where link points, or empty when it is no symbolic link.
std::string LinkTarget(const std::string& link) {
    char target[PATH_MAX] = {};
    const ssize_t length = readlink(link.c_str(), target, sizeof target - 1);
    return length > 0 ? std::string(target, static_cast<size_t>(length)) : std::string();
}

// Makes link point to device. A link left behind to a device that is gone is replaced;
// anything else at that path stays. Answers 0 or errno.
int MakeLink(const std::string& link, const std::string& device) {
    struct stat info {};
    if (lstat(link.c_str(), &info) == 0) {
        const std::string old = LinkTarget(link);
        if (!S_ISLNK(info.st_mode) || access(old.c_str(), F_OK) == 0) {
            return EEXIST;
        }
        unlink(link.c_str());
    }
    return symlink(device.c_str(), link.c_str()) == 0 ? 0 : errno;
}

// Removes link if it still points to device.
void RemoveLink(const std::string& link, const std::string& device) {
    if (!link.empty() && LinkTarget(link) == device) {
        unlink(link.c_str());
    }
}

void PrintLine(const SimSetup& setup) {
    for (const SimControllerSetup& c : setup.controllers) {
        std::fprintf(stderr, "tarnsim: controller %c at %ld, %d emitter and %d receiver boards\n",
                     c.id, kControllerBaudRates[static_cast<size_t>(c.baudIndex)], c.emitterBoards,
                     c.receiverBoards);
    }
    if (setup.objectWidth > 0) {
        std::fprintf(stderr, "tarnsim: an object %d channels wide passes every %u ms\n",
                     setup.objectWidth, setup.objectPeriodMs);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    for (const std::string& argument : arguments) {
        if (argument == "--help" || argument == "-h") {
            std::fputs(kHelp, stdout);
            return 0;
        }
    }
    SimSetup setup;
    std::string error;
    if (!TakeSetupArguments(setup, arguments, error)) {
        std::fprintf(stderr, "tarnsim: %s\nTry tarnsim --help.\n", error.c_str());
        return 2;
    }
    if (setup.controllers.empty()) {
        AddDefaultControllers(setup);
    }
    CSimLine line;
    if (!BuildLine(setup, line, error)) {
        std::fprintf(stderr, "tarnsim: %s\n", error.c_str());
        return 2;
    }
    std::unique_ptr<CMovingObject> object;
    if (setup.objectWidth > 0) {
        object = std::make_unique<CMovingObject>(line, setup.objectWidth, setup.objectPeriodMs);
    }

    CPtyServer server(line, object.get());
    if (const int failure = server.Open(); failure != 0) {
        std::fprintf(stderr, "tarnsim: cannot open a pseudo-terminal: %s\n",
                     std::strerror(failure));
        return 1;
    }
    const std::string& device = server.DevicePath();
    if (!setup.link.empty()) {
        if (const int failure = MakeLink(setup.link, device); failure != 0) {
            std::fprintf(stderr, "tarnsim: cannot link %s to %s: %s\n", setup.link.c_str(),
                         device.c_str(), std::strerror(failure));
            return 1;
        }
    }
    std::printf("%s\n", device.c_str());
    std::fflush(stdout);
    PrintLine(setup);
    if (setup.trace) {
        server.SetTrace(stderr);
    }
    InstallStopSignals(server);
    const int failure = server.Serve();
    RemoveLink(setup.link, device);
    if (failure != 0) {
        std::fprintf(stderr, "tarnsim: the pseudo-terminal failed: %s\n", std::strerror(failure));
        return 1;
    }
    return 0;
}
