#include "ScriptedPrompts.h"

#include <gtest/gtest.h>

CScriptedPrompts::CScriptedPrompts() {
    InstallPrompts(this);
}

CScriptedPrompts::~CScriptedPrompts() {
    InstallPrompts(nullptr);
}

void CScriptedPrompts::ScriptAnswers(std::vector<int> next) {
    answers.assign(next.begin(), next.end());
}

void CScriptedPrompts::ScriptFiles(std::vector<std::string> paths) {
    files.assign(paths.begin(), paths.end());
}

std::vector<std::string> CScriptedPrompts::Texts() const {
    std::vector<std::string> texts;
    for (const struct Message& message : messages) {
        texts.push_back(message.text);
    }
    return texts;
}

int CScriptedPrompts::Message(QWidget* owner, const QString& text, PromptIcon icon,
                              PromptButtons buttons) {
    messages.push_back({owner, text.toStdString(), icon, buttons});
    if (!answers.empty()) {
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    if (buttons != PromptButtons::kOk) {
        ADD_FAILURE() << "unscripted question: " << text.toStdString();
        return kAnswerCancel;
    }
    return kAnswerOk;
}

QString CScriptedPrompts::NextFile(bool save, QWidget* owner, const CFileDialogSpec& options) {
    fileDialogs.push_back({save, owner, options.defaultExtension, options.filter});
    if (files.empty()) {
        ADD_FAILURE() << "unscripted file dialog";
        return QString();
    }
    const std::string path = files.front();
    files.pop_front();
    return QString::fromStdString(path);
}

QString CScriptedPrompts::OpenFileName(QWidget* owner, const CFileDialogSpec& options) {
    return NextFile(false, owner, options);
}

QString CScriptedPrompts::SaveFileName(QWidget* owner, const CFileDialogSpec& options,
                                       const QString& /*suggestedName*/) {
    return NextFile(true, owner, options);
}
