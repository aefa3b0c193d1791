#include "DataSources.h"

#include "base/Gbk.h"

TZqDataSource* TZqDataSources::Add(const QString& name)
{
    m_items.push_back(std::make_unique<TZqDataSource>(name));
    return m_items.back().get();
}

TZqDataSource* TZqDataSources::Item(int i) const
{
    return i >= 0 && i < Count() ? m_items[static_cast<size_t>(i)].get() : nullptr;
}

TZqDataSource* TZqDataSources::Find(const QString& name) const
{
    for (const auto& d : m_items)
        if (zq::sameTextAscii(d->Name, name))
            return d.get();
    return nullptr;
}

QString TZqDataSources::ColumnQuery(const QString& table)
{
    QString quoted = table;
    quoted.replace(u']', QStringLiteral("]]"));
    return QStringLiteral("select top 1 * from [%1]").arg(quoted);
}

TZqDataSource* TZqDataSources::AddTable(const QString& table, const QStringList& columns)
{
    TZqDataSource* d = Add(zq::asciiUpper(table));
    for (const QString& c : columns) {
        const QString u = zq::asciiUpper(c);
        if (!u.startsWith(QStringLiteral("SYS_")))
            d->AddField(u);
    }
    return d;
}
