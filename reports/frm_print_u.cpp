#include "frm_print_u.h"

#include <QFont>
#include <QPainter>
#include <QPrinter>
#include <cmath>

namespace {
constexpr double kMarginMm = 10.0;
const QString kFixedFont = QStringLiteral("IPAGothic");    // for "ＭＳ ゴシック"
const QString kTitleFont = QStringLiteral("IPAPGothic");   // for "ＭＳ Ｐゴシック"

// Millimetres from the top left of the printable area (inside the margins)
// to device pixels of the printer.
class TMm
{
public:
    TMm(QPainter& p, QPrinter& printer) : FP(p), FDpmm(printer.resolution() / 25.4) {}
    double Px(double mm) const { return (kMarginMm + mm) * FDpmm; }
    double Len(double mm) const { return mm * FDpmm; }

    void Font(const QString& family, double pt)
    {
        QFont f(family);
        f.setPixelSize(int(std::lround(pt / 72.0 * 25.4 * FDpmm)));
        FP.setFont(f);
    }
    // Text whose left edge is at x; cut to width when width > 0.
    void Left(double x, double y, const QString& text, double width = 0)
    {
        const QRectF r(Px(x), Px(y), width > 0 ? Len(width) : Len(400), Len(6));
        if (width > 0) {
            FP.save();
            FP.setClipRect(r);
            FP.drawText(r, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
            FP.restore();
        } else {
            FP.drawText(r, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
        }
    }
    // Text whose right edge is at x.
    void Right(double x, double y, const QString& text)
    {
        FP.drawText(QRectF(Px(x) - Len(200), Px(y), Len(200), Len(6)), Qt::AlignRight | Qt::AlignTop | Qt::TextSingleLine,
                    text);
    }
    void Centre(double width, double y, const QString& text)
    {
        FP.drawText(QRectF(Px(0), Px(y), Len(width), Len(8)), Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, text);
    }
    void Rule(double width, double y, bool thick)
    {
        QPen pen(Qt::black);
        pen.setWidthF(Len(thick ? 0.6 : 0.2));
        pen.setStyle(thick ? Qt::SolidLine : Qt::DotLine);
        FP.setPen(pen);
        FP.drawLine(QPointF(Px(0), Px(y)), QPointF(Px(width), Px(y)));
        FP.setPen(Qt::black);
    }

private:
    QPainter& FP;
    double FDpmm;
};

QString Stamp(const QDateTime& at)
{
    return at.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

// Rows that fit below the page header; the summary needs one band more.
int Fit(double pageMm, double headerMm, double bandMm)
{
    return int((pageMm - 2 * kMarginMm - headerMm) / bandMm);
}
} // namespace

// ---------------------------------------------------------------- counts

int TfrmPrint1::RowsPerPage()
{
    return Fit(297, kHeaderMm, kBandMm);
}

int TfrmPrint1::PageCount(int rows)
{
    if (rows <= 0) return 0;
    // The summary band follows the last row, on a new page when it is full.
    return (rows + 1 + RowsPerPage() - 1) / RowsPerPage();
}

TPrintJob TfrmPrint1::Job(const QList<TPrint>& rows, const QDateTime& printedAt) const
{
    const TfrmPrint1 labels = *this;
    const int perPage = RowsPerPage();
    qint64 sum = 0;
    for (const TPrint& p : rows) sum += p.TOTAL;
    const int pages = PageCount(int(rows.size()));
    return Printing::PagedJob(ReportTitle, QPageLayout::Portrait, pages,
                              [labels, rows, printedAt, perPage, pages, sum](QPainter& p, QPrinter& printer, int page) {
        TMm mm(p, printer);
        constexpr double width = 190;
        mm.Font(kTitleFont, 12);
        mm.Centre(width, 2, labels.lblTitle);
        mm.Font(kFixedFont, 9);
        mm.Right(164, 6.4, Stamp(printedAt));
        mm.Right(174, 6.4, QString::number(page + 1));
        mm.Left(174.5, 6.4, QStringLiteral("ページ"));
        mm.Rule(width, 10.6, true);
        mm.Right(23.5, 15.3, labels.lblCountHead);
        mm.Left(39.2, 15.3, labels.lblNumberHead);
        mm.Left(78.8, 15.3, labels.lblNameHead);
        mm.Right(161.1, 15.3, labels.lblValueHead);
        mm.Rule(width, 21.2, true);

        double y = kHeaderMm;
        const int first = page * perPage;
        const int last = qMin(int(rows.size()), first + perPage);
        for (int i = first; i < last; ++i, y += kBandMm) {
            const TPrint& r = rows.at(i);
            mm.Right(23.0, y + 1.5, QString::number(i + 1));
            mm.Left(39.2, y + 1.5, r.TEL_NO);
            mm.Left(78.8, y + 1.5, r.CALLER);
            mm.Right(161.1, y + 1.5, QString::number(r.TOTAL));
            mm.Rule(width, y + 6.35, false);
        }
        if (page == pages - 1) {
            mm.Left(122.8, y + 1.5, QStringLiteral("合計："));
            mm.Right(161.1, y + 1.5, QString::number(sum));
        }
    });
}

// ---------------------------------------------------------------- call list

int TfrmPrint2::RowsPerPage()
{
    return Fit(210, kHeaderMm, kBandMm);
}

int TfrmPrint2::PageCount(int rows)
{
    return rows <= 0 ? 0 : (rows + RowsPerPage() - 1) / RowsPerPage();
}

QString TfrmPrint2::txtMemoPrint(const QString& memo)
{
    QString s = memo;
    s.remove(u'\r');
    s.remove(u'\n');
    return s;
}

TPrintJob TfrmPrint2::Job(const QList<TCallListRow>& rows, const QDateTime& printedAt) const
{
    const QString title = lblTitle;
    const int perPage = RowsPerPage();
    return Printing::PagedJob(ReportTitle, QPageLayout::Landscape, PageCount(int(rows.size())),
                              [title, rows, printedAt, perPage](QPainter& p, QPrinter& printer, int page) {
        TMm mm(p, printer);
        constexpr double width = 277;
        mm.Font(kTitleFont, 12);
        mm.Centre(width, 2, title);
        mm.Font(kFixedFont, 9);
        mm.Right(249, 6.4, Stamp(printedAt));
        mm.Right(261, 6.4, QString::number(page + 1));
        mm.Left(261.5, 6.4, QStringLiteral("ページ"));
        mm.Rule(width, 10.6, true);
        mm.Left(2.6, 13.8, QStringLiteral("発着信日時"));
        mm.Left(38.4, 13.8, QStringLiteral("電話番号"));
        mm.Left(73.3, 13.8, QStringLiteral("名前"));
        mm.Left(122.5, 13.8, QStringLiteral("発着信区分"));
        mm.Left(142.1, 13.8, QStringLiteral("ポート"));
        mm.Left(160.1, 13.8, QStringLiteral("メモ"));
        mm.Rule(width, 18.8, true);

        double y = kHeaderMm;
        const int first = page * perPage;
        const int last = qMin(int(rows.size()), first + perPage);
        for (int i = first; i < last; ++i, y += kBandMm) {
            const TCallListRow& r = rows.at(i);
            mm.Left(2.1, y + 1.5, Stamp(r.DT_FROM), 34.1);
            mm.Left(38.4, y + 1.5, r.TEL_NO, 31.8);
            mm.Left(72.8, y + 1.5, r.CALLER, 48.2);
            mm.Left(123.0, y + 1.5, r.TEL_TYPE, 16.9);
            mm.Left(142.3, y + 1.5, r.PORT_NO, 16.1);
            mm.Left(160.9, y + 1.5, txtMemoPrint(r.TEL_MEMO), 114.6);
            mm.Rule(width, y + 7.1, false);
        }
    });
}
