#pragma once
// The tables of preset data that items and grid cells can be bound to, with
// their columns; filled by the host before the designer opens, never stored.
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class TZqDataSource {
public:
    explicit TZqDataSource(const QString& name) : Name(name) {}
    QString Name;
    QStringList Fields;

    void AddField(const QString& name) { Fields.append(name); }
    int FieldCount() const { return static_cast<int>(Fields.size()); }
    const QString& Field(int i) const { return Fields.at(i); }
};

class TZqDataSources {
public:
    TZqDataSource* Add(const QString& name);
    void Clear() { m_items.clear(); }
    int Count() const { return static_cast<int>(m_items.size()); }
    TZqDataSource* Item(int i) const;
    // The entry whose name matches ignoring ASCII letter case; nullptr when none.
    TZqDataSource* Find(const QString& name) const;

    // The query that reads one row of a table for its columns; the name is
    // bracketed so that names with spaces or reserved words stay one name.
    static QString ColumnQuery(const QString& table);
    // Adds a table as the main window lists it: the name and its columns
    // upper-cased, columns beginning with "SYS_" left out.
    TZqDataSource* AddTable(const QString& table, const QStringList& columns);

private:
    std::vector<std::unique_ptr<TZqDataSource>> m_items;
};
