#pragma once
// Helpers shared by the input-item tests: property snapshots, a fill-every-
// field visitor, stream and clipboard round trips, a counting host.
#include "base/ByteStream.h"
#include "base/Error.h"
#include "model/ZqTemplate.h"

#include <QMap>
#include <QString>
#include <memory>
#include <string>

namespace itest {

inline QString u8(const char* s) { return QString::fromUtf8(s); }
inline std::string str(const QString& s) { return s.toStdString(); }

// Every stored property of an item by name, as text.
class Snapshot : public TZqPropVisitor {
public:
    QMap<QString, QString> props;
    void i32(const char* n, int& v) override { props[QLatin1String(n)] = QString::number(v); }
    void u8(const char* n, quint8& v) override { props[QLatin1String(n)] = QString::number(v); }
    void color(const char* n, quint32& v) override { props[QLatin1String(n)] = QString::number(v); }
    void real(const char* n, double& v) override { props[QLatin1String(n)] = QString::number(v, 'g', 17); }
    void text(const char* n, QString& v) override { props[QLatin1String(n)] = v; }
};

inline QMap<QString, QString> snapshot(TZqItem& item)
{
    Snapshot s;
    item.VisitProps(s);
    return s.props;
}

// Gives every property a distinct value that is not its default.
class Filler : public TZqPropVisitor {
public:
    int next = 3;
    void i32(const char*, int& v) override { v = 1000 + next++; }
    void u8(const char*, quint8& v) override { v = static_cast<quint8>(1 + next++ % 200); }
    void color(const char*, quint32& v) override { v = 0x00102030u + static_cast<quint32>(next++); }
    void real(const char*, double& v) override { v = -7.25 - next++; }
    void text(const char* n, QString& v) override
    {
        v = QStringLiteral("%1-文%2").arg(QLatin1String(n)).arg(next++);
    }
};

// A fully set item of a kind, its values still in range where readers clamp them.
inline std::unique_ptr<TZqItem> fullySet(int kind)
{
    std::unique_ptr<TZqItem> item = CreateItem(kind, true);
    Filler f;
    item->VisitProps(f);
    Snapshot probe;
    item->VisitProps(probe);
    if (probe.props.contains(QStringLiteral("Decimal"))) {
        struct FixDecimal : TZqPropVisitor {
            void i32(const char* n, int& v) override { if (QLatin1String(n) == QLatin1String("Decimal")) v = 4; }
            void u8(const char*, quint8&) override {}
            void color(const char*, quint32&) override {}
            void real(const char*, double&) override {}
            void text(const char*, QString&) override {}
        } fix;
        item->VisitProps(fix);
    }
    return item;
}

inline QByteArray streamBytes(const TZqItem& item)
{
    zq::ByteWriter w;
    item.WriteStreamFull(w);
    return w.take();
}

inline std::unique_ptr<TZqItem> readStream(int kind, const QByteArray& bytes, int version, bool full = true)
{
    std::unique_ptr<TZqItem> item = CreateItem(kind, false);
    zq::ByteReader r(bytes);
    if (full)
        item->ReadStreamFull(r, version);
    else
        item->ReadRecord(r, version);
    if (!r.atEnd())
        throw zq::Error(QStringLiteral("%1 bytes left over").arg(r.remaining()));
    return item;
}

inline QByteArray clipBytes(const TZqItem& item)
{
    zq::ByteWriter w;
    item.WriteClip(w);
    item.WriteClipTail(w);
    return w.take();
}

inline std::unique_ptr<TZqItem> readClip(int kind, const QByteArray& bytes)
{
    std::unique_ptr<TZqItem> item = CreateItem(kind, false);
    zq::ByteReader r(bytes);
    item->ReadClip(r);
    item->ReadClipTail(r);
    if (!r.atEnd())
        throw zq::Error(QStringLiteral("%1 bytes left over").arg(r.remaining()));
    return item;
}

// A data-entry host that counts value notifications.
class CountingHost : public TZQBPCtrlBase {
public:
    int changes = 0;
    TZqHostKind HostKind() const override { return TZqHostKind::DataEntry; }
    void InvalidateItemRect(const QRect&, bool) override {}
    void ItemValueChanged(TZqItem*, int, int) override { ++changes; }
    void Relayout() override {}
};

// The message of the zq::Error that `f` throws, or "(no error)".
template <typename F>
std::string errorOf(F f)
{
    try {
        f();
    } catch (const zq::Error& e) {
        return str(e.message());
    }
    return "(no error)";
}

} // namespace itest
