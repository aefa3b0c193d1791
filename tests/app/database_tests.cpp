#include "app/DataFolder.h"
#include "app/Database.h"
#include "app/Password.h"
#include "base/DateSerial.h"
#include "base/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <cmath>

using namespace zq;

namespace {

QString s(const char* utf8) { return QString::fromUtf8(utf8); }

// Creating a database hashes the administrator's password (slow on purpose),
// so the suite makes one and every test works on its own copy.
class DbTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        master = new QTemporaryDir;
        Database::create(master->filePath(QStringLiteral("Data.db")));
    }
    static void TearDownTestSuite()
    {
        delete master;
        master = nullptr;
    }
    void SetUp() override
    {
        ASSERT_TRUE(QFile::copy(master->filePath(QStringLiteral("Data.db")), file()));
        db = std::make_unique<Database>(file());
    }
    QString file() const { return dir.filePath(QStringLiteral("Data.db")); }

    qint64 addHeader(const QString& tmpl, const QString& user, const QString& time)
    {
        return db->insert(QStringLiteral("PrtInfo"), {{QStringLiteral("TmpName"), tmpl},
                                                      {QStringLiteral("PrtTime"), time},
                                                      {QStringLiteral("UserName"), user},
                                                      {QStringLiteral("HostName"), QStringLiteral("pc1")},
                                                      {QStringLiteral("Trash"), false}});
    }
    qint64 count(const QString& sql, const QVariantList& values = {}) { return db->scalar(sql, values).toLongLong(); }

    static QTemporaryDir* master;
    QTemporaryDir dir;
    std::unique_ptr<Database> db;
};

QTemporaryDir* DbTest::master = nullptr;

} // namespace

TEST_F(DbTest, NewDatabaseHasTheWholeSchemaAndTheAdministrator)
{
    EXPECT_EQ(db->checkSchema(), QStringList());
    Rows r = db->query(QStringLiteral("select Name from [User] where Admin = 'Y'"));
    ASSERT_TRUE(r.next());
    EXPECT_EQ(r.text(u"Name"), QString::fromUtf16(kFirstAdminName));
    Rows u = db->query(QStringLiteral("select * from [user] where [name] = ?"), {QString::fromUtf16(kFirstAdminName)});
    ASSERT_TRUE(u.next());
    EXPECT_TRUE(verifyPassword(QStringLiteral("  "), u.text(u"Password")));
    EXPECT_TRUE(u.has(u"Opt10"));
    const QStringList viewColumns = [&] {
        QStringList n;
        for (const Column& c : db->columns(QStringLiteral("PrtInfo_v")))
            n.append(c.name);
        return n;
    }();
    EXPECT_TRUE(viewColumns.contains(QStringLiteral("PrtInfo.id")));
    EXPECT_TRUE(viewColumns.contains(QStringLiteral("PrtInfo.UserName")));
}

TEST_F(DbTest, CheckReportsMissingColumnsNarrowPasswordAndMissingView)
{
    db->exec(QStringLiteral("ALTER TABLE [User] DROP COLUMN Opt3"));
    db->exec(QStringLiteral("ALTER TABLE ChequeBook DROP COLUMN [金额]"));
    db->exec(QStringLiteral("DROP VIEW PrtInfo_v"));
    // A password column as narrow as plain-text passwords were.
    db->exec(QStringLiteral("ALTER TABLE [User] RENAME COLUMN Password TO OldPassword"));
    db->exec(QStringLiteral("ALTER TABLE [User] ADD COLUMN Password VARCHAR(50)"));
    const QStringList problems = db->checkSchema();
    EXPECT_TRUE(problems.contains(s("表“User”缺少字段“Opt3”"))) << problems.join(u'\n').toStdString();
    EXPECT_TRUE(problems.contains(s("表“ChequeBook”缺少字段“金额”")));
    EXPECT_TRUE(problems.contains(s("缺少查询“PrtInfo_v”")));
    EXPECT_TRUE(problems.filter(s("字段“Password”类型为“VARCHAR(50)”")).size() == 1);
    EXPECT_EQ(problems.size(), 4);
}

TEST_F(DbTest, SharedConnectionNeverCreatesAMissingDatabase)
{
    db.reset();
    QTemporaryDir data;
    qputenv("ZQBP_DATA", data.path().toUtf8());
    EXPECT_THROW(GetDataConnection(), Error);
    EXPECT_FALSE(QFileInfo::exists(data.filePath(QStringLiteral("Data.db"))));
    // A file that is not a database is refused at once.
    {
        QFile junk(data.filePath(QStringLiteral("Data.db")));
        ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(4096, 'x'));
    }
    EXPECT_THROW(GetDataConnection(), Error);
    // The real one opens, and the same connection comes back.
    ASSERT_TRUE(QFile::remove(data.filePath(QStringLiteral("Data.db"))));
    ASSERT_TRUE(QFile::copy(file(), data.filePath(QStringLiteral("Data.db"))));
    Database& a = GetDataConnection();
    EXPECT_EQ(&a, &GetDataConnection());
    closeDataConnection();
    // The first run makes a missing data folder on purpose, with its database.
    const QString fresh = data.filePath(QStringLiteral("new/Data"));
    qputenv("ZQBP_DATA", fresh.toUtf8());
    EXPECT_EQ(prepareDataFolder(), fresh);
    EXPECT_EQ(GetDataConnection().checkSchema(), QStringList());
    closeDataConnection();
    qunsetenv("ZQBP_DATA");
}

TEST_F(DbTest, HostileTextSurvivesRoundTripAndSearch)
{
    const QStringList values = {s("O'Brien"), s("100% 'x'"), s("'; drop table PrtInfo; --"), s("a\"b [c] 中文"),
                                s("%_\\")};
    const qint64 id = addHeader(s("模板'1"), s("用户"), s("2014-04-10 10:15"));
    for (const QString& v : values)
        db->insert(QStringLiteral("PrtContent"), {{QStringLiteral("InfoID"), id},
                                                  {QStringLiteral("PartName"), s("收款人")},
                                                  {QStringLiteral("DataType"), 2},
                                                  {QStringLiteral("StringValue"), v}});
    for (const QString& v : values) {
        Rows r = db->query(QStringLiteral("select distinct [PrtInfo.UserName], [PrtInfo.id], StringValue from "
                                          "[PrtInfo_v] where [TmpName] = ? and ([PartName] = ? and [StringValue] = ?)"),
                           {s("模板'1"), s("收款人"), v});
        ASSERT_TRUE(r.next()) << v.toStdString();
        EXPECT_EQ(r.text(u"StringValue"), v);
        EXPECT_EQ(r.integer(u"PrtInfo.id"), id);
    }
    EXPECT_EQ(count(QStringLiteral("select count(*) from PrtContent where StringValue like ?"), {s("%drop table%")}), 1);
    EXPECT_EQ(count(QStringLiteral("select count(*) from PrtInfo")), 1);

    // A preset table named by data: the name is quoted, never pasted.
    const QString evil = s("客户\"; drop table [User]; --");
    db->exec(QStringLiteral("create table %1 (sys_id INTEGER PRIMARY KEY AUTOINCREMENT, sys_category TEXT, "
                            "[名称] VARCHAR(20) COLLATE NOCASE, [金额] DOUBLE, [有效] BOOLEAN)")
                 .arg(Database::quoteName(evil)));
    const qint64 row = db->insert(evil, {{s("名称"), s("甲'乙")}, {s("金额"), s("12.5")}, {s("有效"), s("-1")}});
    EXPECT_EQ(row, 1);
    Rows top = db->query(QStringLiteral("select * from %1 limit 1").arg(Database::quoteName(evil)));
    ASSERT_TRUE(top.next());
    EXPECT_EQ(top.text(s("名称")), s("甲'乙"));
    EXPECT_TRUE(top.boolean(s("有效")));
    const QList<Column> cols = db->columns(evil);
    ASSERT_EQ(cols.size(), 5);
    EXPECT_EQ(cols[0].type, ColumnType::Autonumber);
    EXPECT_EQ(cols[2].type, ColumnType::Text);
    EXPECT_EQ(cols[2].width, 20);
    EXPECT_EQ(cols[3].type, ColumnType::Double);
    EXPECT_EQ(cols[4].type, ColumnType::Boolean);
    EXPECT_TRUE(db->tableExists(QStringLiteral("User")));
}

TEST_F(DbTest, ValuesAreConvertedByTheColumnsDeclaredType)
{
    struct Case {
        const char* column;
        QVariant in;
        QVariant stored; // invalid: the write must fail
    };
    const Case cases[] = {
        {"金额", s("12.345"), 12.34},          // two decimals, half to even
        {"金额", s(" 1000 "), 1000.0},
        {"金额", s(""), QVariant()},           // empty text clears to null
        {"金额", s("12,5"), {}},
        {"金额", s("1e17"), {}},               // beyond 18 digits
        {"出票日期", s("2014-04-10"), encodeDate(2014, 4, 10)},
        {"出票日期", s("2014/4/1 8:05"), encodeDate(2014, 4, 1) + encodeTime(8, 5, 0, 0)},
        {"出票日期", QDate(2020, 2, 29), encodeDate(2020, 2, 29)},
        {"出票日期", s("2014-02-30"), {}},
        {"出票日期", s("tomorrow"), {}},
        {"账户ID", s("2.5"), 2},
        {"账户ID", s("9999999999"), {}},
        {"账户ID", s("abc"), {}},
        {"限额", s("十万元"), s("十万元")},
        {"限额", s("12345678901"), {}},       // wider than Text(10)
        {"备注", 1.5, s("1.5")},
    };
    for (const Case& c : cases) {
        const QString col = s(c.column);
        SCOPED_TRACE(c.column);
        SCOPED_TRACE(c.in.toString().toStdString());
        if (!c.stored.isValid() && !c.in.toString().isEmpty()) {
            EXPECT_THROW(db->insert(QStringLiteral("ChequeBook"), {{col, c.in}}), Error);
            continue;
        }
        const qint64 id = db->insert(QStringLiteral("ChequeBook"), {{col, c.in}});
        Rows r = db->query(QStringLiteral("select * from ChequeBook where ID = ?"), {id});
        ASSERT_TRUE(r.next());
        if (c.stored.isNull()) {
            EXPECT_TRUE(r.isNull(col));
        } else if (c.stored.typeId() == QMetaType::QString) {
            EXPECT_EQ(r.text(col), c.stored.toString());
        } else {
            EXPECT_DOUBLE_EQ(r.number(col), c.stored.toDouble());
        }
    }
    // Check boxes give "-1"/"0"; print records write "True"/"False".
    const struct { const char* in; bool ok; bool value; } booleans[] = {
        {"-1", true, true}, {"0", true, false}, {"True", true, true}, {"false", true, false}, {"yes", false, false},
    };
    for (auto b : booleans) {
        const Values v = {{QStringLiteral("InfoID"), 1}, {QStringLiteral("BooleanValue"), s(b.in)}};
        if (!b.ok) {
            EXPECT_THROW(db->insert(QStringLiteral("PrtContent"), v), Error) << b.in;
            continue;
        }
        const qint64 id = db->insert(QStringLiteral("PrtContent"), v);
        EXPECT_EQ(db->scalar(QStringLiteral("select BooleanValue from PrtContent where rowid = ?"), {id}).toInt(),
                  b.value ? 1 : 0)
            << b.in;
    }
    EXPECT_THROW(db->insert(QStringLiteral("ChequeBook"), {{QStringLiteral("NoSuchColumn"), 1}}), Error);
    EXPECT_THROW(db->insert(QStringLiteral("NoSuchTable"), {{QStringLiteral("x"), 1}}), Error);
}

TEST_F(DbTest, FailedWriteOfSeveralRowsLeavesNothing)
{
    EXPECT_THROW(db->transaction([&] {
        const qint64 id = addHeader(QStringLiteral("t1"), QStringLiteral("u"), s("2014-04-10 10:15"));
        db->insert(QStringLiteral("PrtContent"), {{QStringLiteral("InfoID"), id}, {QStringLiteral("DataType"), 1},
                                                  {QStringLiteral("NumberValue"), 5}});
        db->insert(QStringLiteral("PrtContent"), {{QStringLiteral("InfoID"), id}, {QStringLiteral("DataType"), s("x")}});
    }),
                 Error);
    EXPECT_FALSE(db->inTransaction());
    EXPECT_EQ(count(QStringLiteral("select count(*) from PrtInfo")), 0);
    EXPECT_EQ(count(QStringLiteral("select count(*) from PrtContent")), 0);
    db->transaction([&] { addHeader(QStringLiteral("t1"), QStringLiteral("u"), s("2014-04-10 10:15")); });
    EXPECT_EQ(count(QStringLiteral("select count(*) from PrtInfo")), 1);
}

TEST_F(DbTest, DateRangesIncludingTheDecemberRollover)
{
    const struct { const char* time; } times[] = {
        {"2014-11-30 23:59"}, {"2014-12-01 00:00"}, {"2014-12-31 23:59"}, {"2015-01-01 00:00"}, {"2014-04-10 10:15"},
        {"2014-04-11 00:00"},
    };
    for (auto t : times)
        addHeader(QStringLiteral("t"), QStringLiteral("u"), s(t.time));
    auto inRange = [&](SerialRange r) {
        QStringList out;
        Rows rows = db->query(QStringLiteral("select PrtTime from PrtInfo where (PrtTime >= ?) and (PrtTime < ?) "
                                             "order by PrtTime"),
                              {r.from, r.to});
        while (rows.next())
            out.append(formatDateTimeMs(rows.dateTime(u"PrtTime")).left(16));
        return out;
    };
    EXPECT_EQ(inRange(monthRange(QDate(2014, 12, 15))), (QStringList{s("2014-12-01 00:00"), s("2014-12-31 23:59")}));
    EXPECT_EQ(inRange(yearRange(QDate(2015, 6, 1))), QStringList{s("2015-01-01 00:00")});
    EXPECT_EQ(inRange(dayRange(QDate(2014, 4, 10))), QStringList{s("2014-04-10 10:15")});
    // "to" 2014-04-10 includes that day and excludes the next.
    EXPECT_EQ(inRange(daysRange(QDate(2014, 1, 1), QDate(2014, 4, 10))), QStringList{s("2014-04-10 10:15")});
    // Bound dates compare as day counts in free statements too.
    EXPECT_EQ(count(QStringLiteral("select count(*) from PrtInfo where PrtTime >= ? and PrtTime < ?"),
                    {QDate(2014, 12, 1), QDate(2015, 1, 1)}),
              2);
    // The minute text of a print time reads back with zero seconds.
    Rows r = db->query(QStringLiteral("select * from [PrtInfo] where [id] = ?"), {5});
    ASSERT_TRUE(r.next());
    EXPECT_EQ(decodeDateTime(r.dateTime(u"PrtTime")), (DateTimeParts{2014, 4, 10, 10, 15, 0, 0}));
}

TEST_F(DbTest, LookupsIgnoreLetterCase)
{
    db->insert(QStringLiteral("user"), {{QStringLiteral("NAME"), QStringLiteral("Zhang")},
                                        {QStringLiteral("admin"), QStringLiteral("N")}});
    Rows r = db->query(QStringLiteral("select * from [user] where [name] = ?"), {QStringLiteral("ZHANG")});
    ASSERT_TRUE(r.next());
    EXPECT_EQ(r.text(u"nAmE"), QStringLiteral("Zhang"));
    EXPECT_THROW(r.text(u"Nickname"), Error);
    addHeader(QStringLiteral("Cheque01"), QStringLiteral("Zhang"), s("2014-04-10 10:15"));
    EXPECT_EQ(count(QStringLiteral("select count(*) from [PrtInfo_v] where [TmpName] = ? and [username] = ?"),
                    {QStringLiteral("CHEQUE01"), QStringLiteral("zhang")}),
              1);
    EXPECT_EQ(count(QStringLiteral("select count(*) from ChequeBook where [状态] = ?"), {QStringLiteral("01")}), 0);
}

TEST_F(DbTest, ViewListsAHeaderWithoutContentRows)
{
    const qint64 empty = addHeader(QStringLiteral("t"), QStringLiteral("b"), s("2014-04-10 10:15"));
    const qint64 full = addHeader(QStringLiteral("t"), QStringLiteral("a"), s("2014-04-10 10:16"));
    for (int i = 0; i < 3; ++i)
        db->insert(QStringLiteral("PrtContent"), {{QStringLiteral("InfoID"), full},
                                                  {QStringLiteral("PartName"), QStringLiteral("p%1").arg(i)}});
    Condition c;
    c.add(QStringLiteral("([Trash] = ?)"), {false});
    Rows r = db->query(QStringLiteral("select distinct [PrtInfo.UserName], [PrtInfo.id] from [PrtInfo_v] where "
                                      "[TmpName] = ?\nand\n%1\norder by [UserName] asc, [PrtInfo.id] desc")
                           .arg(c.text()),
                       QVariantList{QStringLiteral("t")} + c.values());
    QList<qint64> ids;
    while (r.next())
        ids.append(r.integer(u"PrtInfo.id"));
    EXPECT_EQ(ids, (QList<qint64>{full, empty}));
    // Voiding is seen through the view.
    db->update(QStringLiteral("PrtInfo"), {{QStringLiteral("Trash"), true}}, Condition(QStringLiteral("[id] = ?"), {empty}));
    EXPECT_EQ(count(QStringLiteral("select count(distinct [PrtInfo.id]) from [PrtInfo_v] where [Trash] = ?"), {false}), 1);
    EXPECT_THROW(Condition(QStringLiteral("[id] = ? and [x] = ?"), {1}), Error);
}

TEST(Password, SaltedHashesVerifyTrimmedPasswords)
{
    const QString h = hashPassword(QStringLiteral(" secret "));
    EXPECT_TRUE(h.startsWith(QStringLiteral("pbkdf2-sha256$")));
    EXPECT_LE(h.size(), 255);
    EXPECT_NE(h, hashPassword(QStringLiteral("secret")));
    EXPECT_TRUE(verifyPassword(QStringLiteral("secret"), h));
    EXPECT_FALSE(verifyPassword(QStringLiteral("Secret"), h));
    EXPECT_FALSE(verifyPassword(QString(), h));
    // A row filled by hand with plain text still compares, trimmed.
    EXPECT_TRUE(verifyPassword(QStringLiteral("abc "), QStringLiteral(" abc")));
    EXPECT_TRUE(verifyPassword(QString(), QString()));
}
