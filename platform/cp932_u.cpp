#include "cp932_u.h"

#include <QList>
#include <QStringDecoder>
#include <QStringEncoder>
#include <stdexcept>

namespace {
constexpr char kCodec[] = "windows-31j";

// Unicode forms that Windows writes for the same CP932 bytes.
QString ToWindowsForms(QString s)
{
    s.replace(QChar(0x301C), QChar(0xFF5E)); // wave dash -> fullwidth tilde
    s.replace(QChar(0x2212), QChar(0xFF0D)); // minus sign -> fullwidth hyphen-minus
    s.replace(QChar(0x2016), QChar(0x2225)); // double vertical line -> parallel to
    s.replace(QChar(0x00A2), QChar(0xFFE0));
    s.replace(QChar(0x00A3), QChar(0xFFE1));
    s.replace(QChar(0x00AC), QChar(0xFFE2));
    return s;
}

QString DescribeChar(const QString& c)
{
    const uint code = c.isEmpty() ? 0 : c.toUcs4().value(0);
    return QStringLiteral("「%1」(U+%2)").arg(c, QStringLiteral("%1").arg(code, 4, 16, QLatin1Char('0')).toUpper());
}
} // namespace

ECp932Error::ECp932Error(const QString& badChar)
    : std::runtime_error(QStringLiteral("文字%1はShift-JIS(CP932)で保存できません。").arg(DescribeChar(badChar)).toStdString()),
      BadChar(badChar)
{
}

namespace Cp932 {

bool TryEncode(const QString& text, QByteArray* out, QString* badChar)
{
    bool ascii = true;
    for (const QChar c : text)
        if (c.unicode() >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii) {
        if (out) *out = text.toLatin1();
        return true;
    }
    const QString src = ToWindowsForms(text);
    QStringEncoder enc(kCodec, QStringConverter::Flag::Stateless);
    if (!enc.isValid()) throw std::runtime_error("windows-31j codec unavailable");
    // Encode character by character only on failure, to name the culprit.
    QByteArray bytes = enc.encode(src);
    if (!enc.hasError()) {
        if (out) *out = bytes;
        return true;
    }
    for (qsizetype i = 0; i < src.size(); ++i) {
        const qsizetype n = (src.at(i).isHighSurrogate() && i + 1 < src.size()) ? 2 : 1;
        const QString ch = src.mid(i, n);
        QStringEncoder one(kCodec, QStringConverter::Flag::Stateless);
        // encode() is lazy: only the conversion to bytes runs the encoder.
        [[maybe_unused]] const QByteArray bytes = one.encode(ch);
        if (one.hasError()) {
            if (badChar) *badChar = ch;
            return false;
        }
        i += n - 1;
    }
    if (badChar) badChar->clear();
    return false;
}

QByteArray Encode(const QString& text)
{
    QByteArray out;
    QString bad;
    if (!TryEncode(text, &out, &bad)) throw ECp932Error(bad);
    return out;
}

QString Decode(const QByteArray& bytes)
{
    // Most stored text (numbers, ids, flags) is ASCII: skip the converter.
    bool ascii = true;
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii) return QString::fromLatin1(bytes);
    // Opening the converter costs more than decoding a row: keep one.
    thread_local QStringDecoder dec(kCodec, QStringConverter::Flag::Stateless);
    return dec.decode(bytes);
}

qsizetype ByteLength(const QString& text)
{
    QByteArray out;
    return TryEncode(text, &out) ? out.size() : -1;
}

} // namespace Cp932
