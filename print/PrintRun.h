#pragma once
// The print run without a window: the print parameter record, the bill's
// template with the capital styles, the print scheme, the saved format, the
// pages shown one at a time on the adjustment document, and the job that puts
// the values (never the background) onto the printer's pages, shifted by the
// calibration and the feed edge and mapped to the printer's resolution on
// each axis. The print window and zqbp-batch both drive it.
#include "AdjustSurface.h"
#include "ZqPrinters.h"
#include "model/ZqTemplate.h"

#include <QList>
#include <QString>
#include <functional>
#include <memory>

namespace zqp {

using TZqPage = QList<TZqItemValue>;

struct TZqBPPrtPara {
    QString IniFileName;
    QString TemplateFileName;
    QString FormatFileName;
    QString PrinterName;
    bool AutoPaper = true;
    int PaperCode = -1;
    QString PaperName;
    int Orientation = -1;  // 1 portrait, 2 landscape
    int FeedPosition = -1; // 0 left, 1 centre, 2 neither
    double PortraitLeftMargin = 40, PortraitTopMargin = 40, LandscapeLeftMargin = 40, LandscapeTopMargin = 40;
    QString DocTitle = QStringLiteral("票据打印");
    QList<TZqPage> Pages;
    int Copies = 1;
    int DateStyle = 0;
    int AmountStyle = 0;
    QString OutputFile; // the PDF target's file
};

// The capital styles chosen for the bill: cheque date formats and the four
// "人民币" amount-in-words styles.
void ApplyCapitalStyles(TZqTemplate& t, int dateStyle, int amountStyle);

// Automatic paper: A3 when the printer offers it (any letter case), else A4.
void ChooseAutoPaper(const QList<TZqPaperName>& papers, int& code, QString& name);

class TZqPrintSession {
public:
    explicit TZqPrintSession(TZqBPPrtPara& para);

    // Loads the template (error "打开文件失败：" and the reason), applies the
    // capital styles, reads the print scheme and the saved format, and shows
    // page 0. An empty page list is an error.
    void Prepare();

    TZqBPPrtPara& Para() { return m_para; }
    TZqAdjustDoc& Surface() { return m_surface; }
    // The bill's template as loaded (values of the page shown).
    TZqTemplate& Input() { return m_input; }
    int PageIndex() const { return m_page; }
    int PageCount() const { return static_cast<int>(m_para.Pages.size()); }
    bool Printed() const { return m_printed; }
    bool HasFormat() const { return !m_format.isEmpty(); }

    // The values of page i on the surface, with the in-memory format.
    void ShowPage(int i);
    // Page navigation; the message when there is no such page, empty otherwise.
    QString PriorPage();
    QString NextPage();
    // "恢复默认": forget the in-memory format (the file stays) and show the page again.
    void RestoreDefault();
    // "保存格式": the surface's layout to the format file.
    void SaveFormat();

    // The printer, direction or feed edge is not known: the settings come first.
    bool NeedsSettings() const;
    // Reads the printer's calibration, chooses the automatic paper and prints
    // every copy of every page. Errors (zq::Error) leave nothing reported as
    // printed: the flag stays, OnPrintFinish is not raised.
    void Print();

    std::function<void(const QList<TZqPage>&)> OnPrintFinish;

private:
    void PrintJob();
    TZqBPPrtPara& m_para;
    TZqTemplate m_input;
    TZqAdjustDoc m_surface;
    QByteArray m_format;
    int m_page = 0;
    bool m_printed = false;
};

} // namespace zqp
