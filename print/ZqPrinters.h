#pragma once
// The printers of the system, as the print run, the print settings and the
// calibration need them: the installed printers (CUPS through QtPrintSupport)
// plus a target that writes a PDF file, their forms with sizes, paper names
// with codes, the landscape rotation and the default printer, and a paint
// device opened on a printer with a chosen paper and orientation.
#include <QList>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace zqp {

// The printer that writes a PDF file instead of paper.
inline constexpr char16_t kPdfTarget[] = u"PDF文件";

// One form (paper size) as the printing system reports it.
struct TZqForm {
    QString Name;
    int WidthUm = 0, HeightUm = 0; // thousandths of a millimetre
    QPageSize Size;                // what a device is opened with
};

struct TZqPaperName {
    QString Name;
    int Code = 0; // the paper code of the form (DMPAPER_ numbering, 256 custom)
};

// What the platform reports; the wrapper adds lookup, sorting and caching.
// Tests put in a source of their own.
class TZqPrinterSource {
public:
    virtual ~TZqPrinterSource() = default;
    virtual QStringList PrinterNames() = 0;
    virtual QString DefaultPrinterName() = 0;
    // In the system's enumeration order.
    virtual QList<TZqForm> Forms(const QString& printer) = 0;
    virtual QStringList PaperNames(const QString& printer) = 0;
    virtual QList<int> PaperCodes(const QString& printer) = 0;
    // 90 or 270: the angle by which portrait is turned to give landscape; 0 none.
    virtual int OrientationAngle(const QString& printer) = 0;
};

// The spooler's printers through QtPrintSupport.
std::unique_ptr<TZqPrinterSource> MakeSystemPrinterSource();

class TZqPrinter {
public:
    explicit TZqPrinter(std::unique_ptr<TZqPrinterSource> source);

    // Built on the first call and kept: printers installed later appear at the
    // next start. The PDF target is always the last entry.
    const QStringList& Printers();
    // The entry for a name, compared without regard to letter case; nullopt when absent.
    std::optional<QString> FindPrinter(const QString& name);
    // Empty when there is no default printer (never an error).
    QString GetDefaultPrinterName();
    // Every form of the printer, sorted by name, each with its 1-based
    // position in the system's enumeration order.
    QList<std::pair<QString, int>> GetFormNames(const QString& printer);
    // The first form whose trimmed name equals the wanted one (neither side's
    // ASCII case counts); sizes in whole millimetres, truncated. nullopt when absent.
    std::optional<QSize> FindFormSize(const QString& printer, const QString& formName);
    std::optional<TZqForm> FindForm(const QString& printer, const QString& formName);
    // Names with their codes, in the driver's order; empty when the driver's
    // counts of names and codes differ.
    QList<TZqPaperName> GetPaperNames(const QString& printer);
    int GetOrientationAngle(const QString& printer);

    // A device opened on a listed printer (error "Invalid printer name"
    // otherwise) with its origin at the paper's corner; the PDF target writes
    // `outputFile`. The caller owns it and ends the job by ending its painter.
    std::unique_ptr<QPrinter> CreatePrinterDevice(const QString& printer, const QPageSize& paper,
                                                  QPageLayout::Orientation orientation,
                                                  const QString& docName, const QString& outputFile);

private:
    QList<TZqForm> FormsOf(const QString& printer);
    std::unique_ptr<TZqPrinterSource> m_source;
    std::optional<QStringList> m_printers;
};

// The one instance of the process, over the system's printers.
TZqPrinter& ZqPrinter();
// Replaces the process's instance (tests); none restores the system's.
void SetZqPrinterSource(std::unique_ptr<TZqPrinterSource> source);

} // namespace zqp
