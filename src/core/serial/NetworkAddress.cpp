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

const Scheme* SchemeOf(std::string_view text) {
    for (const Scheme& scheme : kSchemes) {
        if (text.substr(0, scheme.prefix.size()) == scheme.prefix) {
            return &scheme;
        }
    }
    return nullptr;
}

// The length of "user:password@" at the start of what follows the scheme, 0 without.
size_t UserInfoEnd(std::string_view rest) {
    const size_t at = rest.substr(0, rest.find_first_of("/?")).rfind('@');
    return at == std::string_view::npos ? 0 : at + 1;
}

}  // namespace

std::string CNetworkAddress::HostAndPort() const {
    const bool bracket = host.find(':') != std::string::npos;
    return (bracket ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

int ParseNetworkAddress(const std::string& text, CNetworkAddress* address) {
    const Scheme* scheme = SchemeOf(text);
    if (scheme == nullptr) {
        return 0;
    }
    std::string_view rest = std::string_view(text).substr(scheme->prefix.size());
    if (UserInfoEnd(rest) != 0) {
        return 0;
    }
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
    *address = CNetworkAddress{scheme->kind, std::string(host), port, fixedBaud};
    return 1;
}

std::string NetworkAddressRefusal(const std::string& text) {
    const Scheme* scheme = SchemeOf(text);
    CNetworkAddress address;
    if (scheme == nullptr || ParseNetworkAddress(text, &address) != 0) {
        return {};
    }
    const std::string form = std::string(scheme->prefix) + "host:port";
    if (UserInfoEnd(std::string_view(text).substr(scheme->prefix.size())) != 0) {
        return "carries a user name or password, which a device server does not take; the "
               "form is " +
               form;
    }
    return "is not an address of the form " + form;
}

std::string ShownAddress(const std::string& text) {
    const Scheme* scheme = SchemeOf(text);
    if (scheme == nullptr) {
        return text;
    }
    const size_t skip = UserInfoEnd(std::string_view(text).substr(scheme->prefix.size()));
    return std::string(scheme->prefix) + text.substr(scheme->prefix.size() + skip);
}
