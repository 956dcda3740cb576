#include "print_seam_u.h"

#include <QFileInfo>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace {
Printing::TResponder gResponder;

void Prepare(QPrinter& printer, const TPrintJob& job)
{
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(job.Orientation);
    printer.setDocName(job.Title);
}
} // namespace

namespace Printing {
void Preview(QWidget* parent, const TPrintJob& job)
{
    if (gResponder) {
        gResponder(TAction::Preview, job);
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    Prepare(printer, job);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(job.Title);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&job](QPrinter* p) { job.Paint(*p); });
    dialog.exec();
}

bool Print(QWidget* parent, const TPrintJob& job)
{
    if (gResponder) return gResponder(TAction::Print, job);
    QPrinter printer(QPrinter::HighResolution);
    Prepare(printer, job);
    QPrintDialog dialog(&printer, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    job.Paint(printer);
    return true;
}

bool ToPdf(const TPrintJob& job, const QString& file)
{
    if (!QFileInfo(QFileInfo(file).absolutePath()).isWritable()) return false;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    Prepare(printer, job);
    job.Paint(printer);
    return QFileInfo(file).size() > 0;
}

void SetResponder(TResponder responder)
{
    gResponder = std::move(responder);
}
} // namespace Printing
