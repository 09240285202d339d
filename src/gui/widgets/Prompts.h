#pragma once
// The operator prompts: every message box, file dialog and beep of the program goes
// through the installed CPrompts, so that tests can answer them from a script and read
// back every text shown. The program's own implementation shows Qt dialogs; every
// message box carries the caption kAppTitle.

#include <QString>

class QWidget;

enum class PromptIcon { kNone, kExclamation, kStop, kQuestion, kInformation };
// A question of Yes and No alone is answered only by its buttons, never by Esc or the
// close box.
enum class PromptButtons { kOk, kOkCancel, kYesNo, kYesNoCancel };

// The button that ended a message box, numbered as the classic dialog results.
enum PromptAnswer : int { kAnswerOk = 1, kAnswerCancel = 2, kAnswerYes = 6, kAnswerNo = 7 };

// A file dialog's settings. filter is written the classic way, pairs of description and
// pattern separated by '|' and ended by "||", e.g. "PSF Files (*.PSF) |*.PSF||".
struct CFileDialogSpec {
    const char* defaultExtension = "";  // appended when the operator types a bare name
    const char* filter = "";
};

class CPrompts {
public:
    virtual ~CPrompts() = default;
    // Shows text in a modal message box over owner; answers the button pressed.
    virtual int Message(QWidget* owner, const QString& text, PromptIcon icon,
                        PromptButtons buttons) = 0;
    // Asks for an existing file to read; an empty answer means the operator cancelled.
    virtual QString OpenFileName(QWidget* owner, const CFileDialogSpec& options) = 0;
    // Asks for a file to write, confirming before an existing file is replaced, with the
    // name suggested (if any) filled in; an empty answer means the operator cancelled.
    virtual QString SaveFileName(QWidget* owner, const CFileDialogSpec& options,
                                 const QString& suggestedName = QString()) = 0;
    // The exclamation beep.
    virtual void Beep() = 0;
};

// The prompts in use: the Qt dialogs unless a test installed others.
CPrompts& Prompts();
// Installs prompts (not owned) for the whole process; nullptr restores the Qt dialogs.
void InstallPrompts(CPrompts* prompts);

// The Qt file dialog filter for a classic one: "PSF Files (*.PSF) |*.PSF||" becomes
// "PSF Files (*.PSF)"; a description without its pattern in brackets gets it appended.
QString QtFileFilter(const char* classicFilter);
