#include "CtlJson.h"

#include <cstdio>

std::string JsonString(const std::string& text) {
    std::string json = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
            json += escaped;
        } else {
            json += c;
        }
    }
    return json + "\"";
}

std::string JsonField(const std::string& name, const std::string& value) {
    return JsonString(name) + ": " + value;
}

void AppendSeparated(std::string& list, const std::string& separator, const std::string& item) {
    if (!list.empty()) {
        list += separator;
    }
    list += item;
}

namespace {

std::string Enclosed(char open, const std::vector<std::string>& items, char close) {
    std::string joined;
    for (const std::string& item : items) {
        AppendSeparated(joined, ", ", item);
    }
    std::string json(1, open);
    json += joined;
    json += close;
    return json;
}

}  // namespace

std::string JsonObject(const std::vector<std::string>& fields) {
    return Enclosed('{', fields, '}');
}

std::string JsonArray(const std::vector<std::string>& items) {
    return Enclosed('[', items, ']');
}
