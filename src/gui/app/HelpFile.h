#pragma once
// CHelpFile: whether the classic help file is at hand, and where Help Index finds it.
// The application checks for it once at start-up; the main window only reads the answer.

#include <QString>

class CHelpFile {
public:
    // Looks for "tarnhelp.hlp" in the current directory.
    void Check();
    // True when the last Check() could open "tarnhelp.hlp".
    bool Present() const { return present; }
    // The help file that Help Index opens: the executable's path with ".HLP".
    static QString Path();

private:
    bool present = false;
};
