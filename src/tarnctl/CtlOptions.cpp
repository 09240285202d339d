#include "CtlOptions.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "protocol/ControllerLink.h"
#include "protocol/ControllerTable.h"

namespace {

constexpr const char* kParityLetters = "EONMS";
constexpr int kMaxComPort = 256;

// A whole decimal number from first to last; -1 when text is not one.
long DecimalValue(const std::string& text) {
    if (text.empty() || text.size() > 9) {
        return -1;
    }
    for (const char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            return -1;
        }
    }
    return std::strtol(text.c_str(), nullptr, 10);
}

// Takes the value of an option that needs one: after '=' in the word (--port=COM2),
// else the next word; 0 with *error set when it is missing.
int TakeValue(int argc, const char* const* argv, int* i, const std::string* attached,
              std::string* value, std::string* error) {
    if (attached != nullptr) {
        *value = *attached;
        return 1;
    }
    if (*i + 1 >= argc) {
        *error = std::string("option ") + argv[*i] + " needs a value";
        return 0;
    }
    *value = argv[++*i];
    return 1;
}

int SetPort(const std::string& value, CtlOptions* options, std::string* error) {
    const bool prefixed =
        value.size() > 3 && (value.compare(0, 3, "COM") == 0 || value.compare(0, 3, "com") == 0);
    const long number = prefixed ? DecimalValue(value.substr(3)) : -1;
    if (number < 1 || number > kMaxComPort) {
        *error = "--port takes COMn, n from 1 to 256: '" + value + "'";
        return 0;
    }
    options->portIndex = static_cast<int>(number - 1);
    return 1;
}

int SetParity(const std::string& value, CtlOptions* options, std::string* error) {
    const char letter = value.size() == 1
                            ? static_cast<char>(std::toupper(static_cast<unsigned char>(value[0])))
                            : 0;
    if (letter == 0 || std::strchr(kParityLetters, letter) == nullptr) {
        *error = "--parity takes E, O, N, M or S: '" + value + "'";
        return 0;
    }
    options->parity = letter;
    return 1;
}

int SetCount(const std::string& value, CtlOptions* options, std::string* error) {
    const long count = DecimalValue(value);
    if (count < 1) {
        *error = "--count takes a number of scans from 1: '" + value + "'";
        return 0;
    }
    options->count = static_cast<int>(count);
    return 1;
}

int SetNewId(const std::string& value, CtlOptions* options, std::string* error) {
    const int id = value.size() == 1 ? std::toupper(static_cast<unsigned char>(value[0])) : 0;
    if (!IsControllerId(id)) {
        *error = "--id takes a controller ID from A to O: '" + value + "'";
        return 0;
    }
    options->newId = static_cast<char>(id);
    return 1;
}

int SetNewRate(const std::string& value, CtlOptions* options, std::string* error) {
    const long rate = DecimalValue(value);
    for (int index = 0; index < kSearchedBaudIndexes; ++index) {
        if (rate == CControllerLink::BaudRateOf(index)) {
            options->newBaudIndex = index;
            return 1;
        }
    }
    *error = "--rate takes 9600, 19200 or 38400: '" + value + "'";
    return 0;
}

// One option with its value, if any; 0 with *error set when it is unknown or wrong.
int TakeOption(int argc, const char* const* argv, int* i, CtlOptions* options, std::string* error) {
    const std::string word = argv[*i];
    const size_t equals = word.rfind("--", 0) == 0 ? word.find('=') : std::string::npos;
    const std::string name = word.substr(0, equals);
    const std::string attachedValue =
        equals == std::string::npos ? std::string() : word.substr(equals + 1);
    const std::string* attached = equals == std::string::npos ? nullptr : &attachedValue;
    const bool flag = name == "--json" || name == "--csv" || name == "-q" || name == "--quiet" ||
                      name == "-v" || name == "--verbose" || name == "-h" || name == "--help";
    if (flag && attached != nullptr) {
        *error = "option " + name + " takes no value";
        return 0;
    }
    if (name == "--json") {
        options->json = true;
    } else if (name == "--csv") {
        options->csv = true;
    } else if (name == "-q" || name == "--quiet") {
        options->quiet = true;
    } else if (name == "-v" || name == "--verbose") {
        options->verbose = true;
    } else if (name == "-h" || name == "--help") {
        options->help = true;
    } else {
        std::string value;
        if (name != "--port" && name != "--device" && name != "--parity" && name != "-o" &&
            name != "--output" && name != "--count" && name != "--date-code" && name != "--id" &&
            name != "--rate") {
            *error = "unknown option " + name;
            return 0;
        }
        if (!TakeValue(argc, argv, i, attached, &value, error)) {
            return 0;
        }
        if (name == "--port") {
            return SetPort(value, options, error);
        }
        if (name == "--parity") {
            return SetParity(value, options, error);
        }
        if (name == "--count") {
            return SetCount(value, options, error);
        }
        if (name == "--id") {
            return SetNewId(value, options, error);
        }
        if (name == "--rate") {
            return SetNewRate(value, options, error);
        }
        (name == "--device"      ? options->device
         : name == "--date-code" ? options->dateCode
                                 : options->output) = value;
    }
    return 1;
}

}  // namespace

int ParseOptions(int argc, const char* const* argv, CtlOptions* options, std::string* error) {
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word.size() > 1 && word[0] == '-') {
            if (!TakeOption(argc, argv, &i, options, error)) {
                return 0;
            }
        } else if (options->command.empty()) {
            options->command = word;
        } else {
            options->operands.push_back(word);
        }
    }
    return 1;
}

int ParseTarget(const std::string& text, CtlTarget* target) {
    const size_t at = text.find('@');
    if (at != 1) {
        return 0;
    }
    const int id = std::toupper(static_cast<unsigned char>(text[0]));
    const long rate = DecimalValue(text.substr(2));
    for (int index = 0; index < kSearchedBaudIndexes; ++index) {
        if (IsControllerId(id) && rate == CControllerLink::BaudRateOf(index)) {
            *target = {static_cast<char>(id), index};
            return 1;
        }
    }
    return 0;
}

std::string TargetText(const CtlTarget& target) {
    return std::string(1, target.id) + "@" +
           std::to_string(CControllerLink::BaudRateOf(target.baudIndex));
}
