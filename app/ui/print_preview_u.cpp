#include "print_preview_u.h"

#include "file_dialog_u.h"
#include "msg_u.h"
#include "ui_kit_u.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPageRanges>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

TfrmPreview::TfrmPreview(const TPrintJob& job, QWidget* parent)
    : QDialog(parent), FJob(job), FPrinter(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    setObjectName(QStringLiteral("frmPreview"));
    setWindowTitle(job.Title.isEmpty() ? QStringLiteral("印刷プレビュー") : job.Title + QStringLiteral(" - 印刷プレビュー"));
    PreparePrinter(*FPrinter, job);

    auto* bar = new QHBoxLayout;
    auto add = [this, bar](const char* name, const QString& caption, const QString& hint, void (TfrmPreview::*slot)()) {
        QPushButton* b = UiKit::MakeButton(this, QLatin1String(name), caption, hint);
        connect(b, &QPushButton::clicked, this, slot);
        bar->addWidget(b);
        return b;
    };
    add("btnZoomPage", QStringLiteral("全体表示"), QStringLiteral("ページ全体を表示します。"), &TfrmPreview::btnZoomPageClick);
    add("btnZoom100", QStringLiteral("100%"), QStringLiteral("実際の大きさで表示します。"), &TfrmPreview::btnZoom100Click);
    add("btnZoomWidth", QStringLiteral("ページ幅"), QStringLiteral("ページの幅に合わせて表示します。"),
        &TfrmPreview::btnZoomWidthClick);
    bar->addSpacing(12);
    add("btnFirst", QStringLiteral("|◀"), QStringLiteral("最初のページ"), &TfrmPreview::btnFirstClick);
    add("btnPrior", QStringLiteral("◀"), QStringLiteral("前のページ"), &TfrmPreview::btnPriorClick);
    lblPage = UiKit::MakeLabel(this, QString(), QStringLiteral("lblPage"));
    lblPage->setMinimumWidth(70);
    lblPage->setAlignment(Qt::AlignCenter);
    bar->addWidget(lblPage);
    add("btnNext", QStringLiteral("▶"), QStringLiteral("次のページ"), &TfrmPreview::btnNextClick);
    add("btnLast", QStringLiteral("▶|"), QStringLiteral("最後のページ"), &TfrmPreview::btnLastClick);
    bar->addSpacing(12);
    add("btnSetup", QStringLiteral("プリンタ設定"), QStringLiteral("プリンタと用紙を設定します。"), &TfrmPreview::btnSetupClick);
    add("btnPrint", QStringLiteral("印刷(&P)"), QStringLiteral("印刷するページを指定して印刷します。"),
        &TfrmPreview::btnPrintClick);
    add("btnSavePdf", QStringLiteral("PDF保存"), QStringLiteral("PDFファイルに保存します。"), &TfrmPreview::btnSavePdfClick);
    bar->addStretch(1);
    QPushButton* close = UiKit::MakeButton(this, QStringLiteral("btnClose"), QStringLiteral("閉じる(&X)"));
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    bar->addWidget(close);

    pvwPreview = new QPrintPreviewWidget(FPrinter.get(), this);
    pvwPreview->setObjectName(QStringLiteral("pvwPreview"));
    connect(pvwPreview, &QPrintPreviewWidget::paintRequested, this, [this](QPrinter* p) { FJob.Paint(*p); });
    connect(pvwPreview, &QPrintPreviewWidget::previewChanged, this, &TfrmPreview::ShowPageNumber);

    auto* v = new QVBoxLayout(this);
    v->addLayout(bar);
    v->addWidget(pvwPreview, 1);
    const QSize avail = screen() ? screen()->availableGeometry().size() : QSize(1280, 800);
    resize(qMin(1000, avail.width() - 40), qMin(860, avail.height() - 40));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    pvwPreview->updatePreview();
    btnZoomPageClick();
}

TfrmPreview::~TfrmPreview() = default;

int TfrmPreview::PageCount() const
{
    return pvwPreview->pageCount();
}

int TfrmPreview::CurrentPage() const
{
    return pvwPreview->currentPage();
}

void TfrmPreview::ShowPageNumber()
{
    lblPage->setText(QStringLiteral("%1 / %2").arg(pvwPreview->currentPage()).arg(pvwPreview->pageCount()));
}

void TfrmPreview::btnZoomPageClick()
{
    pvwPreview->fitInView();
}

void TfrmPreview::btnZoom100Click()
{
    // The widget's factor 1 shows the page in its real size on this screen.
    pvwPreview->setZoomMode(QPrintPreviewWidget::CustomZoom);
    pvwPreview->setZoomFactor(1.0);
}

void TfrmPreview::btnZoomWidthClick()
{
    pvwPreview->fitToWidth();
}

void TfrmPreview::btnFirstClick()
{
    pvwPreview->setCurrentPage(1);
    ShowPageNumber();
}

void TfrmPreview::btnPriorClick()
{
    pvwPreview->setCurrentPage(qMax(1, pvwPreview->currentPage() - 1));
    ShowPageNumber();
}

void TfrmPreview::btnNextClick()
{
    pvwPreview->setCurrentPage(qMin(pvwPreview->pageCount(), pvwPreview->currentPage() + 1));
    ShowPageNumber();
}

void TfrmPreview::btnLastClick()
{
    pvwPreview->setCurrentPage(pvwPreview->pageCount());
    ShowPageNumber();
}

void TfrmPreview::btnSetupClick()
{
    QPageSetupDialog dialog(FPrinter.get(), this);
    if (Msg::ExecDialog(dialog) == QDialog::Accepted) pvwPreview->updatePreview();
}

void TfrmPreview::btnPrintClick()
{
    QPrintDialog dialog(FPrinter.get(), this);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, true);
    dialog.setMinMax(1, qMax(1, PageCount()));
    if (Msg::ExecDialog(dialog) != QDialog::Accepted) return;
    // The current-page choice prints that one page.
    if (FPrinter->printRange() == QPrinter::CurrentPage)
        FPrinter->setPageRanges(QPageRanges::fromString(QString::number(CurrentPage())));
    FJob.Paint(*FPrinter);
    FPrinter->setPrintRange(QPrinter::AllPages);
    FPrinter->setPageRanges(QPageRanges());
}

void TfrmPreview::btnSavePdfClick()
{
    const QString file = FileDlg::SaveFile(this, QStringLiteral("PDFファイルに保存"), FJob.Title + QStringLiteral(".pdf"),
                                           QStringLiteral("PDF ファイル (*.pdf)"));
    if (file.isEmpty()) return;
    if (!Printing::ToPdf(FJob, file)) Msg::Error(QStringLiteral("PDFファイルを保存できませんでした。\r\n") + file, this);
}
