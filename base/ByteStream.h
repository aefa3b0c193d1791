#pragma once
// Little-endian readers and writers for the binary formats: every count and
// length is checked against the bytes left, so a short or damaged file fails
// with an error instead of reading past its end.
#include <QByteArray>
#include <QString>
#include <cstdint>

namespace zq {

// 10-byte x87 extended precision <-> double, by bits (host-independent).
double ext80ToDouble(const unsigned char bytes[10]);
void doubleToExt80(double v, unsigned char bytes[10]);

class ByteReader {
public:
    explicit ByteReader(QByteArrayView data) : m_data(data) {}

    std::uint8_t u8();
    std::uint16_t u16();
    std::int32_t i32();
    std::uint32_t u32();
    std::int64_t i64();
    float f32();
    double f64();
    double ext80();
    // i32 byte count, then that many GBK bytes; a count <= 0 is the empty text.
    QString str();
    // The raw bytes of a string field, undecoded.
    QByteArray rawStr();
    QByteArray bytes(std::int64_t n);
    void skip(std::int64_t n);
    // A count of records, each at least minRecordBytes long, checked against the bytes left.
    std::int32_t count(int minRecordBytes = 1);

    qsizetype pos() const { return m_pos; }
    qsizetype remaining() const { return m_data.size() - m_pos; }
    bool atEnd() const { return m_pos >= m_data.size(); }

private:
    const char* take(qsizetype n);

    QByteArrayView m_data;
    qsizetype m_pos = 0;
};

class ByteWriter {
public:
    void u8(std::uint8_t v) { m_data.append(static_cast<char>(v)); }
    void u16(std::uint16_t v);
    void i32(std::int32_t v);
    void u32(std::uint32_t v);
    void i64(std::int64_t v);
    void f32(float v);
    void f64(double v);
    void ext80(double v);
    // Returns false when the text had characters GBK cannot hold (written as "?").
    bool str(QStringView s);
    void rawStr(QByteArrayView gbk);
    void bytes(QByteArrayView b) { m_data.append(b); }

    const QByteArray& data() const { return m_data; }
    QByteArray take() { return std::move(m_data); }
    qsizetype size() const { return m_data.size(); }
    // Some text written had characters GBK cannot hold.
    bool lossy() const { return m_lossy; }

private:
    QByteArray m_data;
    bool m_lossy = false;
};

} // namespace zq
