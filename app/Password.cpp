#include "Password.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>
#include <QStringList>

namespace zq {
namespace {

constexpr int kIterations = 100000;
constexpr int kSaltBytes = 16;
const QString kScheme = QStringLiteral("pbkdf2-sha256");

// PBKDF2-HMAC-SHA256 with one output block (32 bytes).
QByteArray pbkdf2(const QByteArray& password, const QByteArray& salt, int iterations)
{
    QMessageAuthenticationCode mac(QCryptographicHash::Sha256, password);
    mac.addData(salt);
    mac.addData(QByteArray("\x00\x00\x00\x01", 4));
    QByteArray u = mac.result();
    QByteArray out = u;
    for (int i = 1; i < iterations; ++i) {
        mac.reset();
        mac.addData(u);
        u = mac.result();
        for (int j = 0; j < out.size(); ++j)
            out[j] = static_cast<char>(out[j] ^ u[j]);
    }
    return out;
}

bool sameBytes(const QByteArray& a, const QByteArray& b)
{
    if (a.size() != b.size())
        return false;
    unsigned char diff = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

} // namespace

QString hashPassword(const QString& password)
{
    QByteArray salt(kSaltBytes, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(salt.data()), kSaltBytes / 4);
    const QByteArray hash = pbkdf2(password.trimmed().toUtf8(), salt, kIterations);
    return QStringLiteral("%1$%2$%3$%4")
        .arg(kScheme)
        .arg(kIterations)
        .arg(QString::fromLatin1(salt.toBase64()), QString::fromLatin1(hash.toBase64()));
}

bool verifyPassword(const QString& password, const QString& stored)
{
    const QString s = stored.trimmed();
    const QStringList parts = s.split(u'$');
    bool ok = false;
    const int iterations = parts.size() == 4 ? parts[1].toInt(&ok) : 0;
    if (parts.size() != 4 || parts[0] != kScheme || !ok || iterations < 1 || iterations > 10000000)
        return password.trimmed() == s;
    const QByteArray salt = QByteArray::fromBase64(parts[2].toLatin1());
    const QByteArray want = QByteArray::fromBase64(parts[3].toLatin1());
    return sameBytes(pbkdf2(password.trimmed().toUtf8(), salt, iterations), want);
}

} // namespace zq
