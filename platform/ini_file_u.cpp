#include "ini_file_u.h"

#include "cp932_u.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringList>
#include <optional>
#include <stdexcept>

namespace {

struct TParsed
{
    QStringList lines;      // without line ends
    bool bom = false;
    bool cp932 = false;     // a file written on Windows in its code page
    QString eol = QStringLiteral("\n");
};

TParsed ReadLines(const QString& fileName)
{
    TParsed p;
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly)) return p;
    QByteArray data = f.readAll();
    if (data.startsWith("\xEF\xBB\xBF")) {
        p.bom = true;
        data.remove(0, 3);
    }
    if (data.contains("\r\n")) p.eol = QStringLiteral("\r\n");
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(data);
    // A file that is not UTF-8 comes from a Windows installation: CP932.
    p.cp932 = utf8.hasError();
    if (p.cp932) text = Cp932::Decode(data);
    p.lines = text.split(QLatin1Char('\n'));
    for (QString& l : p.lines)
        if (l.endsWith(QLatin1Char('\r'))) l.chop(1);
    if (!p.lines.isEmpty() && p.lines.last().isEmpty()) p.lines.removeLast();
    return p;
}

// Name of a "[section]" line, or nullopt for any other line.
std::optional<QString> SectionName(const QString& line)
{
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('['))) return std::nullopt;
    const qsizetype close = t.indexOf(QLatin1Char(']'));
    if (close < 0) return std::nullopt;
    return t.mid(1, close - 1).trimmed();
}

// Key of a "key=value" line; comments and lines without "=" have none.
std::optional<QString> KeyName(const QString& line, QString* value = nullptr)
{
    const QString t = line.trimmed();
    if (t.isEmpty() || t.startsWith(QLatin1Char(';'))) return std::nullopt;
    const qsizetype eq = t.indexOf(QLatin1Char('='));
    if (eq <= 0) return std::nullopt;
    if (value) *value = t.mid(eq + 1).trimmed();
    return t.left(eq).trimmed();
}

bool SameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Index range [begin, end) of the first section named so; begin = -1 if none.
std::pair<qsizetype, qsizetype> FindSection(const QStringList& lines, const QString& section)
{
    qsizetype begin = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const auto name = SectionName(lines[i]);
        if (!name) continue;
        if (begin >= 0) return {begin, i};
        if (SameName(*name, section)) begin = i + 1;
    }
    return {begin, lines.size()};
}

std::optional<std::pair<qsizetype, QString>> FindKey(const QStringList& lines, const QString& section,
                                                     const QString& key)
{
    const auto [begin, end] = FindSection(lines, section);
    if (begin < 0) return std::nullopt;
    for (qsizetype i = begin; i < end; ++i) {
        QString value;
        const auto name = KeyName(lines[i], &value);
        if (name && SameName(*name, key)) return std::make_pair(i, value);
    }
    return std::nullopt;
}

// A value is one line: line breaks would split the entry.
QString OneLine(QString v)
{
    v.replace(QLatin1String("\r\n"), QLatin1String(" "));
    v.replace(QLatin1Char('\r'), QLatin1Char(' '));
    v.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return v;
}

} // namespace

TIniFile::TIniFile(QString fileName) : FFileName(std::move(fileName)) {}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& def) const
{
    const auto found = FindKey(ReadLines(FFileName).lines, section, key);
    return found ? found->second : def;
}

bool TIniFile::ValueExists(const QString& section, const QString& key) const
{
    return FindKey(ReadLines(FFileName).lines, section, key).has_value();
}

void TIniFile::WriteString(const QString& section, const QString& key, const QString& value) const
{
    TParsed p = ReadLines(FFileName);
    const QString entryValue = OneLine(value);
    if (const auto found = FindKey(p.lines, section, key)) {
        const QString existingKey = *KeyName(p.lines[found->first]);
        p.lines[found->first] = existingKey + QLatin1Char('=') + entryValue;
    } else {
        const auto [begin, end] = FindSection(p.lines, section);
        const QString entry = key + QLatin1Char('=') + entryValue;
        if (begin < 0) {
            p.lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
            p.lines.append(entry);
        } else {
            // After the section's last non-blank line, so blank separators stay put.
            qsizetype at = end;
            while (at > begin && p.lines[at - 1].trimmed().isEmpty()) --at;
            p.lines.insert(at, entry);
        }
    }
    QByteArray out;
    if (p.bom) out += "\xEF\xBB\xBF";
    // Written back in the encoding it had; a character CP932 lacks is an
    // error (ECp932Error), never a silent replacement.
    for (const QString& l : p.lines) {
        out += p.cp932 ? Cp932::Encode(l) : l.toUtf8();
        out += p.eol.toLatin1();
    }
    QSaveFile f(FFileName);
    if (!f.open(QIODevice::WriteOnly) || f.write(out) != out.size() || !f.commit())
        throw std::runtime_error(QStringLiteral("%1: %2").arg(FFileName, f.errorString()).toStdString());
}
