// zqbp-batch eval on the samples: values and display texts of every input kind.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Outcome {
    int status = -1;
    QString out, err;
};

Outcome batch(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(ZQBP_BATCH), args);
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

QString sample(const char* name) { return QStringLiteral(ZQBP_SOURCE_DIR "/samples/") + QLatin1String(name); }

class EvalCommand : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString tpl(const char* name)
    {
        const QString out = dir.filePath(QLatin1String(name) + QStringLiteral(".tpl"));
        const Outcome r = batch({QStringLiteral("build"), sample(name) + QStringLiteral(".json"), QStringLiteral("-o"), out});
        EXPECT_EQ(r.status, 0) << r.err.toStdString();
        return out;
    }
    QString valuesFile(const QString& text)
    {
        const QString path = dir.filePath(QStringLiteral("x.values"));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(text.toUtf8());
        return path;
    }
};

TEST_F(EvalCommand, ChequeDisplayTexts)
{
    const Outcome r = batch({QStringLiteral("eval"), tpl("cheque"), QStringLiteral("-v"), sample("cheque.values"),
                         QStringLiteral("--display")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.toStdString(),
              "出票日期=贰零贰陆年壹拾贰月零壹拾日\n"
              "付款行名称=示例商业银行上海浦东支行\n"
              "收款人=上海浦江贸易有限公司\n"
              "出票人账号=1001 2345 0987 6543 210\n"
              "大写金额=⊗壹万贰仟叁佰肆拾伍元陆角零分\n"
              "金额=￥1234560\n"
              "用途=货款\n"
              "密码=835022164471\n");
}

TEST_F(EvalCommand, ChequeValues)
{
    const Outcome r = batch({QStringLiteral("eval"), tpl("cheque"), QStringLiteral("-v"), sample("cheque.values")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.toStdString(),
              "出票日期=2026-12-10\n"
              "付款行名称=示例商业银行上海浦东支行\n"
              "收款人=上海浦江贸易有限公司\n"
              "出票人账号=1001 2345 0987 6543 210\n"
              "大写金额=12345.60\n"
              "金额=12345.60\n"
              "用途=货款\n"
              "密码=835022164471\n");
}

TEST_F(EvalCommand, InvoiceDisplayTexts)
{
    const Outcome r = batch({QStringLiteral("eval"), tpl("invoice"), QStringLiteral("-v"), sample("invoice.values"),
                         QStringLiteral("--display")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QStringList lines = r.out.split(u'\n');
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^发票号码=\\d{6}000042$")).match(lines.value(0)).hasMatch())
        << lines.value(0).toStdString();
    for (const char* want : {"开票日期=2026年12月11日", "邮编=310012", "金额1=2,570.00", "单价2=2.80", "数量3=",
                             "合计大写=人民币贰仟玖佰玖拾元整", "合计=￥2,990.00", "付款方式=转账", "已收款=√"})
        EXPECT_TRUE(lines.contains(QString::fromUtf8(want))) << want;
}

TEST_F(EvalCommand, RefusedValuesFailWithTheirMessage)
{
    const QString t = tpl("cheque");
    const struct { const char* values; const char* message; } cases[] = {
        {"金额=123456789012\n", "金额 123456789012 超出了“金额”的格子数（14 位，只有 11 格）\n"},
        {"大写金额=1234567890\n", "金额 1234567890 超出了“大写金额”的格子数（12 位，只有 9 格）\n"},
        {"出票日期=2026-02-30\n", "'2026-02-30' 不是有效的日期格式\n"},
        {"出票日期=999-01-01\n", "'999-01-01' 的年份应在1000至9999之间\n"},
    };
    for (const auto& c : cases) {
        const Outcome r = batch({QStringLiteral("eval"), t, QStringLiteral("-v"), valuesFile(QString::fromUtf8(c.values))});
        EXPECT_EQ(r.status, 1) << c.values;
        EXPECT_EQ(r.err.toStdString(), c.message);
        EXPECT_TRUE(r.out.isEmpty());
    }
    const Outcome bad = batch({QStringLiteral("eval"), t, QStringLiteral("--screen")});
    EXPECT_EQ(bad.status, 1);
}

TEST_F(EvalCommand, DumpAndBuildReproduceTheFile)
{
    for (const char* name : {"cheque", "invoice"}) {
        const QString t = tpl(name);
        const QString json = dir.filePath(QStringLiteral("dump.json"));
        const QString again = dir.filePath(QStringLiteral("again.tpl"));
        ASSERT_EQ(batch({QStringLiteral("dump"), t, QStringLiteral("-o"), json}).status, 0);
        ASSERT_EQ(batch({QStringLiteral("build"), json, QStringLiteral("-o"), again}).status, 0);
        QFile a(t), b(again);
        ASSERT_TRUE(a.open(QIODevice::ReadOnly));
        ASSERT_TRUE(b.open(QIODevice::ReadOnly));
        EXPECT_EQ(a.readAll(), b.readAll()) << name;
    }
}

} // namespace

namespace {

// The detail invoice: the row formula is copied to every body row, the tail
// row totals the amounts and the capital total follows.
TEST_F(EvalCommand, DetailInvoiceRunsItsFormulas)
{
    const Outcome r = batch({QStringLiteral("eval"), tpl("detail-invoice"), QStringLiteral("-v"),
                             sample("detail-invoice.values"), QStringLiteral("--display")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    for (const char* line : {"明细_5_1=2,570.00\n", "明细_5_2=2,820.00\n", "明细_5_3=260.00\n", "明细_5_4=\n",
                             "明细_5_7=5,650.00\n", "合计大写=人民币伍仟陆佰伍拾元整\n", "明细_0_0=品名\n"})
        EXPECT_TRUE(r.out.contains(QString::fromUtf8(line))) << line;
    // A quantity changed in the values file changes its row and the totals.
    const Outcome v = batch({QStringLiteral("eval"), tpl("detail-invoice"), QStringLiteral("-v"),
                             valuesFile(QStringLiteral("明细_3_1=2\n明细_4_1=10\n"))});
    ASSERT_EQ(v.status, 0) << v.err.toStdString();
    EXPECT_TRUE(v.out.contains(QStringLiteral("明细_5_1=20\n")));
    EXPECT_TRUE(v.out.contains(QStringLiteral("合计大写=20\n")));
}

TEST_F(EvalCommand, BuildRefusesCyclicFormulaText)
{
    const QString json = dir.filePath(QStringLiteral("cycle.json"));
    QFile f(json);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(R"({"Items":[{"Kind":"itEdit","Name":"A","OnlyDigit":1},{"Kind":"itEdit","Name":"B","OnlyDigit":1}],
               "Expressions":["A=B+1","B=A*2"]})");
    f.close();
    const Outcome r = batch({QStringLiteral("build"), json, QStringLiteral("-o"), dir.filePath(QStringLiteral("c.tpl"))});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("公式中存在循环引用"))) << r.err.toStdString();
}

} // namespace
