#include "sequences/PartNumberWrite.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "protocol/ControllerLink.h"

namespace {

constexpr const char* kNoPartNumber =
    "No part number is selected.\nPart Number and Date Code were not set.";
constexpr const char* kNotSixCharacters =
    "Part number '%s' must be six characters.\nPart Number and Date Code were not set.";
constexpr const char* kNotDecimal =
    "Part number '%s' is not a decimal number.\nPart Number and Date Code were not set.";
constexpr const char* kBadDateCode =
    "Date code '%s' is not four digits YYWW with a week from 01 to 53.\n"
    "Part Number and Date Code were not set.";
constexpr size_t kDateCodeLength = 4;
constexpr int kLastWeek = 53;

bool IsDecimal(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string Format(const char* format, const std::string& value) {
    std::string text(std::char_traits<char>::length(format) + value.size(), '\0');
    text.resize(
        static_cast<size_t>(std::snprintf(text.data(), text.size() + 1, format, value.c_str())));
    return text;
}

}  // namespace

// The list of the dialog offers only six characters; a typed part number must keep to
// the same rule.
std::string PartNumberRefusal(const std::string& partNumber) {
    if (partNumber.empty()) {
        return kNoPartNumber;
    }
    if (!IsDecimal(partNumber)) {
        return Format(kNotDecimal, partNumber);
    }
    if (partNumber.size() != static_cast<size_t>(kPartNumberLength)) {
        return Format(kNotSixCharacters, partNumber);
    }
    return {};
}

std::string DateCodeRefusal(const std::string& dateCode) {
    if (dateCode.size() != kDateCodeLength || !IsDecimal(dateCode)) {
        return Format(kBadDateCode, dateCode);
    }
    const int week = std::atoi(dateCode.c_str() + 2);
    return week >= 1 && week <= kLastWeek ? std::string() : Format(kBadDateCode, dateCode);
}

int WritePartNumber(CControllerLink& link, const std::string& partNumber,
                    const std::string& dateCode) {
    return link.OutputPartNumber(
        static_cast<uint32_t>(std::strtoul(partNumber.c_str(), nullptr, 10)),
        static_cast<uint16_t>(std::atoi(dateCode.c_str())));
}
