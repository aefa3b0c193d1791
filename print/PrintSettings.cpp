#include "PrintSettings.h"

#include "ZqPrinters.h"
#include "app/Settings.h"

namespace zqp {

TZqPrtSetChoice InitialChoice(const TZqBPPrtPara& para)
{
    TZqPrtSetChoice c;
    if (para.PrinterName.isEmpty())
        return c;
    c.Printer = ZqPrinter().FindPrinter(para.PrinterName).value_or(QString());
    c.Paper = para.AutoPaper ? 0 : 1;
    if (!para.AutoPaper && !c.Printer.isEmpty())
        for (const auto& f : FormsFor(c.Printer))
            if (f.first == para.PaperName)
                c.Form = f.first;
    c.Orientation = para.Orientation == 1 || para.Orientation == 2 ? para.Orientation : -1;
    c.Feed = para.FeedPosition == 0 || para.FeedPosition == 1 ? para.FeedPosition : -1;
    return c;
}

QList<std::pair<QString, int>> FormsFor(const QString& printer)
{
    if (printer.isEmpty())
        return {};
    return ZqPrinter().GetFormNames(printer);
}

QString CheckChoice(const TZqPrtSetChoice& c)
{
    if (c.Printer.isEmpty() || !ZqPrinter().FindPrinter(c.Printer))
        return QStringLiteral("请选择打印机！");
    if (c.Paper == 1) {
        if (c.Form.isEmpty())
            return QStringLiteral("请选择自定义纸张！");
        bool found = false;
        for (const auto& f : FormsFor(c.Printer))
            found = found || f.first == c.Form;
        if (!found)
            return QStringLiteral("所选打印机没有“%1”这种纸张，请重新选择自定义纸张！").arg(c.Form);
    }
    if (c.Paper != 0 && c.Paper != 1)
        return QStringLiteral("请选择打印范围！");
    if (c.Orientation != 1 && c.Orientation != 2)
        return QStringLiteral("请选择打印方向！");
    if (c.Feed != 0 && c.Feed != 1)
        return QStringLiteral("请选择进纸位置，票据打印机选择靠左、激光或喷墨打印机选择居中！");
    return {};
}

void StoreChoice(const TZqPrtSetChoice& c, TZqBPPrtPara& para)
{
    para.PrinterName = ZqPrinter().FindPrinter(c.Printer).value_or(c.Printer);
    para.AutoPaper = c.Paper == 0;
    if (c.Paper == 1) {
        for (const auto& f : FormsFor(c.Printer))
            if (f.first == c.Form) {
                para.PaperCode = f.second;
                para.PaperName = f.first;
            }
    }
    para.Orientation = c.Orientation == 1 ? 1 : 2;
    para.FeedPosition = c.Feed == 0 ? 0 : c.Feed == 1 ? 1 : 2;
    zq::PrintScheme s;
    s.PrinterName = para.PrinterName;
    s.AutoPaper = para.AutoPaper;
    s.PaperCode = para.PaperCode;
    s.PaperName = para.PaperName;
    s.Orientation = para.Orientation;
    s.FeedPosition = para.FeedPosition;
    zq::Settings(para.IniFileName).setPrintScheme(s);
}

QString WizardInitialPrinter(const QString& given)
{
    const QString name = given.trimmed().isEmpty() ? ZqPrinter().GetDefaultPrinterName() : given;
    if (name.isEmpty())
        return {};
    return ZqPrinter().FindPrinter(name).value_or(QString());
}

} // namespace zqp
