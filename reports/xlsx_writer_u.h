#pragma once
// A one-sheet .xlsx workbook through libxlsxwriter, rows streamed to disk
// (constant memory), so a year of calls fits; no 65,536-row limit.
#include "sheet_writer_u.h"

#include <map>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

class TXlsxWriter : public TSheetWriter
{
public:
    explicit TXlsxWriter(QString path);
    ~TXlsxWriter() override;
    int MaxRow() const override { return 1048575; }
    void SetColumn(int col, double width, bool text) override;
    void WriteText(int row, int col, const QString& text) override;
    void WriteNumber(int row, int col, double value) override;
    void WriteDateTime(int row, int col, const QDateTime& value) override;
    void Save() override;

private:
    void Check(int error, int row, int col);
    lxw_format* CellFormat(int col) const;

    QString FPath;
    QString FPart; // written here, renamed to FPath when complete
    lxw_workbook* FBook = nullptr;
    lxw_worksheet* FSheet = nullptr;
    lxw_format* FText = nullptr;
    lxw_format* FDate = nullptr;
    std::map<int, bool> FTextColumns;
};
