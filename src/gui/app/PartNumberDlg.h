#pragma once
// CPartNumberDlg: the operator picks a part number from the list that the settings file
// offers in its section "PartNumbers", in file order, and sees the date code that goes
// with it (today's, not editable). Values that are not six characters long are left out
// of the list with a warning each. The first part number is preselected.

#include <QDialog>
#include <memory>

namespace Ui {
class CPartNumberDlg;
}

class CPartNumberDlg : public QDialog {
    Q_OBJECT

public:
    // Reads the list from the settings file; the warnings about entries left out are
    // shown over this dialog before it opens.
    explicit CPartNumberDlg(QWidget* parent);
    ~CPartNumberDlg() override;

    // The text of the selected list item; empty when none is selected.
    QString PartNumber() const;
    // Today's date code, YYWW, as shown.
    QString DateCode() const;

private:
    void FillPartNumberList();

    std::unique_ptr<Ui::CPartNumberDlg> ui;
};
