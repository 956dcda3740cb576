#pragma once
// One worksheet written cell by cell, rows in ascending order, then saved as
// a file: the .xls (BIFF8) and .xlsx writers share this face. Rows and
// columns count from 0. Texts are always stored as texts, never formulas.
#include "errors_u.h"

#include <QDateTime>
#include <QString>
#include <memory>

// A file that could not be written (folder, permissions, disk full).
class EExportError : public EKuruten
{
public:
    using EKuruten::EKuruten;
};

class TSheetWriter
{
public:
    virtual ~TSheetWriter() = default;
    // Last row index the format can hold.
    virtual int MaxRow() const = 0;
    // Column set up (before any cell of it): the text format "@" and the
    // width in characters.
    virtual void SetColumn(int col, double width, bool text) = 0;
    virtual void WriteText(int row, int col, const QString& text) = 0;
    virtual void WriteNumber(int row, int col, double value) = 0;
    virtual void WriteDateTime(int row, int col, const QDateTime& value) = 0;
    // Writes the file; on failure nothing is left at the path (EExportError).
    virtual void Save() = 0;

    // ".xls" (BIFF8 workbook) or ".xlsx" for path, by its extension.
    static std::unique_ptr<TSheetWriter> ForPath(const QString& path);
    static bool IsSheetPath(const QString& path);
};
