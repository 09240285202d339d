#include "CtlLine.h"

#include "CtlVerbose.h"
#include "sequences/LostConnection.h"
#include "sequences/ServiceBracket.h"
#include "serial/NetworkAddress.h"
#include "settings/ConnectionSettings.h"
#include "settings/PortFactory.h"
#include "settings/SettingsPath.h"

namespace {
constexpr const char* kProgram = "tarnctl: ";
}

void CtlContext::Tell(const std::string& text) const {
    err << kProgram << text << '\n';
}

void CtlContext::Say(const std::string& text) const {
    if (!options.quiet) {
        out << text << '\n';
    }
}

std::unique_ptr<RS232> CCtlLine::OpenLinePort(const CtlContext& context, long baud,
                                              std::string* name) {
    const CtlOptions& options = context.options;
    const ConnectionChoice choice = ReadConnectionChoice(CSettingsFile(SettingsFilePath()));
    const int portIndex = options.portIndex >= 0 ? options.portIndex : choice.portIndex;
    const char parity = options.parity != 0 ? options.parity : choice.parity;
    *name = options.device.empty() ? "COM" + std::to_string(portIndex + 1)
                                   : ShownAddress(options.device);
    return options.device.empty() ? OpenPort(portIndex, baud, parity)
                                  : OpenSerialDevice(portIndex, baud, parity, options.device);
}

int CCtlLine::Open(const CtlContext& context, int baudIndex, char id) {
    std::string name;
    std::unique_ptr<RS232> port =
        OpenLinePort(context, CControllerLink::BaudRateOf(baudIndex), &name);
    if (port->Status() != kSuccess) {
        // The program's own message, with the device named when it was given.
        context.Tell("Unable to open " + name + ":\n" + port->StatusText(port->Status()));
        return 0;
    }
    if (context.options.verbose) {
        verbose = std::make_unique<CCtlVerbose>(context.err);
    }
    link = std::make_unique<CControllerLink>(std::move(port), id);
    link->SetControllerTable(&table);
    link->SetPortReopener([&context](long baud) {
        std::string unused;
        return OpenLinePort(context, baud, &unused);
    });
    return 1;
}

bool CCtlLine::Lost() {
    return link != nullptr &&
           (link->Port().Status() == kDeviceGone || !link->MendedLossText().empty());
}

int CCtlLine::Outcome(const CtlContext& context, int status) {
    if (!Lost()) {
        return status;
    }
    context.Tell(LostConnectionText(*link));
    if (!ResumeAfterLostConnection(*link)) {
        context.Tell(kMayStaySuspended);
    }
    return kExitPort;
}

int CCtlLine::Select(const CtlContext& context, const CtlTarget& target) {
    table[0] = {target.id, target.baudIndex, kFoundMarker, 0};
    StoreControllerEntry(table, target.id, target.baudIndex, kFoundMarker);
    link->SetId(target.id);
    const int refused =
        link->Port().Configure(CControllerLink::BaudRateOf(target.baudIndex), -1, -1, -1);
    if (refused != 0) {
        context.Tell(TargetText(target) + ": " + link->Port().StatusText(refused));
        return 0;
    }
    return 1;
}

int CCtlLine::Held(PortFlush flush, const std::function<int()>& session) {
    const CLineHold hold(*link, table, LineKnown::kNo, flush);
    return session();
}

int OpenForTarget(const CtlContext& context, const CtlTarget& target, CCtlLine& line) {
    if (!line.Open(context, target.baudIndex, target.id)) {
        return 0;
    }
    return line.Select(context, target);
}

std::vector<CtlTarget> FoundControllers(const ControllerTable& table) {
    std::vector<CtlTarget> found;
    for (char id = kFirstId; id <= kLastId; ++id) {
        for (int baud = 0; baud < kSearchedBaudIndexes; ++baud) {
            if (table[static_cast<size_t>(id - '@')][static_cast<size_t>(baud)] != 0) {
                found.push_back({id, baud});
            }
        }
    }
    return found;
}
