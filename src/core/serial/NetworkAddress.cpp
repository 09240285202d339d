#include "serial/NetworkAddress.h"

#include <charconv>
#include <string_view>

namespace {

struct Scheme {
    std::string_view prefix;
    CNetworkAddress::Kind kind;
};

constexpr Scheme kSchemes[] = {
    {"rfc2217://", CNetworkAddress::Kind::kRfc2217},
    {"tcp://", CNetworkAddress::Kind::kRawTcp},
};

constexpr unsigned kLastPort = 65535;

}  // namespace

std::string CNetworkAddress::HostAndPort() const {
    const bool bracket = host.find(':') != std::string::npos;
    return (bracket ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

int ParseNetworkAddress(const std::string& text, CNetworkAddress* address) {
    for (const Scheme& scheme : kSchemes) {
        const std::string_view view(text);
        if (view.substr(0, scheme.prefix.size()) != scheme.prefix) {
            continue;
        }
        const std::string_view rest = view.substr(scheme.prefix.size());
        const size_t colon = rest.rfind(':');
        if (colon == std::string_view::npos || colon == 0) {
            return 0;
        }
        std::string_view host = rest.substr(0, colon);
        if (host.front() == '[' && host.back() == ']') {
            host = host.substr(1, host.size() - 2);
        }
        const std::string_view digits = rest.substr(colon + 1);
        unsigned port = 0;
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), port);
        if (host.empty() || error != std::errc{} || end != digits.data() + digits.size() ||
            port == 0 || port > kLastPort) {
            return 0;
        }
        *address = CNetworkAddress{scheme.kind, std::string(host), port};
        return 1;
    }
    return 0;
}
