#include "PrintRun.h"

#include "Calibration.h"
#include "ZqPrinters.h"
#include "app/Settings.h"
#include "base/Error.h"
#include "base/Rounding.h"
#include "model/ZqDate.h"
#include "model/ZqEdit.h"
#include "model/ZqGrid.h"
#include "platform/QtCanvas.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <QUuid>
#include <cstdio>

using namespace zq;

namespace zqp {

void ApplyCapitalStyles(TZqTemplate& t, int dateStyle, int amountStyle)
{
    for (int i = 0; i < t.ItemCount(); ++i) {
        TZqItem* it = t.Item(i);
        if (it->Kind() == itDate) {
            auto* d = static_cast<TZqDate*>(it);
            if (d->Format == 0 || d->Format == 1 || d->Format == 11 || d->Format == 12) {
                if (dateStyle == 1)
                    d->Format = 12;
                else if (dateStyle == 2)
                    d->Format = 0;
            }
        } else if (it->Kind() == itEdit) {
            auto* e = static_cast<TZqEdit*>(it);
            if (e->OnlyDigit && (e->AutoUpper == 1 || e->AutoUpper == 8 || e->AutoUpper == 9 || e->AutoUpper == 10)) {
                if (amountStyle == 1)
                    e->AutoUpper = 9;
                else if (amountStyle == 2)
                    e->AutoUpper = 1;
            }
        }
    }
}

void ChooseAutoPaper(const QList<TZqPaperName>& papers, int& code, QString& name)
{
    bool a3 = false;
    for (const TZqPaperName& p : papers)
        a3 = a3 || p.Name.compare(u"A3", Qt::CaseInsensitive) == 0;
    code = a3 ? 8 : 9;
    name = a3 ? QStringLiteral("A3") : QStringLiteral("A4");
}

TZqPrintSession::TZqPrintSession(TZqBPPrtPara& para) : m_para(para) {}

void TZqPrintSession::Prepare()
{
    try {
        m_input.LoadFromFile(m_para.TemplateFileName);
    } catch (const Error& e) {
        throw Error(QStringLiteral("打开文件失败：\n%1").arg(e.message()));
    }
    ApplyCapitalStyles(m_input, m_para.DateStyle, m_para.AmountStyle);
    const PrintScheme s = Settings(m_para.IniFileName).printScheme();
    m_para.PrinterName = s.PrinterName;
    m_para.AutoPaper = s.AutoPaper;
    m_para.PaperCode = s.PaperCode;
    m_para.PaperName = s.PaperName;
    m_para.Orientation = s.Orientation;
    m_para.FeedPosition = s.FeedPosition;
    m_format.clear();
    if (!m_para.FormatFileName.isEmpty() && QFileInfo::exists(m_para.FormatFileName)) {
        QFile f(m_para.FormatFileName);
        if (f.open(QIODevice::ReadOnly))
            m_format = f.readAll();
    }
    if (m_para.Pages.isEmpty())
        throw Error(QStringLiteral("没有要打印的票据"));
    m_page = 0;
    ShowPage(0);
}

void TZqPrintSession::ShowPage(int i)
{
    if (i < 0 || i >= PageCount())
        throw Error(QStringLiteral("没有第 %1 张票据").arg(i + 1));
    for (int k = 0; k < m_input.ItemCount(); ++k)
        if (m_input.Item(k)->Kind() == itGrid)
            static_cast<TZQGridEx*>(m_input.Item(k))->ResetBodyRows();
    m_input.SetItemValues(m_para.Pages[i]);
    m_input.EvaluateAll();
    m_surface.LoadFromStream(m_input.SaveToStream());
    if (!m_format.isEmpty()) {
        TZqTemplate fmt;
        try {
            fmt.LoadFromStream(m_format);
        } catch (const Error& e) {
            throw Error(QStringLiteral("打印格式文件已损坏：%1").arg(e.message()));
        }
        m_surface.ApplyFormat(fmt);
    }
    m_page = i;
}

QString TZqPrintSession::PriorPage()
{
    if (m_page <= 0)
        return QStringLiteral("已是第一张了！");
    m_format = m_surface.SaveToStream();
    ShowPage(m_page - 1);
    return {};
}

QString TZqPrintSession::NextPage()
{
    if (m_page >= PageCount() - 1)
        return QStringLiteral("已是最后一张了！");
    m_format = m_surface.SaveToStream();
    ShowPage(m_page + 1);
    return {};
}

void TZqPrintSession::RestoreDefault()
{
    m_format.clear();
    ShowPage(m_page);
}

void TZqPrintSession::SaveFormat() { m_surface.SaveToFile(m_para.FormatFileName); }

bool TZqPrintSession::NeedsSettings() const
{
    return !ZqPrinter().FindPrinter(m_para.PrinterName) || m_para.Orientation == -1 || m_para.FeedPosition == -1;
}

void TZqPrintSession::Print()
{
    if (m_para.Pages.isEmpty())
        throw Error(QStringLiteral("没有要打印的票据"));
    if (m_para.Copies < 1 || m_para.Copies > 100)
        throw Error(QStringLiteral("打印份数应为 1 到 100"));
    const Calibration c = SaneCalibration(Settings(m_para.IniFileName).calibration(m_para.PrinterName));
    m_para.PortraitLeftMargin = c.PortraitLeftMargin;
    m_para.PortraitTopMargin = c.PortraitTopMargin;
    m_para.LandscapeLeftMargin = c.LandscapeLeftMargin;
    m_para.LandscapeTopMargin = c.LandscapeTopMargin;
    if (m_para.AutoPaper)
        ChooseAutoPaper(ZqPrinter().GetPaperNames(m_para.PrinterName), m_para.PaperCode, m_para.PaperName);
    PrintJob();
    m_printed = true;
    if (OnPrintFinish)
        OnPrintFinish(m_para.Pages);
}

void TZqPrintSession::PrintJob()
{
    TZqPrinter& printers = ZqPrinter();
    const std::optional<QString> printer = printers.FindPrinter(m_para.PrinterName);
    if (!printer)
        throw Error(QStringLiteral("Invalid printer name"));
    const std::optional<TZqForm> form = printers.FindForm(*printer, m_para.PaperName);
    if (!form)
        throw Error(QStringLiteral("打印机“%1”没有纸张“%2”，未打印").arg(*printer, m_para.PaperName));
    const QStringList bad = m_surface.Unprintable();
    if (!bad.isEmpty())
        throw Error(QStringLiteral("金额的位数超出了格子数，未打印：%1").arg(bad.join(u'、')));

    const int tw = m_surface.Template().TempWidth, th = m_surface.Template().TempHeight;
    const int angle = printers.GetOrientationAngle(*printer);
    const int W = roundToInt(form->WidthUm / 1000 * kPixelsPerMm);
    const int H = roundToInt(form->HeightUm / 1000 * kPixelsPerMm);
    Calibration margins;
    margins.PortraitLeftMargin = m_para.PortraitLeftMargin;
    margins.PortraitTopMargin = m_para.PortraitTopMargin;
    margins.LandscapeLeftMargin = m_para.LandscapeLeftMargin;
    margins.LandscapeTopMargin = m_para.LandscapeTopMargin;
    const TZqOffsets off = ComputeOffsets(tw, th, W, H, m_para.Orientation, m_para.FeedPosition, angle, margins);

    // The PDF file is written aside and renamed into place when complete.
    const bool toFile = *printer == QString::fromUtf16(kPdfTarget);
    const QString aside = toFile ? m_para.OutputFile + QStringLiteral(".part-") +
                                       QUuid::createUuid().toString(QUuid::Id128).left(8)
                                 : QString();
    std::unique_ptr<QPrinter> dev = printers.CreatePrinterDevice(
        *printer, form->Size, m_para.Orientation == 1 ? QPageLayout::Portrait : QPageLayout::Landscape,
        m_para.DocTitle, aside);
    QPainter p;
    if (!p.begin(dev.get()))
        throw Error(QStringLiteral("无法在打印机“%1”上开始打印").arg(*printer));
    bool first = true;
    auto printPage = [&] {
        const QStringList cut = m_surface.Unprintable();
        if (!cut.isEmpty())
            throw Error(QStringLiteral("金额的位数超出了格子数，未打印：%1").arg(cut.join(u'、')));
        if (!first && !dev->newPage())
            throw Error(QStringLiteral("打印机“%1”无法换页").arg(*printer));
        first = false;
        QtCanvas dc(p);
        Mapping map;
        const int w = m_surface.Template().TempWidth, h = m_surface.Template().TempHeight;
        map.windowExt = QSize(std::max(1, w), std::max(1, h));
        map.viewportExt = QSize(std::max(1, roundToInt(dev->logicalDpiX() / 96.0 * w)),
                                std::max(1, roundToInt(dev->logicalDpiY() / 96.0 * h)));
        dc.setMapping(map);
        m_surface.PrintTo(dc, off.dx, off.dy, false);
    };
    try {
        if (PageCount() > 1)
            m_format = m_surface.SaveToStream();
        for (int copy = 0; copy < m_para.Copies; ++copy) {
            if (PageCount() > 1) {
                for (int i = 0; i < PageCount(); ++i) {
                    ShowPage(i);
                    printPage();
                }
            } else {
                printPage();
            }
        }
    } catch (...) {
        dev->abort();
        p.end();
        if (toFile)
            QFile::remove(aside);
        throw;
    }
    if (!p.end() || dev->printerState() == QPrinter::Error) {
        if (toFile)
            QFile::remove(aside);
        throw Error(QStringLiteral("打印机“%1”未能接收打印任务").arg(*printer));
    }
    if (toFile && std::rename(QFile::encodeName(aside).constData(), QFile::encodeName(m_para.OutputFile).constData()) != 0) {
        QFile::remove(aside);
        throw Error(QStringLiteral("无法写入文件：%1").arg(m_para.OutputFile));
    }
}

} // namespace zqp
