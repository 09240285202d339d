#pragma once
// The words for the errno value a failed file operation left: a file that another program
// kept in use says so (the system's own text for that value is cryptic on some platforms),
// any other value gets the system's text, and a failure without one still gets words.

#include <string>

std::string FileErrorText(int errorNumber);
