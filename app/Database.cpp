#include "Database.h"

#include "DataFolder.h"
#include "Password.h"
#include "base/DateSerial.h"
#include "base/Error.h"
#include "base/Gbk.h"
#include "base/NumberText.h"
#include "base/Rounding.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlRecord>
#include <QUrl>
#include <cmath>

namespace zq {
namespace {

// ---------------------------------------------------------------- schema

struct ColumnDef {
    const char16_t* name;
    const char* type;        // declared type
    const char* extra = "";  // constraints after the type
};

struct TableDef {
    const char16_t* name;
    std::vector<ColumnDef> columns;
};

constexpr const char* kNoCase = "COLLATE NOCASE";
constexpr const char* kAuto = "PRIMARY KEY AUTOINCREMENT";

const std::vector<TableDef>& schemaTables()
{
    static const std::vector<TableDef> tables = [] {
        std::vector<TableDef> t;
        t.push_back({u"PrtInfo",
                     {{u"ID", "INTEGER", kAuto},
                      {u"TmpName", "TEXT", kNoCase},
                      {u"PrtTime", "DATETIME"},
                      {u"UserName", "TEXT", kNoCase},
                      {u"HostName", "VARCHAR(255)", kNoCase},
                      {u"Trash", "BOOLEAN", "NOT NULL DEFAULT 0"}}});
        t.push_back({u"PrtContent",
                     {{u"InfoID", "INTEGER"},
                      {u"PartName", "TEXT", kNoCase},
                      {u"DataType", "INTEGER"},
                      {u"NumberValue", "DOUBLE"},
                      {u"StringValue", "TEXT", kNoCase},
                      {u"DatetimeValue", "DATETIME"},
                      {u"BooleanValue", "BOOLEAN"},
                      {u"SubTblName", "TEXT", kNoCase},
                      {u"SubTblFldName", "TEXT", kNoCase},
                      {u"SubTblRowNo", "INTEGER"}}});
        t.push_back({u"ChequeBook",
                     {{u"ID", "INTEGER", kAuto},
                      {u"账户ID", "INTEGER"},
                      {u"模板名称", "VARCHAR(50)", kNoCase},
                      {u"模板文件名称", "VARCHAR(50)", kNoCase},
                      {u"支票号码", "VARCHAR(50)", kNoCase},
                      {u"出票日期", "DATETIME"},
                      {u"收款人", "VARCHAR(50)", kNoCase},
                      {u"金额", "DECIMAL(18,2)"},
                      {u"用途", "VARCHAR(50)", kNoCase},
                      {u"限额", "VARCHAR(10)", kNoCase},
                      {u"支票密码", "VARCHAR(50)", kNoCase},
                      {u"状态", "VARCHAR(2)", kNoCase},
                      {u"领用人", "VARCHAR(50)", kNoCase},
                      {u"核销人", "VARCHAR(50)", kNoCase},
                      {u"审批人", "VARCHAR(50)", kNoCase},
                      {u"备注", "VARCHAR(50)", kNoCase}}});
        t.push_back({u"Account",
                     {{u"ID", "INTEGER", kAuto},
                      {u"账户名称", "VARCHAR(50)", kNoCase},
                      {u"账户描述", "VARCHAR(50)", kNoCase},
                      {u"银行账号", "VARCHAR(50)", kNoCase},
                      {u"开户行", "VARCHAR(50)", kNoCase},
                      {u"公司名称", "VARCHAR(50)", kNoCase}}});
        // Password holds a salted slow hash, hence the width.
        TableDef user{u"User",
                      {{u"id", "INTEGER", kAuto},
                       {u"Name", "VARCHAR(50)", kNoCase},
                       {u"Password", "VARCHAR(255)"},
                       {u"Admin", "VARCHAR(1)", kNoCase}}};
        static const char16_t* opts[] = {u"Opt1", u"Opt2", u"Opt3", u"Opt4", u"Opt5",
                                         u"Opt6", u"Opt7", u"Opt8", u"Opt9", u"Opt10"};
        for (const char16_t* o : opts)
            user.columns.push_back({o, "VARCHAR(1)", kNoCase});
        t.push_back(std::move(user));
        t.push_back({u"CustomTbl", {{u"id", "INTEGER", kAuto}, {u"TblName", "TEXT", kNoCase}}});
        return t;
    }();
    return tables;
}

// The record browser addresses the header's columns by their qualified names.
constexpr char16_t kViewSql[] =
    u"CREATE VIEW [PrtInfo_v] AS SELECT "
    u"PrtInfo.ID AS [PrtInfo.id], PrtInfo.UserName AS [PrtInfo.UserName], "
    u"PrtInfo.TmpName AS TmpName, PrtInfo.PrtTime AS PrtTime, PrtInfo.UserName AS UserName, "
    u"PrtInfo.Trash AS Trash, PrtContent.PartName AS PartName, PrtContent.NumberValue AS NumberValue, "
    u"PrtContent.StringValue AS StringValue, PrtContent.DatetimeValue AS DatetimeValue, "
    u"PrtContent.SubTblName AS SubTblName, PrtContent.SubTblFldName AS SubTblFldName "
    u"FROM PrtInfo LEFT JOIN PrtContent ON PrtContent.InfoID = PrtInfo.ID";
constexpr const char16_t* kViewColumns[] = {
    u"PrtInfo.id", u"PrtInfo.UserName", u"TmpName", u"PrtTime", u"UserName", u"Trash",
    u"PartName", u"NumberValue", u"StringValue", u"DatetimeValue", u"SubTblName", u"SubTblFldName",
};

// Indexes for the searches of the record browser and the cheque register.
constexpr const char16_t* kIndexSql[] = {
    u"CREATE INDEX IF NOT EXISTS ix_PrtInfo_TmpName ON PrtInfo (TmpName, PrtTime)",
    u"CREATE INDEX IF NOT EXISTS ix_PrtInfo_PrtTime ON PrtInfo (PrtTime)",
    u"CREATE INDEX IF NOT EXISTS ix_PrtContent_InfoID ON PrtContent (InfoID)",
    u"CREATE INDEX IF NOT EXISTS ix_PrtContent_PartDate ON PrtContent (PartName, DatetimeValue)",
    u"CREATE INDEX IF NOT EXISTS ix_PrtContent_PartNumber ON PrtContent (PartName, NumberValue)",
    u"CREATE INDEX IF NOT EXISTS ix_ChequeBook_Account ON ChequeBook ([账户ID])",
    u"CREATE INDEX IF NOT EXISTS ix_ChequeBook_Number ON ChequeBook ([模板文件名称], [支票号码])",
    u"CREATE INDEX IF NOT EXISTS ix_User_Name ON [User] (Name)",
};

QString typeWord(ColumnType t)
{
    switch (t) {
    case ColumnType::Autonumber: return QStringLiteral("自动编号");
    case ColumnType::Integer: return QStringLiteral("整数");
    case ColumnType::Double: return QStringLiteral("数字");
    case ColumnType::Decimal: return QStringLiteral("小数");
    case ColumnType::DateTime: return QStringLiteral("日期/时间");
    case ColumnType::Boolean: return QStringLiteral("是/否");
    case ColumnType::Text: return QStringLiteral("文本");
    case ColumnType::Any: break;
    }
    return QStringLiteral("任意");
}

// Whether a found column serves where the schema wants `want`.
bool compatible(const Column& want, const Column& have)
{
    if (want.type == ColumnType::Text)
        return have.type == ColumnType::Text && (have.width == 0 || (want.width != 0 && have.width >= want.width));
    if (want.type == ColumnType::Integer)
        return have.type == ColumnType::Integer || have.type == ColumnType::Autonumber;
    if (want.type == ColumnType::Decimal)
        return have.type == ColumnType::Decimal && have.precision >= want.precision && have.scale == want.scale;
    return have.type == want.type;
}

// ---------------------------------------------------------------- values

[[noreturn]] void badValue(const Column& c, const QVariant& v, const QString& why)
{
    throw Error(QStringLiteral("字段“%1”不能取值“%2”：%3").arg(c.name, v.toString(), why));
}

std::optional<double> numberOf(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Bool: return v.toBool() ? -1.0 : 0.0;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return v.toDouble();
    case QMetaType::QString:
    case QMetaType::QByteArray:
        return parseNumber(v.toString());
    default: return std::nullopt;
    }
}

std::optional<bool> booleanOf(const QVariant& v)
{
    if (v.typeId() == QMetaType::Bool)
        return v.toBool();
    if (v.typeId() == QMetaType::QString) {
        const QString t = v.toString().trimmed();
        if (sameTextAscii(t, u"True"))
            return true;
        if (sameTextAscii(t, u"False"))
            return false;
    }
    if (const auto n = numberOf(v))
        return *n != 0;
    return std::nullopt;
}

std::optional<double> dateTimeOf(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::QDate: return v.toDate().isValid() ? std::optional(dateToSerial(v.toDate())) : std::nullopt;
    case QMetaType::QDateTime:
        return v.toDateTime().isValid() ? std::optional(dateTimeToSerial(v.toDateTime())) : std::nullopt;
    case QMetaType::QString: return parseDbDateTimeText(v.toString());
    case QMetaType::Bool: return std::nullopt;
    default: return numberOf(v);
    }
}

QString textOf(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Bool: return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Double:
    case QMetaType::Float:
        return numberToText(v.toDouble());
    case QMetaType::QDate: return v.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    case QMetaType::QDateTime: return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    default: return v.toString();
    }
}

// What a bound value of a free statement becomes: dates as day counts, so they
// compare with the stored ones.
QVariant boundValue(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::QDate:
    case QMetaType::QDateTime:
        if (const auto d = dateTimeOf(v))
            return *d;
        return QVariant();
    case QMetaType::Bool: return v.toBool() ? 1 : 0;
    default: return v;
    }
}

// ---------------------------------------------------------------- the shared connection

std::unique_ptr<Database>& sharedConnection()
{
    static std::unique_ptr<Database> db;
    return db;
}

int g_connectionCounter = 0;

} // namespace

Column columnOfDeclaredType(const QString& name, const QString& declaredType, bool primaryKey)
{
    Column c;
    c.name = name;
    c.declaredType = declaredType;
    const QString t = asciiUpper(declaredType.trimmed());
    QList<int> args;
    static const QRegularExpression numbers(QStringLiteral("\\d+"));
    for (auto it = numbers.globalMatch(t.mid(std::max<qsizetype>(0, t.indexOf(u'(')))); it.hasNext();)
        args.append(it.next().captured().toInt());
    if (!t.contains(u'('))
        args.clear();
    if (primaryKey && t.contains(u"INT"))
        c.type = ColumnType::Autonumber;
    else if (t.contains(u"BOOL") || t == u"BIT" || t == u"YESNO")
        c.type = ColumnType::Boolean;
    else if (t.contains(u"DATE") || t.contains(u"TIME"))
        c.type = ColumnType::DateTime;
    else if (t.contains(u"INT"))
        c.type = ColumnType::Integer;
    else if (t.contains(u"CHAR") || t.contains(u"TEXT") || t.contains(u"CLOB") || t.contains(u"MEMO")
             || t.contains(u"STRING")) {
        c.type = ColumnType::Text;
        c.width = args.isEmpty() ? 0 : args.front();
    } else if ((t.startsWith(u"DEC") || t.startsWith(u"NUMERIC")) && args.size() >= 1) {
        c.type = ColumnType::Decimal;
        c.precision = args[0];
        c.scale = args.size() >= 2 ? args[1] : 0;
    } else if (t.contains(u"REAL") || t.contains(u"FLOA") || t.contains(u"DOUB") || t.contains(u"DEC")
               || t.contains(u"NUMERIC") || t.contains(u"MONEY") || t.contains(u"CURRENCY"))
        c.type = ColumnType::Double;
    return c;
}

QVariant toColumnValue(const Column& c, const QVariant& v)
{
    if (v.isNull() || !v.isValid())
        return QVariant();
    if (c.type == ColumnType::Any)
        return boundValue(v);
    if (c.type == ColumnType::Text) {
        const QString s = textOf(v);
        if (c.width > 0 && s.size() > c.width)
            badValue(c, v, QStringLiteral("超过 %1 个字符").arg(c.width));
        return s;
    }
    if (v.typeId() == QMetaType::QString && v.toString().trimmed().isEmpty())
        return QVariant();
    switch (c.type) {
    case ColumnType::Boolean: {
        const auto b = booleanOf(v);
        if (!b)
            badValue(c, v, QStringLiteral("不是是/否值"));
        return *b ? 1 : 0;
    }
    case ColumnType::DateTime: {
        const auto d = dateTimeOf(v);
        if (!d || !std::isfinite(*d) || std::fabs(*d) > 3e6)
            badValue(c, v, QStringLiteral("不是日期"));
        return *d;
    }
    case ColumnType::Autonumber:
    case ColumnType::Integer: {
        const auto n = numberOf(v);
        if (!n || !std::isfinite(*n))
            badValue(c, v, QStringLiteral("不是数字"));
        const double r = roundHalfEven(*n);
        if (r < std::numeric_limits<qint32>::min() || r > std::numeric_limits<qint32>::max())
            badValue(c, v, QStringLiteral("超出范围"));
        return static_cast<qint64>(r);
    }
    case ColumnType::Decimal: {
        const auto n = numberOf(v);
        if (!n || !std::isfinite(*n))
            badValue(c, v, QStringLiteral("不是数字"));
        const double r = roundDecimal(*n, c.scale, HalfRule::Even);
        if (std::fabs(r) >= std::pow(10.0, c.precision - c.scale))
            badValue(c, v, QStringLiteral("超出范围"));
        return r;
    }
    case ColumnType::Double: {
        const auto n = numberOf(v);
        if (!n || !std::isfinite(*n))
            badValue(c, v, QStringLiteral("不是数字"));
        return *n;
    }
    default: return boundValue(v);
    }
}

std::optional<double> parseDbDateTimeText(QStringView text)
{
    static const QRegularExpression re(QStringLiteral(
        "^\\s*(\\d{1,4})[-/](\\d{1,2})[-/](\\d{1,2})(?:[ T]+(\\d{1,2}):(\\d{1,2})(?::(\\d{1,2})(?:\\.(\\d{1,3}))?)?)?\\s*$"));
    const auto m = re.match(text.toString());
    if (!m.hasMatch())
        return std::nullopt;
    DateTimeParts p;
    p.year = m.captured(1).toInt();
    p.month = m.captured(2).toInt();
    p.day = m.captured(3).toInt();
    if (m.hasCaptured(4)) {
        p.hour = m.captured(4).toInt();
        p.minute = m.captured(5).toInt();
        p.second = m.hasCaptured(6) ? m.captured(6).toInt() : 0;
        if (m.hasCaptured(7))
            p.msec = m.captured(7).leftJustified(3, u'0').toInt();
    }
    if (!isValidDate(p.year, p.month, p.day) || p.hour > 23 || p.minute > 59 || p.second > 59)
        return std::nullopt;
    return encodeDateTime(p);
}

SerialRange yearRange(const QDate& day)
{
    return {encodeDate(day.year(), 1, 1), encodeDate(day.year() + 1, 1, 1)};
}

SerialRange monthRange(const QDate& day)
{
    const int y = day.year(), m = day.month();
    return {encodeDate(y, m, 1), m == 12 ? encodeDate(y + 1, 1, 1) : encodeDate(y, m + 1, 1)};
}

SerialRange dayRange(const QDate& day) { return daysRange(day, day); }

SerialRange daysRange(const QDate& first, const QDate& last)
{
    return {dateToSerial(first), dateToSerial(last.addDays(1))};
}

// ---------------------------------------------------------------- Condition

Condition& Condition::add(const QString& line, const QVariantList& values)
{
    if (line.count(u'?') != values.size())
        throw Error(QStringLiteral("条件“%1”的参数个数不符").arg(line));
    m_lines.append(line);
    m_values.append(values);
    return *this;
}

QString Condition::text() const { return m_lines.join(QStringLiteral("\nand\n")); }

// ---------------------------------------------------------------- Rows

Rows::Rows(QSqlQuery&& query) : m_query(std::move(query))
{
    const QSqlRecord r = m_query.record();
    for (int i = 0; i < r.count(); ++i)
        m_names.append(r.fieldName(i));
}

bool Rows::next() { return m_query.next(); }

QStringList Rows::names() const { return m_names; }

int Rows::index(QStringView name) const
{
    for (int i = 0; i < m_names.size(); ++i)
        if (sameTextAscii(m_names[i], name))
            return i;
    return -1;
}

bool Rows::has(QStringView name) const { return index(name) >= 0; }

QVariant Rows::value(QStringView name) const
{
    const int i = index(name);
    if (i < 0)
        throw Error(QStringLiteral("查询结果中没有字段“%1”").arg(name));
    return m_query.value(i);
}

bool Rows::isNull(QStringView name) const { return value(name).isNull(); }

QString Rows::text(QStringView name) const
{
    const QVariant v = value(name);
    return v.isNull() ? QString() : textOf(v);
}

qint64 Rows::integer(QStringView name) const
{
    const QVariant v = value(name);
    const auto n = v.isNull() ? std::optional<double>(0) : numberOf(v);
    if (!n)
        throw Error(QStringLiteral("字段“%1”的值“%2”不是数字").arg(name, v.toString()));
    return static_cast<qint64>(roundHalfEven(*n));
}

double Rows::number(QStringView name) const
{
    const QVariant v = value(name);
    const auto n = v.isNull() ? std::optional<double>(0) : numberOf(v);
    if (!n)
        throw Error(QStringLiteral("字段“%1”的值“%2”不是数字").arg(name, v.toString()));
    return *n;
}

double Rows::dateTime(QStringView name) const
{
    const QVariant v = value(name);
    const auto d = v.isNull() ? std::optional<double>(0) : dateTimeOf(v);
    if (!d)
        throw Error(QStringLiteral("字段“%1”的值“%2”不是日期").arg(name, v.toString()));
    return *d;
}

bool Rows::boolean(QStringView name) const
{
    const QVariant v = value(name);
    return !v.isNull() && booleanOf(v).value_or(false);
}

// ---------------------------------------------------------------- Database

QString Database::quoteName(QStringView name)
{
    if (name.contains(QChar(0)))
        throw Error(QStringLiteral("无效的名称"));
    QString q = name.toString();
    q.replace(u'"', QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

Database::Database(const QString& file) : m_file(QDir::cleanPath(QFileInfo(file).absoluteFilePath()))
{
    if (!QFileInfo(m_file).isFile())
        throw Error(QStringLiteral("找不到数据库文件“%1”").arg(QDir::toNativeSeparators(m_file)));
    m_connectionName = QStringLiteral("zqbp-%1").arg(++g_connectionCounter);
    QString why;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
        // mode=rw: the engine must never create a missing file behind our back.
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"));
        db.setDatabaseName(QUrl::fromLocalFile(m_file).toString(QUrl::FullyEncoded) + QStringLiteral("?mode=rw"));
        if (!db.open()) {
            why = db.lastError().text();
        } else {
            // A damaged file or one that is not a database fails here, not later.
            QSqlQuery q(db);
            if (!q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) || !q.next())
                why = q.lastError().databaseText().isEmpty() ? q.lastError().text() : q.lastError().databaseText();
        }
        if (!why.isEmpty())
            db.close();
    }
    if (!why.isEmpty()) {
        QSqlDatabase::removeDatabase(m_connectionName);
        throw Error(QStringLiteral("无法打开数据库“%1”：%2").arg(QDir::toNativeSeparators(m_file), why));
    }
}

Database::~Database()
{
    m_statements.clear();
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        if (m_inTransaction)
            db.rollback();
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

QSqlDatabase Database::connection() const { return QSqlDatabase::database(m_connectionName, false); }

void Database::run(QSqlQuery& q, const QString&)
{
    if (!q.exec()) {
        const QSqlError e = q.lastError();
        const QString why = e.databaseText().isEmpty() ? e.text() : e.databaseText();
        throw Error(QStringLiteral("数据库错误：%1").arg(why));
    }
}

QSqlQuery Database::prepare(const QString& sql, const QVariantList& values, bool cached)
{
    if (!cached || !m_statements.contains(sql)) {
        QSqlQuery q(connection());
        q.setForwardOnly(true);
        if (!q.prepare(sql)) {
            const QSqlError e = q.lastError();
            throw Error(QStringLiteral("数据库错误：%1").arg(e.databaseText().isEmpty() ? e.text() : e.databaseText()));
        }
        if (!cached) {
            for (int i = 0; i < values.size(); ++i)
                q.bindValue(i, boundValue(values[i]));
            return q;
        }
        m_statements.insert(sql, q);
    }
    QSqlQuery q = m_statements.value(sql);
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values[i]);
    return q;
}

Rows Database::query(const QString& sql, const QVariantList& values)
{
    QSqlQuery q = prepare(sql, values, false);
    run(q, sql);
    return Rows(std::move(q));
}

QVariant Database::scalar(const QString& sql, const QVariantList& values)
{
    QSqlQuery q = prepare(sql, values, false);
    run(q, sql);
    return q.next() ? q.value(0) : QVariant();
}

int Database::exec(const QString& sql, const QVariantList& values)
{
    // Tables may change shape: forget what was learnt about them.
    static const QRegularExpression ddl(QStringLiteral("^\\s*(create|alter|drop)\\b"),
                                        QRegularExpression::CaseInsensitiveOption);
    if (ddl.match(sql).hasMatch()) {
        m_columns.clear();
        m_statements.clear();
    }
    QSqlQuery q = prepare(sql, values, false);
    run(q, sql);
    return q.numRowsAffected();
}

bool Database::tableExists(const QString& table)
{
    return scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type IN ('table','view') "
                                 "AND name = ? COLLATE NOCASE"),
                  {table})
               .toInt()
           > 0;
}

QList<Column> Database::columns(const QString& table)
{
    const QString key = asciiLower(table);
    if (const auto it = m_columns.constFind(key); it != m_columns.constEnd())
        return *it;
    QList<Column> cols;
    QList<bool> keyed;
    Rows r = query(QStringLiteral("PRAGMA table_info(%1)").arg(quoteName(table)));
    while (r.next()) {
        cols.append(columnOfDeclaredType(r.text(u"name"), r.text(u"type"), false));
        keyed.append(r.integer(u"pk") > 0);
    }
    if (cols.isEmpty())
        throw Error(QStringLiteral("数据库中没有表“%1”").arg(table));
    // An INTEGER key is the row id (an autonumber) only when it is the sole key column.
    if (keyed.count(true) == 1) {
        const qsizetype i = keyed.indexOf(true);
        cols[i] = columnOfDeclaredType(cols[i].name, cols[i].declaredType, true);
    }
    m_columns.insert(key, cols);
    return cols;
}

namespace {

const Column& findColumn(const QList<Column>& cols, const QString& table, const QString& name)
{
    for (const Column& c : cols)
        if (sameTextAscii(c.name, name))
            return c;
    throw Error(QStringLiteral("表“%1”中没有字段“%2”").arg(table, name));
}

} // namespace

qint64 Database::insert(const QString& table, const Values& values)
{
    const QList<Column> cols = columns(table);
    QStringList names, marks;
    QVariantList bound;
    for (const auto& [name, value] : values) {
        const Column& c = findColumn(cols, table, name);
        names.append(quoteName(c.name));
        marks.append(QStringLiteral("?"));
        bound.append(toColumnValue(c, value));
    }
    const QString sql = names.isEmpty()
                            ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoteName(table))
                            : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                  .arg(quoteName(table), names.join(u','), marks.join(u','));
    QSqlQuery q = prepare(sql, bound, true);
    run(q, sql);
    return q.lastInsertId().toLongLong();
}

int Database::update(const QString& table, const Values& values, const Condition& where)
{
    const QList<Column> cols = columns(table);
    QStringList sets;
    QVariantList bound;
    for (const auto& [name, value] : values) {
        const Column& c = findColumn(cols, table, name);
        sets.append(quoteName(c.name) + QStringLiteral(" = ?"));
        bound.append(toColumnValue(c, value));
    }
    if (sets.isEmpty())
        return 0;
    QString sql = QStringLiteral("UPDATE %1 SET %2").arg(quoteName(table), sets.join(QStringLiteral(", ")));
    if (!where.isEmpty())
        sql += QStringLiteral(" WHERE ") + where.text();
    for (const QVariant& v : where.values())
        bound.append(boundValue(v));
    QSqlQuery q = prepare(sql, bound, false);
    run(q, sql);
    return q.numRowsAffected();
}

void Database::begin()
{
    if (m_inTransaction)
        throw Error(QStringLiteral("数据库事务已经开始"));
    QSqlDatabase db = connection();
    if (!db.transaction())
        throw Error(QStringLiteral("无法开始数据库事务：%1").arg(db.lastError().text()));
    m_inTransaction = true;
}

void Database::commit()
{
    QSqlDatabase db = connection();
    if (!m_inTransaction)
        throw Error(QStringLiteral("没有进行中的数据库事务"));
    if (!db.commit())
        throw Error(QStringLiteral("无法提交数据库事务：%1").arg(db.lastError().text()));
    m_inTransaction = false;
}

void Database::rollback()
{
    if (!m_inTransaction)
        return;
    m_inTransaction = false;
    connection().rollback();
}

void Database::createSchema()
{
    for (const TableDef& t : schemaTables()) {
        QStringList cols;
        for (const ColumnDef& c : t.columns)
            cols.append(QStringLiteral("%1 %2 %3")
                            .arg(quoteName(QString::fromUtf16(c.name)), QString::fromLatin1(c.type),
                                 QString::fromLatin1(c.extra))
                            .trimmed());
        exec(QStringLiteral("CREATE TABLE %1 (%2)")
                 .arg(quoteName(QString::fromUtf16(t.name)), cols.join(QStringLiteral(", "))));
    }
    exec(QString::fromUtf16(kViewSql));
    for (const char16_t* sql : kIndexSql)
        exec(QString::fromUtf16(sql));
}

QStringList Database::checkSchema()
{
    QStringList problems;
    for (const TableDef& t : schemaTables()) {
        const QString table = QString::fromUtf16(t.name);
        if (!tableExists(table)) {
            problems.append(QStringLiteral("缺少表“%1”").arg(table));
            continue;
        }
        const QList<Column> have = columns(table);
        for (const ColumnDef& d : t.columns) {
            const Column want = columnOfDeclaredType(QString::fromUtf16(d.name), QString::fromLatin1(d.type),
                                                     QByteArray(d.extra).contains("PRIMARY KEY"));
            const auto it = std::find_if(have.begin(), have.end(),
                                         [&](const Column& c) { return sameTextAscii(c.name, want.name); });
            if (it == have.end())
                problems.append(QStringLiteral("表“%1”缺少字段“%2”").arg(table, want.name));
            else if (!compatible(want, *it))
                problems.append(QStringLiteral("表“%1”的字段“%2”类型为“%3”，应为%4%5")
                                    .arg(table, want.name, it->declaredType, typeWord(want.type),
                                         want.width ? QStringLiteral("(%1)").arg(want.width) : QString()));
        }
    }
    const QString view = QStringLiteral("PrtInfo_v");
    if (!tableExists(view)) {
        problems.append(QStringLiteral("缺少查询“%1”").arg(view));
    } else {
        QList<Column> have;
        try {
            have = columns(view);
        } catch (const Error& e) {
            problems.append(QStringLiteral("查询“%1”无法使用：%2").arg(view, e.message()));
        }
        for (const char16_t* name : kViewColumns) {
            const QString n = QString::fromUtf16(name);
            if (!have.isEmpty() && std::none_of(have.begin(), have.end(), [&](const Column& c) {
                    return sameTextAscii(c.name, n);
                }))
                problems.append(QStringLiteral("查询“%1”缺少字段“%2”").arg(view, n));
        }
    }
    return problems;
}

void Database::create(const QString& file)
{
    const QString target = QDir::cleanPath(QFileInfo(file).absoluteFilePath());
    if (QFileInfo::exists(target))
        throw Error(QStringLiteral("数据库文件“%1”已存在").arg(QDir::toNativeSeparators(target)));
    // Built aside and renamed into place: a failure leaves no half-made database.
    const QString aside = target + QStringLiteral(".new");
    QFile::remove(aside);
    {
        QFile f(aside);
        if (!f.open(QIODevice::WriteOnly))
            throw Error(QStringLiteral("无法创建数据库文件“%1”：%2").arg(QDir::toNativeSeparators(target), f.errorString()));
    }
    try {
        Database db(aside);
        // One sync per commit instead of several, and readers never wait for
        // the writer: print runs commit often.
        db.scalar(QStringLiteral("PRAGMA journal_mode=WAL"));
        db.transaction([&] {
            db.createSchema();
            db.insert(QStringLiteral("User"), {{QStringLiteral("Name"), QString::fromUtf16(kFirstAdminName)},
                                               {QStringLiteral("Password"), hashPassword(QString())},
                                               {QStringLiteral("Admin"), QStringLiteral("Y")}});
        });
    } catch (...) {
        QFile::remove(aside);
        throw;
    }
    if (!QFile::rename(aside, target)) {
        QFile::remove(aside);
        throw Error(QStringLiteral("无法创建数据库文件“%1”").arg(QDir::toNativeSeparators(target)));
    }
}

void Database::createDataFolder(const QString& folder)
{
    if (!QDir().mkpath(folder))
        throw Error(QStringLiteral("无法创建数据文件夹“%1”").arg(QDir::toNativeSeparators(folder)));
    create(folder + u'/' + QString::fromUtf16(kDatabaseFileName));
}

Database& GetDataConnection()
{
    auto& db = sharedConnection();
    if (!db) {
        auto opened = std::make_unique<Database>(dataFile(QString::fromUtf16(kDatabaseFileName)));
        const QStringList problems = opened->checkSchema();
        if (!problems.isEmpty())
            throw Error(QStringLiteral("数据库“%1”结构不完整：%2")
                            .arg(QDir::toNativeSeparators(opened->fileName()), problems.join(QStringLiteral("；"))));
        // Indexes only speed up searches: put back any that went missing.
        for (const char16_t* sql : kIndexSql)
            opened->exec(QString::fromUtf16(sql));
        db = std::move(opened);
    }
    return *db;
}

void closeDataConnection() { sharedConnection().reset(); }

} // namespace zq
