#pragma once
// The help window: the user guide, rendered from its Markdown with its pictures. Links
// between its sections work, and Ctrl+F finds text. The guide is installed with the
// program and found from the executable's location.

#include <QWidget>

class QLineEdit;
class QTextBrowser;
class QUrl;

class CHelpWnd : public QWidget {
    Q_OBJECT

public:
    // Shows the guide at path (a Markdown file; its pictures are found beside it).
    CHelpWnd(QWidget* parent, const QString& path);

    // The installed user guide: under share/doc/tarn beside the program's bin folder, or
    // in doc/ beside the program; empty when neither holds it.
    static QString UserGuidePath();
    // Looks for the guide from folder instead of the program's folder, for tests that
    // must not write beside the program; an empty folder restores the program's.
    static void SetProgramFolder(const QString& folder);
    QTextBrowser& Browser() { return *browser; }
    // Selects the next occurrence of text after the cursor, from the top again after the
    // last one; false when the guide does not contain it.
    bool Find(const QString& text);
    // A link to a section scrolls there; any other opens in the desktop's program for it.
    void FollowLink(const QUrl& link);

private:
    // Gives every heading the anchor that a link "#name-of-the-heading" points to.
    void AnchorHeadings();

    QTextBrowser* browser;
    QLineEdit* findText;
};
