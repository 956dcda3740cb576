#include "data_export_u.h"

#include "clock_u.h"
#include "cp932_u.h"
#include "dm_cmn_u.h"
#include "log_u.h"
#include "msg_u.h"
#include "xls_writer_u.h"
#include "xlsx_writer_u.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <cstdio>

namespace {
const QString kCrLf = QStringLiteral("\r\n");

QString Ext(const QString& path)
{
    return QFileInfo(path).suffix().toLower();
}

QString Stamp(const QDateTime& dt)
{
    return dt.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

QString JpDate(const QDate& d)
{
    return d.toString(QStringLiteral("yyyy年MM月dd日"));
}

QString NumberText(double v)
{
    if (v == double(qint64(v))) return QString::number(qint64(v));
    return QString::number(v, 'g', 15);
}

QString ColumnName(const QStringList& columns, int i)
{
    return i < columns.size() ? columns.at(i) : QString::number(i + 1);
}

// A stored value that is not Shift-JIS text would be changed without a word.
void CheckStored(const TCellRow& row, qint64 rowNo, const QStringList& columns)
{
    for (int i = 0; i < int(row.size()); ++i)
        if (row[size_t(i)].Broken)
            throw EExportError(QStringLiteral("%1件目のデータ（ファイルの%2行目）の「%3」に、Shift-JIS(CP932)の文字に"
                                              "ならないデータがあります。ファイルは作成されていません。")
                                   .arg(rowNo)
                                   .arg(rowNo + 1)
                                   .arg(ColumnName(columns, i)));
}

// A comma-separated file is collected in memory and written once at the
// end; a failed write leaves nothing at the path.
class TCsvFile
{
public:
    TCsvFile() = default;
    void Header(const QString& line) { FOut += Cp932::Encode(line) + "\r\n"; }
    // Texts go out as the stored Shift-JIS bytes: quotes, line breaks and
    // the leading characters checked here are never part of a double-byte
    // character, so nothing needs decoding.
    void Row(const TCellRow& row, int memoCol, bool delCrlf)
    {
        for (int i = 0; i < int(row.size()); ++i) {
            if (i) FOut += ',';
            FOut += '"';
            const TCell& c = row[size_t(i)];
            switch (c.Kind) {
            case TCell::TKind::Null: break;
            case TCell::TKind::Number: FOut += NumberText(c.Number).toLatin1(); break;
            case TCell::TKind::DateTime:
                if (c.DateTime.isValid()) AppendStamp(c.DateTime);
                break;
            case TCell::TKind::Text: {
                FText = c.Raw;
                if (i == memoCol && delCrlf && (FText.contains('\n') || FText.contains('\r'))) {
                    FText.replace('\n', QByteArray());
                    FText.replace('\r', QByteArray());
                }
                if (!FText.isEmpty() && (FText[0] == '=' || FText[0] == '@' || FText[0] == '+' || FText[0] == '-') &&
                    TDataExport::CsvSafe(QString::fromLatin1(FText)).size() != FText.size())
                    FText.prepend('\'');
                if (FText.contains('"')) FText.replace('"', QByteArrayLiteral("\"\""));
                FOut += FText;
                break;
            }
            }
            FOut += '"';
        }
        FOut += "\r\n";
    }
    void Save(const QString& path)
    {
        QSaveFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(FOut) != FOut.size() || !f.commit())
            throw EExportError(QStringLiteral("ファイルを書き込めませんでした。\r\n") + path + kCrLf + f.errorString());
    }

private:
    void AppendStamp(const QDateTime& dt)
    {
        const QDate d = dt.date();
        const QTime t = dt.time();
        char buf[24];
        std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d:%02d", d.year(), d.month(), d.day(), t.hour(),
                      t.minute(), t.second());
        FOut += buf;
    }

    QByteArray FOut;
    QByteArray FText;
};

void WriteSheetRow(TSheetWriter& w, int row, const TCellRow& cells)
{
    for (int i = 0; i < int(cells.size()); ++i) {
        const TCell& c = cells[size_t(i)];
        switch (c.Kind) {
        case TCell::TKind::Null: break;
        case TCell::TKind::Text: w.WriteText(row, i, c.Text); break;
        case TCell::TKind::Number: w.WriteNumber(row, i, c.Number); break;
        case TCell::TKind::DateTime:
            if (c.DateTime.isValid()) w.WriteDateTime(row, i, c.DateTime);
            break;
        }
    }
}
} // namespace

// ---------------------------------------------------------------- sheets

bool TSheetWriter::IsSheetPath(const QString& path)
{
    const QString ext = Ext(path);
    return ext == QLatin1String("xls") || ext == QLatin1String("xlsx");
}

std::unique_ptr<TSheetWriter> TSheetWriter::ForPath(const QString& path)
{
    if (Ext(path) == QLatin1String("xlsx")) return std::make_unique<TXlsxWriter>(path);
    return std::make_unique<TXlsWriter>(path);
}

// ---------------------------------------------------------------- export

TDataExport::TDataExport(TdmCmn& dm, QWidget* parent) : FSql(dm), FParent(parent) {}

QString TDataExport::PathProblem(const QString& path)
{
    if (path.isEmpty()) return QStringLiteral("出力先を入力してください。");
    // The directory part: everything before the last separator.
    const qsizetype sep = qMax(path.lastIndexOf(u'/'), qMax(path.lastIndexOf(u'\\'), path.lastIndexOf(u':')));
    const QString dir = sep < 0 ? QString() : path.left(sep);
    if (sep < 0 || !QFileInfo(dir.isEmpty() ? QStringLiteral("/") : dir).isDir())
        return QStringLiteral("出力先ディレクトリが見つかりません。");
    const QString name = path.mid(sep + 1);
    if (name.isEmpty()) return QStringLiteral("ファイル名を入力してください。");
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0 || dot == name.size() - 1) return QStringLiteral("拡張子を入力してください。");
    return QString();
}

QString TDataExport::CsvSafe(const QString& value)
{
    if (value.isEmpty()) return value;
    const QChar first = value.at(0);
    if (first != u'=' && first != u'@' && first != u'+' && first != u'-') return value;
    // A number, or a phone number made of digits, hyphens, parentheses,
    // blanks and one leading plus, is left as it is.
    static const QRegularExpression plain(
        QStringLiteral("^(?:[+-]?(?:\\d+(?:\\.\\d*)?|\\.\\d+)(?:[eE][+-]?\\d+)?|\\+?[0-9()\\- ]*[0-9][0-9()\\- ]*)$"));
    if (plain.match(value).hasMatch()) return value;
    return u'\'' + value;
}

bool TDataExport::ConfirmOverwrite(const QString& path)
{
    if (!QFileInfo::exists(path)) return true;
    if (Msg::Show(TMsgKind::Confirmation, QStringLiteral("同名のファイルが存在します。削除してよろしいですか？"),
                  mbOK | mbCancel, FParent) != mbOK)
        return false;
    if (!QFile::remove(path)) {
        Msg::Error(QStringLiteral("同名のファイルを削除できませんでした。パソコンを再起動してみてください。"), FParent);
        return false;
    }
    return true;
}

bool TDataExport::Run(const QString& path, const TExportJob& job)
{
    if (job.AskOverwrite && !ConfirmOverwrite(path)) return false;
    const QStringList columns = job.HeaderLine.split(u',');
    const bool sheet = TSheetWriter::IsSheetPath(path);
    std::unique_ptr<TSheetWriter> writer;
    std::unique_ptr<TCsvFile> csv;
    if (sheet) {
        writer = TSheetWriter::ForPath(path);
        for (int i = 0; i < columns.size(); ++i) {
            const double width = i < job.Widths.size() ? job.Widths.at(i) : 0;
            if (width > 0 || job.TextColumns.contains(i)) writer->SetColumn(i, width, job.TextColumns.contains(i));
        }
        writer->WriteText(0, 0, job.SheetTitle);
        for (int i = 0; i < columns.size(); ++i) writer->WriteText(2, i, columns.at(i));
    } else {
        csv = std::make_unique<TCsvFile>();
        csv->Header(job.HeaderLine);
    }

    Log::Detail(QStringLiteral("dmCmn.sqlWork2.SQL.Text=") + job.CountSql);
    const qint64 count = FSql.Counts(job.CountSql).value(0);
    if (OnMaximum) OnMaximum(count);
    if (sheet && count > writer->MaxRow() - 2) {
        // Rows 4 to the sheet's last row hold the data.
        Msg::Warn(writer->MaxRow() == 65535
                      ? QStringLiteral("最大行数(65536行)に収まりません。ＣＳＶファイルとして出力してください。\r\n"
                                       "(出力先ファイルの拡張子を.xlsから.csvに変更してください。)")
                      : QStringLiteral("最大行数(%1行)に収まりません。ＣＳＶファイルとして出力してください。")
                            .arg(writer->MaxRow() + 1),
                  FParent);
        return false;
    }

    qint64 done = 0;
    int row = 3;
    for (const QString& sql : job.DataSql) {
        Log::Detail(job.DataLogPrefix + sql);
        FSql.ReadRows(sql, [&](const TCellRow& cells) {
            ++done;
            CheckStored(cells, done, columns);
            if (sheet) {
                if (row > writer->MaxRow()) throw EExportError(QStringLiteral("ワークシートの最大行数を超えました。"));
                WriteSheetRow(*writer, row++, cells);
            } else {
                csv->Row(cells, job.MemoColumn, job.DelCrlf);
            }
            if (OnProgress && (done & 511) == 0) OnProgress(done);
            return true;
        }, !sheet);
    }
    if (OnProgress) OnProgress(done);
    if (sheet) writer->Save();
    else csv->Save(path);
    return true;
}

bool TDataExport::ExportLog(const QString& path, const QDate& from, const QDate& to, bool delCrlf)
{
    TExportJob s;
    s.HeaderLine = QStringLiteral("発着信日時,電話番号,発着信区分,ポート,顧客名,通話終了日時,メモ");
    s.CountSql = TReportSql::LogCountSql(from, to);
    s.DataSql = {TReportSql::LogDataSql(from, to)};
    s.MemoColumn = 6;
    s.DelCrlf = delCrlf;
    s.SheetTitle = QStringLiteral("発着信履歴データ（") + JpDate(from) + QStringLiteral("～") + JpDate(to) +
                   QStringLiteral("）   作成日時：") + Stamp(Clock::Now());
    s.TextColumns = {1};
    s.Widths = {16, 14, 0, 0, 20, 0, 30};
    return Run(path, s);
}

bool TDataExport::ExportAccept(const QString& path, const QDate& from, const QDate& to, bool delCrlf)
{
    TExportJob s;
    s.HeaderLine = QStringLiteral("顧客名,代表番号,着信番号,日時,区分,結果,対応者,件名,内容");
    s.CountSql = TReportSql::AcceptCountSql(from, to);
    s.DataSql = {TReportSql::AcceptDataSql(from, to)};
    s.MemoColumn = 8;
    s.DelCrlf = delCrlf;
    s.SheetTitle = QStringLiteral("対応履歴データ（") + JpDate(from) + QStringLiteral("～") + JpDate(to) +
                   QStringLiteral("）   作成日時：") + Stamp(Clock::Now());
    s.TextColumns = {1, 2};
    s.Widths = {15, 14, 14, 16, 17, 17, 17, 23, 50};
    return Run(path, s);
}

bool TDataExport::ExportCust(const QString& path, bool delCrlf)
{
    TExportJob s;
    const QList<TOptionColumn> options = FSql.OptionColumns();
    s.HeaderLine = QStringLiteral("顧客名,顧客カナ,生年月日,性別,代表番号,FAX番号,郵便番号,住所,地図URL,電子メール,ＨＰ,担当,備考");
    for (const TOptionColumn& o : options) s.HeaderLine += u',' + o.Title;
    s.CountSql = TReportSql::CustCountSql();
    // The block statements need the highest customer number first.
    Log::Detail(QStringLiteral("dmCmn.sqlWork2.SQL.Text=") + s.CountSql);
    const QList<qint64> counts = FSql.Counts(s.CountSql);
    s.DataSql = TReportSql::CustDataSql(options, int(counts.value(1)));
    s.DataLogPrefix = QStringLiteral("dmCmn.sqlWork2.SQL.Text2=");
    s.MemoColumn = 12;
    s.DelCrlf = delCrlf;
    s.AskOverwrite = true;
    s.SheetTitle = QStringLiteral("顧客リスト  作成日時：") + Stamp(Clock::Now());
    s.TextColumns = {4, 5};
    s.Widths = {15, 15, 11, 6, 14, 14, 9, 25, 14, 14, 14, 12, 80};
    return Run(path, s);
}

bool TDataExport::OutTels(const QString& path)
{
    TExportJob s;
    s.HeaderLine = QStringLiteral("電話番号,代表電話番号,名前,音声読上名");
    s.CountSql = TReportSql::TelsCountSql();
    s.DataSql = {TReportSql::TelsDataSql()};
    s.AskOverwrite = true;
    s.SheetTitle = QStringLiteral("電話帳リスト  作成日時：") + Stamp(Clock::Now());
    s.TextColumns = {0, 1};
    s.Widths = {14, 14, 20, 20};
    return Run(path, s);
}
