#include "field_check_u.h"

#include "cp932_u.h"
#include "msg_u.h"

namespace FieldCheck {
bool Storable(const QString& caption, const QString& text, int maxBytes, QWidget* parent)
{
    QByteArray bytes;
    QString bad;
    if (!Cp932::TryEncode(text, &bytes, &bad)) {
        Msg::Warn(QStringLiteral("「%1」に登録できない文字「%2」があります。").arg(caption, bad), parent);
        return false;
    }
    if (maxBytes > 0 && bytes.size() > maxBytes) {
        Msg::Warn(QStringLiteral("「%1」が長すぎます。半角%2文字（全角%3文字）以内で入力してください。")
                      .arg(caption)
                      .arg(maxBytes)
                      .arg(maxBytes / 2),
                  parent);
        return false;
    }
    return true;
}
} // namespace FieldCheck
