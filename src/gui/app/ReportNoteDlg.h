#pragma once
// CReportNoteDlg: asks for the commissioning report's optional note and whether the
// report goes to a PDF file or to a printer.

#include <QDialog>
#include <QString>
#include <memory>

namespace Ui {
class CReportNoteDlg;
}

class CReportNoteDlg : public QDialog {
    Q_OBJECT

public:
    enum class Output { kPdf, kPrinter };

    explicit CReportNoteDlg(QWidget* parent);
    ~CReportNoteDlg() override;

    QString Note() const;
    // What the operator chose; meaningful when the dialog was accepted.
    Output Chosen() const { return chosen; }

private:
    void Choose(Output output);

    std::unique_ptr<Ui::CReportNoteDlg> ui;
    Output chosen = Output::kPdf;
};
