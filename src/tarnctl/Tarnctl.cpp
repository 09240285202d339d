#include "Tarnctl.h"

#include <array>
#include <string_view>

#include "CtlCommands.h"
#include "CtlHelp.h"
#include "CtlOptions.h"

namespace {

struct CommandEntry {
    std::string_view name;
    int (*run)(const CtlContext&);
};

constexpr std::array<CommandEntry, 8> kCommandTable = {{
    {"search", SearchCommand},
    {"psf", PsfCommand},
    {"diag", DiagCommand},
    {"part-number", PartNumberCommand},
    {"blanking", BlankingCommand},
    {"scan", ScanCommand},
    {"backup", BackupCommand},
    {"restore", RestoreCommand},
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
        return entry.run(context);
    }
    context.Tell("unknown command '" + options.command + "'\n(tarnctl --help lists them)");
    return kExitUsage;
}
