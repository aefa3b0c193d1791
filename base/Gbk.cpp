#include "Gbk.h"

#include <QStringConverter>
#include <QStringList>

namespace zq {

namespace {

bool isAscii(QStringView text)
{
    for (QChar c : text)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

// Looking a converter up by name is costly; one per thread is kept.
QStringEncoder& gbkEncoder()
{
    thread_local QStringEncoder enc("GBK", QStringConverter::Flag::Stateless);
    enc.resetState();
    return enc;
}

QStringDecoder& gbkDecoder()
{
    thread_local QStringDecoder dec("GBK", QStringConverter::Flag::Stateless);
    dec.resetState();
    return dec;
}

} // namespace

QByteArray toGbk(QStringView text, bool* lossy)
{
    if (lossy)
        *lossy = false;
    if (isAscii(text))
        return text.toLatin1();
    QStringEncoder& enc = gbkEncoder();
    QByteArray out = enc.encode(text);
    if (lossy)
        *lossy = enc.hasError();
    return out;
}

QString fromGbk(QByteArrayView bytes)
{
    // GBK lead bytes are 0x81..0xFE; the decoder would swallow a lead byte
    // that has no trail byte, so it is handled here as a character of its own.
    qsizetype n = bytes.size();
    bool loneLead = false;
    for (qsizetype i = 0; i < n;) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b >= 0x81 && b <= 0xFE) {
            if (i + 1 >= n) {
                loneLead = true;
                break;
            }
            i += 2;
        } else {
            ++i;
        }
    }
    const QByteArrayView body = loneLead ? bytes.first(n - 1) : bytes;
    bool ascii = true;
    for (char c : body)
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    QString s = ascii ? QString::fromLatin1(body) : QString(gbkDecoder().decode(body));
    if (loneLead)
        s.append(QChar(QChar::ReplacementCharacter));
    return s;
}

int gbkLength(QStringView text)
{
    int n = 0;
    for (qsizetype i = 0; i < text.size(); i = nextChar(text, i))
        n += gbkWidth(text[i].unicode());
    return n;
}

qsizetype nextChar(QStringView text, qsizetype i)
{
    if (i + 1 < text.size() && text[i].isHighSurrogate() && text[i + 1].isLowSurrogate())
        return i + 2;
    return i + 1;
}

QStringList characters(QStringView text)
{
    QStringList out;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype j = nextChar(text, i);
        out.append(text.mid(i, j - i).toString());
        i = j;
    }
    return out;
}

QString leftBytes(QStringView text, int maxBytes)
{
    int used = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const int w = gbkWidth(text[i].unicode());
        if (used + w > maxBytes)
            break;
        used += w;
        i = nextChar(text, i);
    }
    return text.first(i).toString();
}

QString asciiUpper(QStringView text)
{
    QString s = text.toString();
    for (QChar& c : s)
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - 32);
    return s;
}

QString asciiLower(QStringView text)
{
    QString s = text.toString();
    for (QChar& c : s)
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + 32);
    return s;
}

bool sameTextAscii(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a[i].unicode(), y = b[i].unicode();
        if (x >= u'a' && x <= u'z')
            x -= 32;
        if (y >= u'a' && y <= u'z')
            y -= 32;
        if (x != y)
            return false;
    }
    return true;
}

} // namespace zq
