#include "CtlHelp.h"

#include <array>

namespace {

constexpr std::string_view kGeneral =
    R"(usage: tarnctl [OPTIONS] COMMAND [OPERANDS]

The controllers of a measuring light curtain from the command line. A controller is
addressed as ID@RATE: its ID letter (A to O) and baud rate (9600, 19200 or 38400), such
as C@19200. Every command suspends every controller on the line before its exchanges
and resumes them after, also when it fails or Ctrl+C, SIGTERM or SIGHUP stops it; a
stopped command exits with status 1.

commands:
  search                          find every controller on the line
  psf get ID@RATE [-o FILE.PSF]   read a controller's PSF
  psf put ID@RATE FILE.PSF [--id X] [--rate R]
                                  send a PSF file to a controller
  psf show FILE.PSF               a PSF file in words
  psf diff A B                    the fields in which two PSFs differ
  diag ID@RATE                    emitter and receiver diagnostics
  part-number ID@RATE NUMBER      write a part number and date code
  blanking get ID@RATE -o FILE.BFS
  blanking put ID@RATE FILE.BFS   read or write a controller's blanking map
  scan ID@RATE [--count N]        measurement readings, a line per scan
  backup DIR                      every controller's PSF, blanking and diagnostics
  restore DIR                     put a backup's PSFs and blanking maps back

options of every command (--opt=value works as well as --opt value):
  --port COMn      the COM port (default: the settings file's, else COM2)
  --device PATH    open this serial device instead of the COM port's, or a device
                   server: rfc2217://HOST:PORT, tcp://HOST:PORT?baud=N (one rate)
  --parity E|O|N|M|S   the line's parity (default: the settings file's, else E)
  --json           results as JSON (search, psf get/show/diff, diag, backup's files)
  -q, --quiet      no result lines, only errors
  -v, --verbose    print every frame on standard error ("> " sent, "< " received)
  -h, --help       this text; tarnctl COMMAND --help tells about one command

The settings file is the program's own (its "Ports" section maps COM ports to devices;
TARN_SETTINGS names another file).

exit status: 0 success, 1 a controller refused or did not answer (or a file could not
be used), 2 usage error, 3 the port could not be opened, the connection to a device
server was lost, or the server did not change the line's rate.
)";

constexpr std::array<CtlCommandHelp, 8> kCommands = {{
    {"search", "tarnctl search [--json]",
     R"(Suspends every controller on the line, asks every ID at every rate (about ten
seconds), resumes them and prints one line per controller found: ID@RATE. With --json,
a list of {"id", "rate"}.)"},
    {"psf", "tarnctl psf get|put|show|diff ...",
     R"(psf get ID@RATE [-o FILE.PSF] [--json]
    Reads the controller's PSF. With -o it is saved as a PSF file; else it is printed
    in words, or as JSON.
psf put ID@RATE FILE.PSF [--id X] [--rate R]
    Sends the PSF of the file. As when a file is loaded into the PSF dialog of a
    selected controller, the controller keeps its ID and rate; every other setting is
    the file's. --id X gives the controller the new ID X, which no other controller may
    answer to; --rate R the new rate R. The controller is followed to its new ID and
    rate, and the message says where it is.
psf show FILE.PSF [--json]
    The PSF of the file in words.
psf diff A B [--json]
    A and B are PSF files or controller addresses ID@RATE: prints the fields that
    differ. Exit status 0 when the PSFs are the same, 1 when they differ, 2 when
    one of them could not be had.)"},
    {"diag", "tarnctl diag ID@RATE [--json]",
     R"(Reads the emitter's and the receiver's diagnostics and prints the system state,
part number, date code, version and the first channel in error of every board.)"},
    {"part-number", "tarnctl part-number ID@RATE NUMBER [--date-code YYWW]",
     R"(Writes the part number, six decimal digits, and the date code into the
controller. The date code is the year and week of today unless --date-code is given.)"},
    {"blanking", "tarnctl blanking get ID@RATE -o FILE.BFS | put ID@RATE FILE.BFS",
     R"(get saves the controller's blanked channels as a BFS file; put sends a BFS file's
blanking to the controller. Both run as the alignment command does: the controller must
be Operational and is put in alignment mode for the transfer. A file that blanks channels
the controller does not have is refused.)"},
    {"scan", "tarnctl scan ID@RATE [--count N] [--csv]",
     R"(Prints the controller's measurement values, a line per scan, N scans (default 1),
after a header line naming the measurement modes of its PSF. --csv separates the values
by commas. Ctrl+C ends the scans early.)"},
    {"backup", "tarnctl backup DIR [--json]",
     R"(Searches the line, then saves every controller's PSF (ID@RATE.PSF), blanking map
(ID@RATE.bfs) and diagnostics (ID@RATE.diag.txt), and lists the controllers and their
files, each with its length and CRC-32, in summary.txt. The backup is made in
DIR.tarnctl-partial and replaces DIR as a whole only once every controller found was
saved completely; DIR must be new, empty or a backup. Exit status 1, with DIR left as it
was, when no controller answered, anything could not be saved, or the backup was
stopped; what was saved is then left in DIR.tarnctl-partial. Exit status 3, with DIR
left as it was, when the connection to a device server was lost or it did not set every
rate.)"},
    {"restore", "tarnctl restore DIR",
     R"(Sends the PSF and the blanking map that DIR/summary.txt lists of each controller
back to that controller, at the ID and rate it had at the backup. The summary and every
file it lists are checked (present, a regular file, length and checksum, a PSF for that
controller's ID and rate) before anything is sent; a controller whose map needs channels
it lacks, or that is not Operational, is refused before its PSF. A stop falls between
controllers, never between a controller's PSF and its map. Exit status 1 with the
controller and the reason on any refusal; 3 when a controller's rate was not set by the
device server (that controller is passed over) or the connection was lost.)"},
}};

}  // namespace

std::string_view GeneralHelp() {
    return kGeneral;
}

const CtlCommandHelp* CommandHelp(std::string_view command) {
    for (const CtlCommandHelp& help : kCommands) {
        if (help.name == command) {
            return &help;
        }
    }
    return nullptr;
}
