#pragma once
// The print preview window: the job's pages on screen, zoom to the whole
// page, 100 % or the page width, page by page navigation, the printer
// set-up, printing a page range and saving as PDF. Modal; opened through
// Printing::Preview.
#include "print_seam_u.h"

#include <QDialog>
#include <memory>

class QLabel;
class QPrintPreviewWidget;
class QPrinter;
class QPushButton;

// A4, the job's orientation and title on printer.
void PreparePrinter(QPrinter& printer, const TPrintJob& job);

class TfrmPreview : public QDialog
{
    Q_OBJECT
public:
    TfrmPreview(const TPrintJob& job, QWidget* parent = nullptr);
    ~TfrmPreview() override;

    int PageCount() const;
    int CurrentPage() const;
    QPrinter& Printer() { return *FPrinter; }

    void btnZoomPageClick();
    void btnZoom100Click();
    void btnZoomWidthClick();
    void btnFirstClick();
    void btnPriorClick();
    void btnNextClick();
    void btnLastClick();
    void btnSetupClick();
    void btnPrintClick();
    void btnSavePdfClick();

private:
    void ShowPageNumber();

    TPrintJob FJob;
    std::unique_ptr<QPrinter> FPrinter;
    QPrintPreviewWidget* pvwPreview = nullptr;
    QLabel* lblPage = nullptr;
};
