#include "xls_writer_u.h"

#include <QSaveFile>
#include <QtEndian>
#include <cstring>

namespace {
// Indexes of our cell formats: 0-14 style XFs, 15 the default cell XF.
constexpr quint16 kXfDefault = 15;
constexpr quint16 kXfText = 16;
constexpr quint16 kXfDate = 17;
constexpr quint16 kFmtDate = 164;
constexpr int kMaxRecord = 8224;

class TBytes
{
public:
    QByteArray Data;
    void U8(quint8 v) { Data.append(char(v)); }
    void U16(quint16 v)
    {
        char b[2];
        qToLittleEndian(v, b);
        Data.append(b, 2);
    }
    void U32(quint32 v)
    {
        char b[4];
        qToLittleEndian(v, b);
        Data.append(b, 4);
    }
    void F64(double v)
    {
        quint64 bits;
        std::memcpy(&bits, &v, 8);
        char b[8];
        qToLittleEndian(bits, b);
        Data.append(b, 8);
    }
    void Utf16(const QString& s)
    {
        for (const QChar c : s) U16(c.unicode());
    }
    void Record(quint16 type, const QByteArray& body)
    {
        U16(type);
        U16(quint16(body.size()));
        Data.append(body);
    }
};

bool Latin1(const QString& s)
{
    for (const QChar c : s)
        if (c.unicode() > 0xFF) return false;
    return true;
}

// XLUnicodeString with a 16-bit (long) or 8-bit (short) count.
QByteArray UnicodeString(const QString& s, bool longCount)
{
    TBytes b;
    if (longCount) b.U16(quint16(s.size()));
    else b.U8(quint8(s.size()));
    b.U8(1); // UTF-16
    b.Utf16(s);
    return b.Data;
}

QByteArray Xf(quint16 font, quint16 format, bool style, quint8 used)
{
    TBytes b;
    b.U16(font);
    b.U16(format);
    b.U16(style ? 0xFFF5 : 0x0001); // locked; a style XF has no parent
    b.U8(0x20);                     // bottom aligned
    b.U8(0);
    b.U8(0);
    b.U8(used);
    b.U32(0);
    b.U32(0);
    b.U16(0x20C0);
    return b.Data;
}

// The shared string table, continued in CONTINUE records when it is long;
// a string's characters may go on in the next record after a new flag byte.
// Returns the records and the EXTSST record (one bucket per 8 strings).
void WriteSst(TBytes& out, const QStringList& strings, quint32 total, qint64 streamPos)
{
    QList<QByteArray> records;
    QByteArray cur;
    QList<QPair<quint32, quint16>> buckets; // stream offset, offset in record
    TBytes head;
    head.U32(total);
    head.U32(quint32(strings.size()));
    cur = head.Data;
    qint64 recordStart = streamPos; // where the current record's header starts
    auto flush = [&] {
        records << cur;
        recordStart += 4 + cur.size();
        cur.clear();
    };
    for (int i = 0; i < strings.size(); ++i) {
        const QString& s = strings.at(i);
        const bool wide = !Latin1(s);
        const int charSize = wide ? 2 : 1;
        if (kMaxRecord - cur.size() < 3 + charSize) flush();
        if (i % 8 == 0) buckets << qMakePair(quint32(recordStart + 4 + cur.size()), quint16(4 + cur.size()));
        TBytes h;
        h.U16(quint16(s.size()));
        h.U8(wide ? 1 : 0);
        cur += h.Data;
        int pos = 0;
        while (pos < s.size()) {
            int room = (kMaxRecord - int(cur.size())) / charSize;
            if (room <= 0) {
                flush();
                cur.append(char(wide ? 1 : 0));
                room = (kMaxRecord - 1) / charSize;
            }
            const int n = qMin(room, int(s.size()) - pos);
            TBytes c;
            if (wide) c.Utf16(s.mid(pos, n));
            else
                for (int k = pos; k < pos + n; ++k) c.U8(quint8(s.at(k).unicode()));
            cur += c.Data;
            pos += n;
        }
    }
    records << cur;
    out.Record(0x00FC, records.first());
    for (int i = 1; i < records.size(); ++i) out.Record(0x003C, records.at(i));
    TBytes ext;
    ext.U16(8);
    for (const auto& b : buckets) {
        ext.U32(b.first);
        ext.U16(b.second);
        ext.U16(0);
    }
    out.Record(0x00FF, ext.Data);
}
} // namespace

TXlsWriter::TXlsWriter(QString path, QString sheetName) : FPath(std::move(path)), FSheetName(std::move(sheetName)) {}

void TXlsWriter::SetColumn(int col, double width, bool text)
{
    FColumns[col] = {width, text};
}

quint16 TXlsWriter::CellXf(int col) const
{
    const auto it = FColumns.find(col);
    return it != FColumns.end() && it->second.Text ? kXfText : kXfDefault;
}

void TXlsWriter::Cell(int row, int col)
{
    if (row > MaxRow() || col > 255) throw EExportError(QStringLiteral("ワークシートの範囲を超えるセルです。"));
    FMaxRow = qMax(FMaxRow, row);
    FMaxCol = qMax(FMaxCol, col);
}

void TXlsWriter::WriteText(int row, int col, const QString& text)
{
    Cell(row, col);
    // Excel keeps at most 32767 characters in a cell.
    const QString s = text.left(32767);
    auto it = FSstIndex.constFind(s);
    quint32 index;
    if (it == FSstIndex.constEnd()) {
        index = quint32(FSst.size());
        FSstIndex.insert(s, index);
        FSst << s;
    } else {
        index = it.value();
    }
    ++FSstTotal;
    TBytes b;
    b.U16(0x00FD); // LABELSST
    b.U16(10);
    b.U16(quint16(row));
    b.U16(quint16(col));
    b.U16(CellXf(col));
    b.U32(index);
    FCells += b.Data;
}

void TXlsWriter::WriteNumber(int row, int col, double value)
{
    Cell(row, col);
    TBytes b;
    b.U16(0x0203); // NUMBER
    b.U16(14);
    b.U16(quint16(row));
    b.U16(quint16(col));
    b.U16(CellXf(col));
    b.F64(value);
    FCells += b.Data;
}

void TXlsWriter::WriteDateTime(int row, int col, const QDateTime& value)
{
    Cell(row, col);
    // Days since 1899-12-30, the time as the fraction.
    const double serial = double(QDate(1899, 12, 30).daysTo(value.date())) +
                          double(value.time().msecsSinceStartOfDay()) / 86400000.0;
    TBytes b;
    b.U16(0x0203);
    b.U16(14);
    b.U16(quint16(row));
    b.U16(quint16(col));
    b.U16(kXfDate);
    b.F64(serial);
    FCells += b.Data;
}

QByteArray TXlsWriter::WorkbookStream() const
{
    auto bof = [](TBytes& out, quint16 kind) {
        TBytes b;
        b.U16(0x0600);
        b.U16(kind);
        b.U16(0x0DBB);
        b.U16(0x07CC);
        b.U32(0);
        b.U32(0x06);
        out.Record(0x0809, b.Data);
    };
    TBytes g;
    bof(g, 0x0005);
    {
        TBytes b;
        b.U16(1200); // texts are UTF-16
        g.Record(0x0042, b.Data);
    }
    {
        TBytes b;
        b.U16(0);
        b.U16(0);
        b.U16(0x3000);
        b.U16(0x2000);
        b.U16(0x0038);
        b.U16(0);
        b.U16(0);
        b.U16(1);
        b.U16(600);
        g.Record(0x003D, b.Data); // WINDOW1
    }
    {
        TBytes b;
        b.U16(0);
        g.Record(0x0022, b.Data); // DATEMODE: 1900 system
    }
    // Fonts 0-3 and 5 (index 4 does not exist in BIFF).
    for (int i = 0; i < 5; ++i) {
        TBytes b;
        b.U16(220);
        b.U16(0);
        b.U16(0x7FFF);
        b.U16(400);
        b.U16(0);
        b.U8(0);
        b.U8(0);
        b.U8(0x80); // Shift-JIS character set
        b.U8(0);
        const QString name = QStringLiteral("ＭＳ Ｐゴシック");
        b.Data += UnicodeString(name, false);
        g.Record(0x0031, b.Data);
    }
    {
        TBytes b;
        b.U16(kFmtDate);
        b.Data += UnicodeString(QStringLiteral("yyyy/mm/dd hh:mm:ss"), true);
        g.Record(0x041E, b.Data); // FORMAT
    }
    for (int i = 0; i < 15; ++i) g.Record(0x00E0, Xf(0, 0, true, i == 0 ? 0x00 : 0xF4));
    g.Record(0x00E0, Xf(0, 0, false, 0x00));
    g.Record(0x00E0, Xf(0, 49, false, 0x04)); // "@"
    g.Record(0x00E0, Xf(0, kFmtDate, false, 0x04));
    {
        TBytes b;
        b.U16(0x8000);
        b.U8(0);
        b.U8(0xFF);
        g.Record(0x0293, b.Data); // STYLE "Normal"
    }
    // BOUNDSHEET: its sheet offset is patched once the globals are complete.
    const qsizetype boundSheetPos = g.Data.size();
    {
        TBytes b;
        b.U32(0);
        b.U8(0);
        b.U8(0);
        b.Data += UnicodeString(FSheetName, false);
        g.Record(0x0085, b.Data);
    }
    WriteSst(g, FSst, FSstTotal, g.Data.size());
    g.Record(0x000A, {});
    qToLittleEndian(quint32(g.Data.size()), g.Data.data() + boundSheetPos + 4);

    TBytes s;
    bof(s, 0x0010);
    {
        TBytes b;
        b.U32(0);
        b.U32(quint32(FMaxRow + 1));
        b.U16(0);
        b.U16(quint16(FMaxCol + 1));
        b.U16(0);
        s.Record(0x0200, b.Data); // DIMENSIONS
    }
    for (const auto& [col, c] : FColumns) {
        TBytes b;
        b.U16(quint16(col));
        b.U16(quint16(col));
        b.U16(quint16(qBound(0.0, c.Width, 255.0) * 256));
        b.U16(c.Text ? kXfText : kXfDefault);
        b.U16(0);
        b.U16(0);
        s.Record(0x007D, b.Data); // COLINFO
    }
    s.Data += FCells;
    {
        TBytes b;
        b.U16(0x06B6);
        b.U16(0);
        b.U16(0);
        b.U32(0x40);
        b.U16(0);
        b.U16(0);
        b.U32(0);
        s.Record(0x023E, b.Data); // WINDOW2
    }
    s.Record(0x000A, {});
    QByteArray stream = g.Data + s.Data;
    // Streams under 4096 bytes would belong in the mini stream; padding keeps
    // the container simple.
    if (stream.size() < 4096) stream.append(QByteArray(4096 - stream.size(), '\0'));
    return stream;
}

QByteArray TXlsWriter::CompoundFile(const QByteArray& workbook)
{
    constexpr quint32 kSector = 512;
    constexpr quint32 kFree = 0xFFFFFFFF, kEnd = 0xFFFFFFFE, kFatSect = 0xFFFFFFFD, kDifSect = 0xFFFFFFFC;
    const quint32 dataSectors = quint32((workbook.size() + kSector - 1) / kSector);
    // Sectors: data, one directory sector, FAT sectors, DIFAT sectors.
    quint32 fat = 1, difat = 0;
    for (;;) {
        const quint32 total = dataSectors + 1 + fat + difat;
        const quint32 needFat = (total + 127) / 128;
        const quint32 needDifat = needFat > 109 ? (needFat - 109 + 126) / 127 : 0;
        if (needFat == fat && needDifat == difat) break;
        fat = needFat;
        difat = needDifat;
    }
    const quint32 dirSector = dataSectors;
    const quint32 firstFat = dirSector + 1;
    const quint32 firstDifat = firstFat + fat;

    std::vector<quint32> table(size_t(fat) * 128, kFree);
    for (quint32 i = 0; i < dataSectors; ++i) table[i] = i + 1 < dataSectors ? i + 1 : kEnd;
    table[dirSector] = kEnd;
    for (quint32 i = 0; i < fat; ++i) table[firstFat + i] = kFatSect;
    for (quint32 i = 0; i < difat; ++i) table[firstDifat + i] = kDifSect;

    TBytes h;
    const unsigned char sig[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    h.Data.append(reinterpret_cast<const char*>(sig), 8);
    h.Data.append(QByteArray(16, '\0'));
    h.U16(0x003E);
    h.U16(0x0003);
    h.U16(0xFFFE);
    h.U16(9);
    h.U16(6);
    h.Data.append(QByteArray(6, '\0'));
    h.U32(0);
    h.U32(fat);
    h.U32(dirSector);
    h.U32(0);
    h.U32(4096);
    h.U32(kEnd);
    h.U32(0);
    h.U32(difat ? firstDifat : kEnd);
    h.U32(difat);
    for (quint32 i = 0; i < 109; ++i) h.U32(i < fat ? firstFat + i : kFree);

    QByteArray out = h.Data;
    out.reserve(qsizetype(firstDifat + difat + 1) * kSector);
    out += workbook;
    out.append(QByteArray(qsizetype(dataSectors) * kSector - workbook.size(), '\0'));

    auto entry = [](const QString& name, quint8 type, quint32 child, quint32 start, quint32 size) {
        TBytes e;
        QByteArray n(64, '\0');
        for (int i = 0; i < name.size(); ++i) qToLittleEndian(quint16(name.at(i).unicode()), n.data() + 2 * i);
        e.Data += n;
        e.U16(name.isEmpty() ? 0 : quint16(2 * (name.size() + 1)));
        e.U8(type);
        e.U8(1);
        e.U32(0xFFFFFFFF);
        e.U32(0xFFFFFFFF);
        e.U32(child);
        e.Data.append(QByteArray(16 + 4 + 16, '\0'));
        e.U32(start);
        e.U32(size);
        e.U32(0);
        return e.Data;
    };
    out += entry(QStringLiteral("Root Entry"), 5, 1, kEnd, 0);
    out += entry(QStringLiteral("Workbook"), 2, 0xFFFFFFFF, 0, quint32(workbook.size()));
    out += entry(QString(), 0, 0xFFFFFFFF, 0, 0);
    out += entry(QString(), 0, 0xFFFFFFFF, 0, 0);

    TBytes f;
    for (quint32 v : table) f.U32(v);
    out += f.Data;
    for (quint32 d = 0; d < difat; ++d) {
        TBytes b;
        for (quint32 i = 0; i < 127; ++i) {
            const quint32 k = 109 + d * 127 + i;
            b.U32(k < fat ? firstFat + k : kFree);
        }
        b.U32(d + 1 < difat ? firstDifat + d + 1 : kEnd);
        out += b.Data;
    }
    return out;
}

void TXlsWriter::Save()
{
    const QByteArray file = CompoundFile(WorkbookStream());
    QSaveFile f(FPath);
    if (!f.open(QIODevice::WriteOnly) || f.write(file) != file.size() || !f.commit())
        throw EExportError(QStringLiteral("ファイルを書き込めませんでした。\r\n") + FPath + QStringLiteral("\r\n") +
                           f.errorString());
}
