#pragma once
// A one-sheet Excel 97-2003 workbook (.xls): BIFF8 records in the
// "Workbook" stream of a compound document. Texts go to the shared string
// table (Unicode), numbers as NUMBER records, date-times as numbers with a
// date format; columns may carry the text format "@" and a width.
#include "sheet_writer_u.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QStringList>
#include <map>

class TXlsWriter : public TSheetWriter
{
public:
    explicit TXlsWriter(QString path, QString sheetName = QStringLiteral("Sheet1"));
    int MaxRow() const override { return 65535; }
    void SetColumn(int col, double width, bool text) override;
    void WriteText(int row, int col, const QString& text) override;
    void WriteNumber(int row, int col, double value) override;
    void WriteDateTime(int row, int col, const QDateTime& value) override;
    void Save() override;

    // The parts, for tests of the container.
    QByteArray WorkbookStream() const;
    static QByteArray CompoundFile(const QByteArray& workbook);

private:
    struct TColumn
    {
        double Width = 0;
        bool Text = false;
    };
    quint16 CellXf(int col) const;
    void Cell(int row, int col);

    QString FPath;
    QString FSheetName;
    std::map<int, TColumn> FColumns;
    QHash<QString, quint32> FSstIndex;
    QStringList FSst;
    quint32 FSstTotal = 0;
    QByteArray FCells;
    int FMaxRow = -1;
    int FMaxCol = -1;
};
