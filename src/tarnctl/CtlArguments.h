#pragma once
// The command line as UTF-8, whatever the platform hands main: Windows passes main its
// arguments in the ANSI code page, which cannot carry every file name, so there they are
// taken from the wide command line instead (CtlArguments_win32.cpp).

#include <string>
#include <vector>

std::vector<std::string> Utf8Arguments(int argc, char** argv);
