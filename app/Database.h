#pragma once
// The local database: one SQLite file "Data.db" in the data folder, reached
// through QtSql over one process-wide connection.
//
// SQL text never contains a value: every value is bound ("?") and an
// identifier taken from data (a preset table's name) goes through quoteName.
// Values written through insert/update are converted by the declared type of
// their column, and a value that does not convert is an error, so a bad cell
// stops an import instead of being stored as something else.
//
// Stored forms: date-times are REAL day counts from 1899-12-30 (the system's
// own date representation), booleans 0/1, decimals REAL rounded to their
// scale. Text columns compare without letter case (COLLATE NOCASE), and LIKE
// ignores ASCII case with "%" and "_" as wildcards.
//
// Statements keep the bracketed names ([User], [PrtInfo.id], [金额]); a date
// literal #y-m-d# becomes a bound day count (QDate or a SerialRange bound),
// True/False a bound bool, "top 1" a trailing "limit 1", Left(x, n)
// substr(x, 1, n).
#include <QDate>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <optional>
#include <utility>

namespace zq {

enum class ColumnType { Autonumber, Integer, Double, Decimal, DateTime, Boolean, Text, Any };

struct Column {
    QString name;
    QString declaredType;
    ColumnType type = ColumnType::Any;
    int width = 0;                    // Text: at most this many characters; 0 means no limit
    int precision = 0, scale = 0;     // Decimal(precision, scale)
};

// The column as its declared SQL type describes it (SQLite's own naming rules,
// plus BOOLEAN/DATETIME/DECIMAL(p,s)); an integer primary key is an autonumber.
Column columnOfDeclaredType(const QString& name, const QString& declaredType, bool primaryKey = false);

// Converts a value to what the column stores (a null stays null; an empty or
// blank text is null in a non-text column). Throws zq::Error naming the
// column when the value does not convert, is out of range or too long.
// Booleans accept true/false, numbers (0 false) and the texts "True"/"False"
// in any case and "-1"/"0"; date-times accept QDate, QDateTime, day counts
// and the texts of parseDbDateTimeText.
QVariant toColumnValue(const Column& column, const QVariant& value);

// "yyyy-mm-dd" (also "/", unpadded numbers allowed), optionally followed by a
// blank or "T" and "hh:nn[:ss[.zzz]]", as a day count; nullopt when not one.
std::optional<double> parseDbDateTimeText(QStringView text);

// Half-open day-count ranges [from, to) of the search periods.
struct SerialRange {
    double from = 0, to = 0;
};
SerialRange yearRange(const QDate& day);
SerialRange monthRange(const QDate& day); // December ends at the next year's January 1
SerialRange dayRange(const QDate& day);
SerialRange daysRange(const QDate& first, const QDate& last); // both days included

// A condition of several lines joined by "and", with the values its "?"
// placeholders take, in order.
class Condition {
public:
    Condition() = default;
    Condition(const QString& line, const QVariantList& values = {}) { add(line, values); }
    Condition& add(const QString& line, const QVariantList& values = {});
    bool isEmpty() const { return m_lines.isEmpty(); }
    QString text() const; // lines joined with "\nand\n"; empty when none
    const QVariantList& values() const { return m_values; }

private:
    QStringList m_lines;
    QVariantList m_values;
};

// A forward-only result. Columns are found by name, without letter case;
// "PrtInfo.id" names the view's qualified column.
class Rows {
public:
    explicit Rows(QSqlQuery&& query);
    bool next();
    QStringList names() const;
    bool has(QStringView name) const;
    QVariant value(QStringView name) const; // throws zq::Error for an unknown column
    bool isNull(QStringView name) const;
    // Reads of a null give "", 0, 0.0 and false; isNull tells them apart.
    // A date-time column holds a day count: read it with dateTime().
    QString text(QStringView name) const;
    qint64 integer(QStringView name) const;
    double number(QStringView name) const;
    double dateTime(QStringView name) const; // day count
    bool boolean(QStringView name) const;

private:
    int index(QStringView name) const;
    QSqlQuery m_query;
    QStringList m_names;
};

// Column name and value pairs, in order.
using Values = QList<std::pair<QString, QVariant>>;

class Database {
public:
    // A new database file with the whole schema and the administrator row;
    // built aside and renamed into place, so a failure leaves no file. Throws
    // zq::Error when the file exists or cannot be made.
    static void create(const QString& file);
    // A new data folder (created when missing) with the empty database.
    static void createDataFolder(const QString& folder);

    // Opens an existing database file; never creates one. Throws zq::Error
    // when the file is missing or is not a readable database.
    explicit Database(const QString& file);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const QString& fileName() const { return m_file; }

    // Problems with the tables, columns and the view the system needs, one
    // line each; empty when the schema is sound.
    QStringList checkSchema();

    // Statements with bound values. QDate/QDateTime values are bound as day
    // counts, booleans as 0/1. Errors throw zq::Error with the engine's text.
    Rows query(const QString& sql, const QVariantList& values = {});
    QVariant scalar(const QString& sql, const QVariantList& values = {}); // first column of the first row
    int exec(const QString& sql, const QVariantList& values = {});      // rows changed

    // Writes converted by the columns' declared types (names found without
    // letter case). insert returns the new row's identity.
    qint64 insert(const QString& table, const Values& values);
    int update(const QString& table, const Values& values, const Condition& where);

    bool tableExists(const QString& table);
    // The columns of a table or view; throws zq::Error when there is none.
    QList<Column> columns(const QString& table);

    // Transactions on the connection. transaction(f) runs f inside one
    // (joining an active one), commits, and on any exception rolls back and
    // rethrows, so nothing of f is stored.
    void begin();
    void commit();
    void rollback();
    bool inTransaction() const { return m_inTransaction; }
    template <class F> void transaction(F&& f)
    {
        if (m_inTransaction) {
            f();
            return;
        }
        begin();
        try {
            f();
            commit();
        } catch (...) {
            rollback();
            throw;
        }
    }

    // An identifier quoted for SQL text: "name" with embedded quotes doubled.
    static QString quoteName(QStringView name);

    QSqlDatabase connection() const;

private:
    QSqlQuery prepare(const QString& sql, const QVariantList& values, bool cached);
    void run(QSqlQuery& q, const QString& sql);
    void createSchema();

    QString m_file;
    QString m_connectionName;
    bool m_inTransaction = false;
    QHash<QString, QList<Column>> m_columns; // by lower-case table name
    QHash<QString, QSqlQuery> m_statements;  // prepared writes, by SQL text
};

// The one process-wide connection to the data folder's database, opened on
// first use and checked; callers never close it. Throws zq::Error when the
// database is missing, unreadable or lacks part of the schema.
Database& GetDataConnection();
// Frees the connection (at exit; tests switching data folders).
void closeDataConnection();

// The administrator row the first run writes.
inline constexpr char16_t kFirstAdminName[] = u"系统管理员";

} // namespace zq
