#include "settings/TextEncoding.h"

#include <cstdint>

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";
constexpr char32_t kReplacement = 0xFFFD;

bool StartsWith(std::string_view text, std::string_view start) {
    return text.substr(0, start.size()) == start;
}

void AppendUtf8(char32_t c, std::string* out) {
    if (c < 0x80) {
        out->push_back(static_cast<char>(c));
        return;
    }
    if (c < 0x800) {
        out->push_back(static_cast<char>(0xC0 | (c >> 6)));
    } else {
        if (c < 0x10000) {
            out->push_back(static_cast<char>(0xE0 | (c >> 12)));
        } else {
            out->push_back(static_cast<char>(0xF0 | (c >> 18)));
            out->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        }
        out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    }
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
}

// The code point at *at of a UTF-8 text, moving *at past it; U+FFFD for a malformed one.
char32_t NextUtf8(std::string_view text, size_t* at) {
    const auto lead = static_cast<unsigned char>(text[(*at)++]);
    const int more = lead < 0x80 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
    if (more < 0) {
        return kReplacement;
    }
    char32_t c = more == 0 ? lead : lead & (0x3F >> more);
    for (int i = 0; i < more; ++i) {
        if (*at >= text.size() || (static_cast<unsigned char>(text[*at]) & 0xC0) != 0x80) {
            return kReplacement;
        }
        c = (c << 6) | (static_cast<unsigned char>(text[(*at)++]) & 0x3F);
    }
    return c > 0x10FFFF || (c >= 0xD800 && c < 0xE000) ? kReplacement : c;
}

uint16_t Unit(std::string_view bytes, size_t at, bool bigEndian) {
    const auto first = static_cast<unsigned char>(bytes[at]);
    const auto second = static_cast<unsigned char>(bytes[at + 1]);
    return static_cast<uint16_t>(bigEndian ? first << 8 | second : second << 8 | first);
}

void AppendUnit(uint32_t unit, bool bigEndian, std::string* out) {
    const auto high = static_cast<char>(unit >> 8);
    const auto low = static_cast<char>(unit & 0xFF);
    out->push_back(bigEndian ? high : low);
    out->push_back(bigEndian ? low : high);
}

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
    std::string text;
    text.reserve(bytes.size() / 2 * 3 + 3);  // a unit takes up to three bytes in UTF-8
    size_t at = 0;
    for (; at + 1 < bytes.size(); at += 2) {
        const uint16_t unit = Unit(bytes, at, bigEndian);
        const bool high = unit >= 0xD800 && unit < 0xDC00;
        const uint16_t next = at + 3 < bytes.size() ? Unit(bytes, at + 2, bigEndian) : 0;
        if (high && next >= 0xDC00 && next < 0xE000) {
            AppendUtf8(0x10000 + ((unit - 0xD800u) << 10) + (next - 0xDC00u), &text);
            at += 2;
        } else {
            AppendUtf8(unit >= 0xD800 && unit < 0xE000 ? kReplacement : unit, &text);
        }
    }
    if (at < bytes.size()) {
        AppendUtf8(kReplacement, &text);
    }
    return text;
}

// Appends text as UTF-16 units to *bytes.
void AppendUtf16(std::string_view text, bool bigEndian, std::string* bytes) {
    bytes->reserve(bytes->size() + 2 * text.size());
    for (size_t at = 0; at < text.size();) {
        const char32_t c = NextUtf8(text, &at);
        if (c >= 0x10000) {
            AppendUnit(0xD800 + ((c - 0x10000) >> 10), bigEndian, bytes);
            AppendUnit(0xDC00 + ((c - 0x10000) & 0x3FF), bigEndian, bytes);
        } else {
            AppendUnit(c, bigEndian, bytes);
        }
    }
}

}  // namespace

TextEncoding DecodeText(std::string_view bytes, std::string* text) {
    if (StartsWith(bytes, kUtf16LeMark) || StartsWith(bytes, kUtf16BeMark)) {
        const bool bigEndian = StartsWith(bytes, kUtf16BeMark);
        *text = Utf16ToUtf8(bytes.substr(2), bigEndian);
        return bigEndian ? kUtf16Be : kUtf16Le;
    }
    const bool marked = StartsWith(bytes, kUtf8Mark);
    *text = std::string(bytes.substr(marked ? kUtf8Mark.size() : 0));
    return marked ? kUtf8WithMark : kUtf8;
}

size_t MarkSize(TextEncoding encoding) {
    switch (encoding) {
        case kUtf8WithMark:
            return kUtf8Mark.size();
        case kUtf16Le:
        case kUtf16Be:
            return kUtf16LeMark.size();
        case kUtf8:
            break;
    }
    return 0;
}

std::string EncodeText(std::string_view text, TextEncoding encoding) {
    std::string bytes;
    switch (encoding) {
        case kUtf8WithMark:
            bytes.reserve(kUtf8Mark.size() + text.size());
            bytes.append(kUtf8Mark).append(text);
            break;
        case kUtf16Le:
            bytes = kUtf16LeMark;
            AppendUtf16(text, false, &bytes);
            break;
        case kUtf16Be:
            bytes = kUtf16BeMark;
            AppendUtf16(text, true, &bytes);
            break;
        case kUtf8:
            bytes = text;
            break;
    }
    return bytes;
}

bool Carries(TextEncoding encoding, std::string_view text) {
    if (encoding == kUtf8 || encoding == kUtf8WithMark) {
        return true;
    }
    std::string back;
    DecodeText(EncodeText(text, encoding), &back);
    return back == text;
}
