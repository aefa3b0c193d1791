#include "Base64.h"

namespace zq {

QByteArray mimeBase64Encode(QByteArrayView data)
{
    const QByteArray plain = data.toByteArray().toBase64();
    QByteArray out;
    out.reserve(plain.size() + plain.size() / 76 * 2 + 2);
    for (qsizetype i = 0; i < plain.size(); i += 76) {
        out.append(plain.mid(i, 76));
        if (i + 76 <= plain.size())
            out.append("\r\n", 2);
    }
    return out;
}

std::optional<QByteArray> mimeBase64Decode(QByteArrayView text)
{
    QByteArray clean;
    clean.reserve(text.size());
    for (char c : text)
        if (c != '\r' && c != '\n')
            clean.append(c);
    auto r = QByteArray::fromBase64Encoding(clean, QByteArray::AbortOnBase64DecodingErrors);
    if (!r)
        return std::nullopt;
    return r.decoded;
}

} // namespace zq
