#include "xlsx_writer_u.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <xlsxwriter.h>

TXlsxWriter::TXlsxWriter(QString path) : FPath(std::move(path)), FPart(FPath + QStringLiteral(".part"))
{
    QFile::remove(FPart);
    const QByteArray tmpDir = QFile::encodeName(QDir::tempPath());
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = const_cast<char*>(tmpDir.constData());
    FBook = workbook_new_opt(QFile::encodeName(FPart).constData(), &options);
    if (!FBook) throw EExportError(QStringLiteral("ファイルを作成できませんでした。\r\n") + FPath);
    FSheet = workbook_add_worksheet(FBook, nullptr);
    FText = workbook_add_format(FBook);
    format_set_num_format(FText, "@");
    FDate = workbook_add_format(FBook);
    format_set_num_format(FDate, "yyyy/mm/dd hh:mm:ss");
}

TXlsxWriter::~TXlsxWriter()
{
    // Not saved: the library's own clean-up, then nothing left on disk.
    if (FBook) {
        workbook_close(FBook);
        QFile::remove(FPart);
    }
}

void TXlsxWriter::Check(int error, int row, int col)
{
    if (error == LXW_NO_ERROR) return;
    throw EExportError(QStringLiteral("セル(%1行, %2列)を書き込めませんでした: %3")
                           .arg(row + 1)
                           .arg(col + 1)
                           .arg(QString::fromUtf8(lxw_strerror(lxw_error(error)))));
}

lxw_format* TXlsxWriter::CellFormat(int col) const
{
    const auto it = FTextColumns.find(col);
    return it != FTextColumns.end() && it->second ? FText : nullptr;
}

void TXlsxWriter::SetColumn(int col, double width, bool text)
{
    FTextColumns[col] = text;
    Check(worksheet_set_column(FSheet, lxw_col_t(col), lxw_col_t(col), width, text ? FText : nullptr), 0, col);
}

void TXlsxWriter::WriteText(int row, int col, const QString& text)
{
    // A string cell, never a formula, whatever the text begins with.
    Check(worksheet_write_string(FSheet, lxw_row_t(row), lxw_col_t(col), text.left(32767).toUtf8().constData(),
                                 CellFormat(col)),
          row, col);
}

void TXlsxWriter::WriteNumber(int row, int col, double value)
{
    Check(worksheet_write_number(FSheet, lxw_row_t(row), lxw_col_t(col), value, CellFormat(col)), row, col);
}

void TXlsxWriter::WriteDateTime(int row, int col, const QDateTime& value)
{
    lxw_datetime dt{value.date().year(),  value.date().month(),  value.date().day(),
                    value.time().hour(), value.time().minute(), double(value.time().second())};
    Check(worksheet_write_datetime(FSheet, lxw_row_t(row), lxw_col_t(col), &dt, FDate), row, col);
}

void TXlsxWriter::Save()
{
    const lxw_error err = workbook_close(FBook);
    FBook = nullptr;
    if (err != LXW_NO_ERROR) {
        QFile::remove(FPart);
        throw EExportError(QStringLiteral("ファイルを書き込めませんでした。\r\n") + FPath + QStringLiteral("\r\n") +
                           QString::fromUtf8(lxw_strerror(err)));
    }
    QFile::remove(FPath);
    if (!QFile::rename(FPart, FPath)) {
        QFile::remove(FPart);
        throw EExportError(QStringLiteral("ファイルを書き込めませんでした。\r\n") + FPath);
    }
}
