#include "Tarnctl.h"

#include <array>
#include <string>
#include <string_view>

#include "CtlCommands.h"
#include "CtlHelp.h"
#include "CtlOptions.h"
#include "CtlStop.h"

namespace {

struct CommandEntry {
    std::string_view name;
    int (*run)(const CtlContext&);
    bool json;  // prints JSON with --json
};

constexpr std::array<CommandEntry, 8> kCommandTable = {{
    {"search", SearchCommand, true},
    {"psf", PsfCommand, true},
    {"diag", DiagCommand, true},
    {"part-number", PartNumberCommand, false},
    {"blanking", BlankingCommand, false},
    {"scan", ScanCommand, false},
    {"backup", BackupCommand, true},
    {"restore", RestoreCommand, false},
}};

}  // namespace

int RunTarnctl(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    CtlOptions options;
    std::string error;
    const int parsed = ParseOptions(argc, argv, &options, &error);
    const CtlContext context{options, out, err};
    if (!parsed) {
        context.Tell(error + "\n(tarnctl --help tells more)");
        return kExitUsage;
    }
    if (options.command.empty()) {
        (options.help ? out : err) << GeneralHelp();
        return options.help ? kExitOk : kExitUsage;
    }
    for (const CommandEntry& entry : kCommandTable) {
        if (entry.name != options.command) {
            continue;
        }
        if (options.help) {
            const CtlCommandHelp* help = CommandHelp(entry.name);
            out << "usage: " << help->usage << "\n\n" << help->text << "\n";
            return kExitOk;
        }
        if (options.json && !entry.json) {
            context.Tell(std::string(entry.name) + " has no JSON output; leave out --json");
            return kExitUsage;
        }
        const int status = entry.run(context);
        // A command that was asked to stop has not done all it was asked for, even when
        // the stop came too late to leave anything out: a script must not take it for
        // success.
        if (status == kExitOk && StopRequested()) {
            context.Tell(std::string(entry.name) + ": " + StopText());
            return kExitRefused;
        }
        return status;
    }
    context.Tell("unknown command '" + options.command + "'\n(tarnctl --help lists them)");
    return kExitUsage;
}
