#pragma once
// tarnctl as a function, so that tests run it in-process: the whole command line in,
// results on out, messages on err, the exit status back.

#include <ostream>

int RunTarnctl(int argc, const char* const* argv, std::ostream& out, std::ostream& err);
