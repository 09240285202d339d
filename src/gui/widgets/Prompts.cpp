#include "widgets/Prompts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QStringList>

#include "widgets/AppTitle.h"

namespace {

QMessageBox::Icon QtIcon(PromptIcon icon) {
    switch (icon) {
        case PromptIcon::kExclamation:
            return QMessageBox::Warning;
        case PromptIcon::kStop:
            return QMessageBox::Critical;
        case PromptIcon::kQuestion:
            return QMessageBox::Question;
        case PromptIcon::kInformation:
            return QMessageBox::Information;
        case PromptIcon::kNone:
            break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons QtButtons(PromptButtons buttons) {
    switch (buttons) {
        case PromptButtons::kOkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case PromptButtons::kYesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case PromptButtons::kYesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case PromptButtons::kOk:
            break;
    }
    return QMessageBox::Ok;
}

int AnswerOf(int button) {
    switch (button) {
        case QMessageBox::Yes:
            return kAnswerYes;
        case QMessageBox::No:
            return kAnswerNo;
        case QMessageBox::Cancel:
            return kAnswerCancel;
        default:
            return kAnswerOk;
    }
}

// A message box. Qt lets Esc and the close box answer No when there is no Cancel; a
// question of Yes and No alone takes neither, so that it is never answered by accident.
class CMessageBox final : public QMessageBox {
public:
    CMessageBox(PromptIcon icon, const QString& text, PromptButtons buttons, QWidget* owner)
        : QMessageBox(QtIcon(icon), QString::fromLatin1(kAppTitle), text, QtButtons(buttons),
                      owner),
          buttonsOnly(buttons == PromptButtons::kYesNo) {}

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (buttonsOnly && event->matches(QKeySequence::Cancel)) {
            event->accept();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override {
        if (buttonsOnly) {
            event->ignore();
            return;
        }
        QMessageBox::closeEvent(event);
    }

private:
    bool buttonsOnly;
};

class CQtPrompts final : public CPrompts {
public:
    int Message(QWidget* owner, const QString& text, PromptIcon icon,
                PromptButtons buttons) override {
        CMessageBox box(icon, text, buttons, owner);
        return AnswerOf(box.exec());
    }

    QString OpenFileName(QWidget* owner, const CFileDialogSpec& options) override {
        QFileDialog dialog(owner, QString(), QString(), QtFileFilter(options.filter));
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        return Run(dialog, options);
    }

    QString SaveFileName(QWidget* owner, const CFileDialogSpec& options,
                         const QString& suggestedName) override {
        QFileDialog dialog(owner, QString(), QString(), QtFileFilter(options.filter));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        if (!suggestedName.isEmpty()) {
            dialog.selectFile(suggestedName);
        }
        return Run(dialog, options);
    }

    void Beep() override { QApplication::beep(); }

private:
    static QString Run(QFileDialog& dialog, const CFileDialogSpec& options) {
        dialog.setDefaultSuffix(QString::fromLatin1(options.defaultExtension));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
            return QString();
        }
        return dialog.selectedFiles().constFirst();
    }
};

CQtPrompts& QtPrompts() {
    static CQtPrompts prompts;
    return prompts;
}

CPrompts*& Installed() {
    static CPrompts* prompts = nullptr;
    return prompts;
}

}  // namespace

CPrompts& Prompts() {
    return Installed() != nullptr ? *Installed() : QtPrompts();
}

void InstallPrompts(CPrompts* prompts) {
    Installed() = prompts;
}

QString QtFileFilter(const char* classicFilter) {
    const QStringList parts = QString::fromLatin1(classicFilter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        // Qt separates the patterns of one filter by blanks, the classic form by ';'.
        const QString pattern = parts[i + 1].trimmed().replace(QLatin1Char(';'), QLatin1Char(' '));
        if (description.isEmpty()) {
            continue;
        }
        filters << (description.contains(QLatin1Char('(')) || pattern.isEmpty()
                        ? description
                        : description + QStringLiteral(" (") + pattern + QLatin1Char(')'));
    }
    return filters.join(QStringLiteral(";;"));
}
