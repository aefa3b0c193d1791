#include "ByteStream.h"

#include "Error.h"
#include "Gbk.h"

#include <QtEndian>
#include <cmath>
#include <cstring>
#include <limits>

namespace zq {

double ext80ToDouble(const unsigned char b[10])
{
    std::uint64_t mant = 0;
    for (int i = 7; i >= 0; --i)
        mant = (mant << 8) | b[i];
    const int se = b[8] | (b[9] << 8);
    const bool neg = se & 0x8000;
    const int exp = se & 0x7FFF;
    double v;
    if (exp == 0 && mant == 0) {
        v = 0.0;
    } else if (exp == 0x7FFF) {
        v = (mant << 1) == 0 ? std::numeric_limits<double>::infinity()
                             : std::numeric_limits<double>::quiet_NaN();
    } else {
        // The 64-bit mantissa has its integer bit explicit; the conversion to
        // double rounds to nearest even, then the scaling is exact.
        v = std::ldexp(static_cast<double>(mant), exp - 16383 - 63);
    }
    return neg ? -v : v;
}

void doubleToExt80(double v, unsigned char b[10])
{
    std::uint64_t mant = 0;
    int se = std::signbit(v) ? 0x8000 : 0;
    if (std::isnan(v)) {
        se |= 0x7FFF;
        mant = 0xC000000000000000ull;
    } else if (std::isinf(v)) {
        se |= 0x7FFF;
        mant = 0x8000000000000000ull;
    } else if (v != 0.0) {
        int e = 0;
        const double f = std::frexp(std::fabs(v), &e); // f in [0.5, 1)
        mant = static_cast<std::uint64_t>(std::ldexp(f, 64));
        se |= (e - 1 + 16383);
    }
    for (int i = 0; i < 8; ++i)
        b[i] = static_cast<unsigned char>(mant >> (8 * i));
    b[8] = static_cast<unsigned char>(se & 0xFF);
    b[9] = static_cast<unsigned char>(se >> 8);
}

const char* ByteReader::take(qsizetype n)
{
    if (n < 0 || n > remaining())
        throw Error(QStringLiteral("读取数据出错：数据不完整或已损坏"));
    const char* p = m_data.data() + m_pos;
    m_pos += n;
    return p;
}

std::uint8_t ByteReader::u8() { return static_cast<std::uint8_t>(*take(1)); }
std::uint16_t ByteReader::u16() { return qFromLittleEndian<quint16>(take(2)); }
std::int32_t ByteReader::i32() { return qFromLittleEndian<qint32>(take(4)); }
std::uint32_t ByteReader::u32() { return qFromLittleEndian<quint32>(take(4)); }
std::int64_t ByteReader::i64() { return qFromLittleEndian<qint64>(take(8)); }

float ByteReader::f32()
{
    const quint32 bits = qFromLittleEndian<quint32>(take(4));
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

double ByteReader::f64()
{
    const quint64 bits = qFromLittleEndian<quint64>(take(8));
    double d;
    std::memcpy(&d, &bits, 8);
    return d;
}

double ByteReader::ext80()
{
    return ext80ToDouble(reinterpret_cast<const unsigned char*>(take(10)));
}

QByteArray ByteReader::rawStr()
{
    const std::int32_t n = i32();
    if (n <= 0)
        return {};
    return QByteArray(take(n), n);
}

QString ByteReader::str()
{
    const std::int32_t n = i32();
    if (n <= 0)
        return {};
    return fromGbk(QByteArrayView(take(n), n));
}

QByteArray ByteReader::bytes(std::int64_t n)
{
    if (n < 0 || n > remaining())
        take(-1);
    return QByteArray(take(static_cast<qsizetype>(n)), static_cast<qsizetype>(n));
}

void ByteReader::skip(std::int64_t n)
{
    if (n < 0 || n > remaining())
        take(-1);
    take(static_cast<qsizetype>(n));
}

std::int32_t ByteReader::count(int minRecordBytes)
{
    const std::int32_t n = i32();
    if (n < 0 || static_cast<std::int64_t>(n) * minRecordBytes > remaining())
        throw Error(QStringLiteral("读取数据出错：记录数目 %1 与数据长度不符").arg(n));
    return n;
}

void ByteWriter::u16(std::uint16_t v)
{
    char b[2];
    qToLittleEndian<quint16>(v, b);
    m_data.append(b, 2);
}

void ByteWriter::i32(std::int32_t v)
{
    char b[4];
    qToLittleEndian<qint32>(v, b);
    m_data.append(b, 4);
}

void ByteWriter::u32(std::uint32_t v)
{
    char b[4];
    qToLittleEndian<quint32>(v, b);
    m_data.append(b, 4);
}

void ByteWriter::i64(std::int64_t v)
{
    char b[8];
    qToLittleEndian<qint64>(v, b);
    m_data.append(b, 8);
}

void ByteWriter::f32(float v)
{
    quint32 bits;
    std::memcpy(&bits, &v, 4);
    u32(bits);
}

void ByteWriter::f64(double v)
{
    quint64 bits;
    std::memcpy(&bits, &v, 8);
    i64(static_cast<std::int64_t>(bits));
}

void ByteWriter::ext80(double v)
{
    unsigned char b[10];
    doubleToExt80(v, b);
    m_data.append(reinterpret_cast<const char*>(b), 10);
}

bool ByteWriter::str(QStringView s)
{
    bool lossy = false;
    const QByteArray g = toGbk(s, &lossy);
    rawStr(g);
    m_lossy = m_lossy || lossy;
    return !lossy;
}

void ByteWriter::rawStr(QByteArrayView gbk)
{
    i32(static_cast<std::int32_t>(gbk.size()));
    m_data.append(gbk);
}

} // namespace zq
