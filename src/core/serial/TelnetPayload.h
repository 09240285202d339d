#pragma once
// The payload of a Telnet subnegotiation as the decoder keeps it: in the command itself,
// at most kMaxPayload bytes, so that decoding a command never allocates.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>

// The bytes between IAC SB option and IAC SE, IACs undoubled.
class CTelnetPayload {
public:
    // The longest payload kept; the COM port answers carry at most five bytes.
    static constexpr size_t kMaxPayload = 64;

    CTelnetPayload() : bytes{} {}
    // A copy takes only the bytes in use: most commands carry none.
    CTelnetPayload(const CTelnetPayload& other) : count(other.count) {
        std::copy(other.begin(), other.end(), bytes.begin());
    }
    CTelnetPayload& operator=(const CTelnetPayload& other) {
        count = other.count;
        std::copy(other.begin(), other.end(), bytes.begin());
        return *this;
    }

    const unsigned char* data() const { return bytes.data(); }
    size_t size() const { return count; }
    bool empty() const { return count == 0; }
    const unsigned char* begin() const { return data(); }
    const unsigned char* end() const { return data() + count; }
    unsigned char operator[](size_t i) const { return bytes[i]; }

    void clear() { count = 0; }
    // Appends the bytes [from, to) as far as kMaxPayload allows; answers whether all fit.
    bool Append(const unsigned char* from, const unsigned char* to) {
        const auto wanted = static_cast<size_t>(to - from);
        const size_t room = kMaxPayload - count;
        const size_t taken = wanted < room ? wanted : room;
        std::memcpy(bytes.data() + count, from, taken);
        count = static_cast<unsigned char>(count + taken);
        return taken == wanted;
    }

    bool operator==(const CTelnetPayload& other) const {
        return std::equal(begin(), end(), other.begin(), other.end());
    }

private:
    unsigned char count = 0;
    std::array<unsigned char, kMaxPayload> bytes;  // only the first count are read
};
