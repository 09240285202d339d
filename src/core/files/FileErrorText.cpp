#include "files/FileErrorText.h"

#include <cerrno>
#include <cstring>

std::string FileErrorText(int errorNumber) {
    if (errorNumber == EBUSY) {
        return "The file is in use by another program.";
    }
    return errorNumber != 0 ? std::strerror(errorNumber) : "The operation failed.";
}
