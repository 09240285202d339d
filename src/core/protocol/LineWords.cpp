#include "protocol/LineWords.h"

#include <cstdio>

#include "protocol/ControllerTable.h"

namespace {

// %c stands for the addressed controller's ID.
struct CommandWords {
    unsigned char letter;
    const char* words;
    const char* broadcast;  // the words of the broadcast form; nullptr when there is none
};

constexpr CommandWords kCommandWords[] = {
    {'P', "Ping %c", nullptr},
    {'G', "Upload PSF from %c", nullptr},
    {'C', "Send PSF to %c", nullptr},
    {'A', "Read null/span of %c", nullptr},
    {'n', "Send nulls to %c", nullptr},
    {'s', "Send spans to %c", nullptr},
    {'E', "End null/span of %c, keep it", nullptr},
    {'Q', "End null/span of %c, discard it", nullptr},
    {'I', "Read emitter diagnostics of %c", nullptr},
    {'J', "Read receiver diagnostics of %c", nullptr},
    {'S', "Scan %c", nullptr},
    {'a', "Enter alignment mode on %c", nullptr},
    {'x', "Exit alignment mode on %c", nullptr},
    {'b', "Upload blanking fields from %c", nullptr},
    {'B', "Download blanking fields to %c", nullptr},
    {'W', "Set part number of %c", nullptr},
    {'V', "Suspend %c", "Suspend all (broadcast)"},
    {'v', "Resume %c", "Resume all (broadcast)"},
};

constexpr char kHexDigits[] = "0123456789ABCDEF";

std::string VerdictWords(const CLineExchange& exchange) {
    switch (exchange.verdict) {
        case LineVerdict::kAnswered:
            return "answered";
        case LineVerdict::kSent:
            return "sent, no reply expected";
        case LineVerdict::kNotSent:
            return "not sent: the write did not complete";
        case LineVerdict::kNoAnswer:
            return "no answer within the limit";
        case LineVerdict::kShort: {
            char text[64];
            std::snprintf(text, sizeof text, "short, %u of %u bytes",
                          static_cast<unsigned>(exchange.reply.size()), exchange.expected);
            return text;
        }
        case LineVerdict::kOutOfStep:
            return "out of step, line drained";
        case LineVerdict::kChecksumWrong:
            return "checksum wrong";
        case LineVerdict::kWrongReply:
            return "wrong ID or letter in the reply";
        case LineVerdict::kUnreadable:
            return "refused: not a reply the command can read";
    }
    return "";
}

}  // namespace

std::string DescribeRequest(const unsigned char* request, size_t length) {
    if (length < 3) {
        return "Incomplete request";
    }
    const char id = static_cast<char>(request[1]);
    char text[64];
    for (const CommandWords& entry : kCommandWords) {
        if (entry.letter == request[2]) {
            if (id == kBroadcastId && entry.broadcast != nullptr) {
                return entry.broadcast;
            }
            std::snprintf(text, sizeof text, entry.words, id);
            return text;
        }
    }
    std::snprintf(text, sizeof text, "Command 0x%02X to %c", request[2], id);
    return text;
}

std::string HexBytes(const unsigned char* bytes, size_t length) {
    std::string text;
    text.reserve(length * 3);
    for (size_t i = 0; i < length; ++i) {
        if (i > 0) {
            text += ' ';
        }
        text += kHexDigits[bytes[i] >> 4];
        text += kHexDigits[bytes[i] & 0x0F];
    }
    return text;
}

std::string DescribeVerdict(const CLineExchange& exchange) {
    return VerdictWords(exchange) +
           (exchange.inputLost ? "; input lost: more came than the port keeps, or the device "
                                 "server sent an overlong command, dropped"
                               : "");
}
