#pragma once
// The one door to printers. A report is a print job: a title, an orientation
// and a function that paints every page on the printer it is given (calling
// newPage() between pages, measuring in millimetres). The preview, the
// printer and PDF files all take the same job; tests install a responder
// that turns the request into a PDF file.
#include <QPageLayout>
#include <QString>
#include <functional>

class QPainter;
class QPrinter;
class QWidget;

struct TPrintJob
{
    QString Title;
    QPageLayout::Orientation Orientation = QPageLayout::Portrait;
    std::function<void(QPrinter& printer)> Paint;
};

namespace Printing {
enum class TAction { Preview, Print };

// Modal print preview: whole page, 100 % and page width; first, previous,
// next and last page; printer set-up; print with a page range; save as PDF.
void Preview(QWidget* parent, const TPrintJob& job);
// The printer dialog, then the job on the chosen printer; false when cancelled.
bool Print(QWidget* parent, const TPrintJob& job);
// The job as an A4 PDF file; false when the file cannot be written.
bool ToPdf(const TPrintJob& job, const QString& file);

// A job whose pages are known in advance: its Paint prints the pages of the
// printer's page range (every page when none is chosen), page counted from 0.
using TPaintPage = std::function<void(QPainter& painter, QPrinter& printer, int page)>;
TPrintJob PagedJob(const QString& title, QPageLayout::Orientation orientation, int pageCount, TPaintPage paintPage);

using TResponder = std::function<bool(TAction, const TPrintJob&)>;
void SetResponder(TResponder responder);
}
