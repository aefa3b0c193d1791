// print: the real print run, headless, with the print scheme and the
// calibration of the settings file; one VALUES file per page.
#include "Commands.h"

#include "app/Settings.h"
#include "base/Error.h"
#include "model/ZqTemplate.h"
#include "print/PrintRun.h"
#include "print/ZqPrinters.h"

#include <QFileInfo>

using namespace zq;

namespace zq::cli {

QStringList readValueLines(const QString& path);

int runPrint(const QStringList& args)
{
    const QString usage = QStringLiteral(
        "用法：zqbp-batch print TEMPLATE.tpl [-v VALUES]... [--printer NAME | -o OUT.pdf] [--copies N]");
    QStringList positional, valueFiles;
    QString printer, output;
    int copies = 1;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        auto next = [&]() -> QString {
            if (i + 1 >= args.size())
                throw Error(QStringLiteral("选项 %1 缺少参数").arg(a));
            return args[++i];
        };
        if (a == u"-v")
            valueFiles.append(next());
        else if (a == u"--printer")
            printer = next();
        else if (a == u"-o")
            output = next();
        else if (a == u"--copies") {
            bool ok = false;
            copies = next().toInt(&ok);
            if (!ok || copies < 1 || copies > 100)
                throw Error(QStringLiteral("--copies 应为 1 到 100 之间的整数"));
        } else if (a.startsWith(u'-') && a.size() > 1)
            throw Error(QStringLiteral("未知的选项：%1").arg(a));
        else
            positional.append(a);
    }
    if (positional.size() != 1 || (!printer.isEmpty() && !output.isEmpty()))
        throw Error(usage);

    const Settings settings;
    zqp::TZqBPPrtPara para;
    para.IniFileName = settings.fileName();
    para.TemplateFileName = positional[0];
    const QFileInfo tf(positional[0]);
    para.FormatFileName = tf.path() + u'/' + tf.completeBaseName() + QStringLiteral(".sch");
    para.DateStyle = settings.get(settings::DateStyle);
    para.AmountStyle = settings.get(settings::AmountStyle);
    para.Copies = copies;

    // The pages: each VALUES file applied to the bill as the data-entry control would.
    TZqTemplate t;
    try {
        t.LoadFromFile(para.TemplateFileName);
    } catch (const Error& e) {
        throw Error(QStringLiteral("打开文件失败：%1：%2").arg(para.TemplateFileName, e.message()));
    }
    auto page = [&](const QStringList& lines) {
        t.SetNameValues(lines);
        t.EvaluateAll();
        para.Pages.append(t.GetItemValues());
    };
    if (valueFiles.isEmpty())
        page({});
    for (const QString& f : valueFiles) {
        try {
            page(readValueLines(f));
        } catch (const Error& e) {
            throw Error(QStringLiteral("%1：%2").arg(f, e.message()));
        }
    }

    zqp::TZqPrintSession session(para);
    session.Prepare();
    zqp::TZqPrinter& printers = zqp::ZqPrinter();
    if (!output.isEmpty()) {
        para.PrinterName = QString::fromUtf16(zqp::kPdfTarget);
        para.OutputFile = output;
    } else if (!printer.isEmpty()) {
        const std::optional<QString> p = printers.FindPrinter(printer);
        if (!p)
            throw Error(QStringLiteral("没有名为“%1”的打印机").arg(printer));
        para.PrinterName = *p;
    } else if (!printers.FindPrinter(para.PrinterName)) {
        para.PrinterName = printers.GetDefaultPrinterName();
        if (para.PrinterName.isEmpty())
            throw Error(QStringLiteral("没有设置打印机，也没有默认打印机：请用 --printer 或 -o 指定"));
    }
    if (para.PrinterName == QString::fromUtf16(zqp::kPdfTarget) && para.OutputFile.isEmpty())
        throw Error(QStringLiteral("打印到PDF文件时请用 -o 指定文件名"));
    if (para.Orientation == -1 || para.FeedPosition == -1) {
        err(QStringLiteral("提示：打印方案未设置打印方向或进纸位置，按正向、靠左打印\n"));
        if (para.Orientation == -1)
            para.Orientation = 1;
        if (para.FeedPosition == -1)
            para.FeedPosition = 0;
    }
    session.Print();
    out(QStringLiteral("已打印 %1 页 × %2 份到 %3\n").arg(para.Pages.size()).arg(copies).arg(para.PrinterName));
    return 0;
}

} // namespace zq::cli
