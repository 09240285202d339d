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
constexpr std::string_view kBaudQuery = "?baud=";

// The number that is all of digits, or 0.
template <typename Number>
Number WholeNumber(std::string_view digits) {
    Number value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return error == std::errc{} && end == digits.data() + digits.size() ? value : 0;
}

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
        std::string_view rest = view.substr(scheme.prefix.size());
        long fixedBaud = CNetworkAddress::kDefaultFixedBaud;
        const size_t query = rest.find('?');
        if (query != std::string_view::npos) {
            if (rest.substr(query, kBaudQuery.size()) != kBaudQuery) {
                return 0;
            }
            fixedBaud = WholeNumber<long>(rest.substr(query + kBaudQuery.size()));
            if (fixedBaud <= 0 || fixedBaud > kMaxFixedBaud) {
                return 0;
            }
            rest = rest.substr(0, query);
        }
        const size_t colon = rest.rfind(':');
        if (colon == std::string_view::npos || colon == 0) {
            return 0;
        }
        std::string_view host = rest.substr(0, colon);
        if (host.front() == '[' && host.back() == ']') {
            host = host.substr(1, host.size() - 2);
        }
        const unsigned port = WholeNumber<unsigned>(rest.substr(colon + 1));
        if (host.empty() || port == 0 || port > kLastPort) {
            return 0;
        }
        *address = CNetworkAddress{scheme.kind, std::string(host), port, fixedBaud};
        return 1;
    }
    return 0;
}
