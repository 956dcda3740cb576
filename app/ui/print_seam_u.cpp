#include "print_seam_u.h"

#include "print_preview_u.h"

#include <QFileInfo>
#include <QPageRanges>
#include <QPageSize>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include "msg_u.h"

namespace {
Printing::TResponder gResponder;
} // namespace

void PreparePrinter(QPrinter& printer, const TPrintJob& job)
{
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(job.Orientation);
    printer.setDocName(job.Title);
}

namespace Printing {
void Preview(QWidget* parent, const TPrintJob& job)
{
    if (gResponder) {
        gResponder(TAction::Preview, job);
        return;
    }
    TfrmPreview dialog(job, parent);
    Msg::ExecDialog(dialog);
}

bool Print(QWidget* parent, const TPrintJob& job)
{
    if (gResponder) return gResponder(TAction::Print, job);
    QPrinter printer(QPrinter::HighResolution);
    PreparePrinter(printer, job);
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
    PreparePrinter(printer, job);
    job.Paint(printer);
    return QFileInfo(file).size() > 0;
}

TPrintJob PagedJob(const QString& title, QPageLayout::Orientation orientation, int pageCount, TPaintPage paintPage)
{
    TPrintJob job;
    job.Title = title;
    job.Orientation = orientation;
    job.Paint = [pageCount, paintPage = std::move(paintPage)](QPrinter& printer) {
        const QPageRanges ranges = printer.pageRanges();
        QPainter painter(&printer);
        bool first = true;
        for (int page = 0; page < pageCount; ++page) {
            if (!ranges.isEmpty() && !ranges.contains(page + 1)) continue;
            if (!first) printer.newPage();
            first = false;
            painter.save();
            paintPage(painter, printer, page);
            painter.restore();
        }
    };
    return job;
}

void SetResponder(TResponder responder)
{
    gResponder = std::move(responder);
}
} // namespace Printing
