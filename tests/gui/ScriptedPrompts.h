#pragma once
// Operator prompts for tests: installed for the object's lifetime, they record every
// message box, file dialog and beep, and answer from a script. A message box with only
// OK needs no script; any other unscripted prompt fails the test.

#include <deque>
#include <string>
#include <vector>

#include "widgets/Prompts.h"

class CScriptedPrompts final : public CPrompts {
public:
    struct Message {
        QWidget* owner;
        std::string text;
        PromptIcon icon;
        PromptButtons buttons;
    };
    struct FileDialog {
        bool save;
        QWidget* owner;
        std::string defaultExtension;
        std::string filter;
    };

    CScriptedPrompts();
    ~CScriptedPrompts() override;
    CScriptedPrompts(const CScriptedPrompts&) = delete;
    CScriptedPrompts& operator=(const CScriptedPrompts&) = delete;

    // The answers of the next message boxes (kAnswerYes, kAnswerNo, ...), in order.
    void ScriptAnswers(std::vector<int> answers);
    // The answers of the next file dialogs, in order; an empty path is Cancel.
    void ScriptFiles(std::vector<std::string> paths);

    const std::vector<Message>& Messages() const { return messages; }
    std::vector<std::string> Texts() const;
    const std::vector<FileDialog>& FileDialogs() const { return fileDialogs; }
    int Beeps() const { return beeps; }

    int Message(QWidget* owner, const QString& text, PromptIcon icon,
                PromptButtons buttons) override;
    QString OpenFileName(QWidget* owner, const CFileDialogSpec& options) override;
    QString SaveFileName(QWidget* owner, const CFileDialogSpec& options,
                         const QString& suggestedName) override;
    void Beep() override { ++beeps; }

private:
    QString NextFile(bool save, QWidget* owner, const CFileDialogSpec& options);

    std::deque<int> answers;
    std::deque<std::string> files;
    std::vector<struct Message> messages;
    std::vector<FileDialog> fileDialogs;
    int beeps = 0;
};
