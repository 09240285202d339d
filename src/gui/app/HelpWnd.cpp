#include "app/HelpWnd.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QUrl>
#include <QVBoxLayout>

#include "widgets/AppTitle.h"
#include "widgets/ScreenFit.h"

namespace {

constexpr const char* kGuideFolders[] = {"../share/doc/tarn", "doc"};
constexpr char kGuideName[] = "user-guide.md";

QString& ProgramFolderOverride() {
    static QString folder;
    return folder;
}

// A heading's anchor as Markdown renderers make it: lower case, spaces as hyphens, other
// punctuation left out.
QString Slug(const QString& heading) {
    QString slug;
    for (const QChar c : heading.toLower()) {
        if (c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_')) {
            slug += c;
        } else if (c == QLatin1Char(' ')) {
            slug += QLatin1Char('-');
        }
    }
    return slug;
}

}  // namespace

CHelpWnd::CHelpWnd(QWidget* parent, const QString& path)
    : QWidget(parent, Qt::Window), browser(new QTextBrowser(this)), findText(new QLineEdit(this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(QStringLiteral("User Guide - ") + QString::fromLatin1(kAppTitle));
    browser->setObjectName(QStringLiteral("guide"));
    // Links are followed here, so that a jump within the guide never reloads it.
    browser->setOpenLinks(false);
    connect(browser, &QTextBrowser::anchorClicked, this, &CHelpWnd::FollowLink);
    browser->setSearchPaths({QFileInfo(path).absolutePath()});
    browser->setSource(QUrl::fromLocalFile(path), QTextDocument::MarkdownResource);
    AnchorHeadings();

    findText->setObjectName(QStringLiteral("findText"));
    findText->setPlaceholderText(QStringLiteral("Find (Ctrl+F), Enter for the next"));
    auto* findRow = new QHBoxLayout;
    findRow->addWidget(new QLabel(QStringLiteral("Find:"), this));
    findRow->addWidget(findText, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(findRow);
    layout->addWidget(browser, 1);

    connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, this, [this] {
        findText->setFocus();
        findText->selectAll();
    });
    connect(findText, &QLineEdit::returnPressed, this, [this] { Find(findText->text()); });
    resize(800, 700);
    FitOnScreen(*this);
}

void CHelpWnd::SetProgramFolder(const QString& folder) {
    ProgramFolderOverride() = folder;
}

QString CHelpWnd::UserGuidePath() {
    const QDir program(ProgramFolderOverride().isEmpty() ? QCoreApplication::applicationDirPath()
                                                         : ProgramFolderOverride());
    for (const char* folder : kGuideFolders) {
        const QString path =
            program.filePath(QString::fromLatin1(folder) + QLatin1Char('/') + kGuideName);
        if (QFileInfo::exists(path)) {
            return QDir::cleanPath(path);
        }
    }
    return QString();
}

void CHelpWnd::FollowLink(const QUrl& link) {
    if (link.scheme().isEmpty() && link.path().isEmpty() && link.hasFragment()) {
        browser->scrollToAnchor(link.fragment());
    } else {
        QDesktopServices::openUrl(browser->source().resolved(link));
    }
}

bool CHelpWnd::Find(const QString& text) {
    if (text.isEmpty()) {
        return false;
    }
    if (browser->find(text)) {
        return true;
    }
    browser->moveCursor(QTextCursor::Start);
    return browser->find(text);
}

void CHelpWnd::AnchorHeadings() {
    QTextDocument* document = browser->document();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() == 0) {
            continue;
        }
        QTextCursor cursor(block);
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        QTextCharFormat anchor;
        anchor.setAnchor(true);
        anchor.setAnchorNames({Slug(block.text())});
        cursor.mergeCharFormat(anchor);
    }
}
