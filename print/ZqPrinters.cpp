#include "ZqPrinters.h"

#include "base/Error.h"
#include "base/Gbk.h"

#include <QFile>
#include <QPrinter>
#include <QPrinterInfo>
#include <algorithm>

using namespace zq;

namespace zqp {

namespace {

TZqForm formOf(const QPageSize& s)
{
    const QSizeF mm = s.size(QPageSize::Millimeter);
    return TZqForm{s.name(), static_cast<int>(mm.width() * 1000 + 0.5), static_cast<int>(mm.height() * 1000 + 0.5), s};
}

// The PDF target offers the common cut sizes.
QList<TZqForm> pdfForms()
{
    QList<TZqForm> f;
    for (QPageSize::PageSizeId id : {QPageSize::A3, QPageSize::A4, QPageSize::A5, QPageSize::B5, QPageSize::JisB5,
                                     QPageSize::Letter, QPageSize::Legal})
        f.append(formOf(QPageSize(id)));
    return f;
}

// The landscape rotation a CUPS queue's PPD names; 90 when it says nothing.
int ppdLandscapeAngle(const QString& printer)
{
    QFile f(QStringLiteral("/etc/cups/ppd/%1.ppd").arg(printer));
    if (f.open(QIODevice::ReadOnly))
        while (!f.atEnd()) {
            const QByteArray line = f.readLine();
            if (line.startsWith("*LandscapeOrientation:"))
                return line.contains("Minus90") ? 270 : 90;
        }
    return 90;
}

class SystemSource : public TZqPrinterSource {
public:
    QStringList PrinterNames() override { return QPrinterInfo::availablePrinterNames(); }
    QString DefaultPrinterName() override { return QPrinterInfo::defaultPrinterName(); }
    QList<TZqForm> Forms(const QString& printer) override
    {
        QList<TZqForm> out;
        for (const QPageSize& s : QPrinterInfo::printerInfo(printer).supportedPageSizes())
            out.append(formOf(s));
        return out;
    }
    QStringList PaperNames(const QString& printer) override
    {
        QStringList out;
        for (const TZqForm& f : Forms(printer))
            out.append(f.Name);
        return out;
    }
    QList<int> PaperCodes(const QString& printer) override
    {
        QList<int> out;
        for (const QPageSize& s : QPrinterInfo::printerInfo(printer).supportedPageSizes())
            out.append(s.windowsId());
        return out;
    }
    int OrientationAngle(const QString& printer) override { return ppdLandscapeAngle(printer); }
};

std::unique_ptr<TZqPrinter>& instance()
{
    static std::unique_ptr<TZqPrinter> p;
    return p;
}

bool isPdf(const QString& name) { return name == QString::fromUtf16(kPdfTarget); }

} // namespace

std::unique_ptr<TZqPrinterSource> MakeSystemPrinterSource() { return std::make_unique<SystemSource>(); }

TZqPrinter::TZqPrinter(std::unique_ptr<TZqPrinterSource> source) : m_source(std::move(source)) {}

const QStringList& TZqPrinter::Printers()
{
    if (!m_printers) {
        QStringList names = m_source->PrinterNames();
        // A queue that happens to share the PDF target's name would be unreachable.
        names.removeAll(QString::fromUtf16(kPdfTarget));
        names.append(QString::fromUtf16(kPdfTarget));
        m_printers = names;
    }
    return *m_printers;
}

std::optional<QString> TZqPrinter::FindPrinter(const QString& name)
{
    for (const QString& p : Printers())
        if (p.compare(name, Qt::CaseInsensitive) == 0)
            return p;
    return std::nullopt;
}

QString TZqPrinter::GetDefaultPrinterName() { return m_source->DefaultPrinterName(); }

QList<TZqForm> TZqPrinter::FormsOf(const QString& printer)
{
    const std::optional<QString> p = FindPrinter(printer);
    if (!p)
        return {};
    return isPdf(*p) ? pdfForms() : m_source->Forms(*p);
}

QList<std::pair<QString, int>> TZqPrinter::GetFormNames(const QString& printer)
{
    QList<std::pair<QString, int>> out;
    const QList<TZqForm> forms = FormsOf(printer);
    for (qsizetype i = 0; i < forms.size(); ++i)
        out.append({forms[i].Name, static_cast<int>(i + 1)});
    std::stable_sort(out.begin(), out.end(), [](const auto& a, const auto& b) {
        return a.first.compare(b.first, Qt::CaseInsensitive) < 0;
    });
    return out;
}

std::optional<TZqForm> TZqPrinter::FindForm(const QString& printer, const QString& formName)
{
    const QString wanted = asciiUpper(formName);
    for (const TZqForm& f : FormsOf(printer))
        if (asciiUpper(f.Name.trimmed()) == wanted)
            return f;
    return std::nullopt;
}

std::optional<QSize> TZqPrinter::FindFormSize(const QString& printer, const QString& formName)
{
    const std::optional<TZqForm> f = FindForm(printer, formName);
    if (!f)
        return std::nullopt;
    return QSize(f->WidthUm / 1000, f->HeightUm / 1000);
}

QList<TZqPaperName> TZqPrinter::GetPaperNames(const QString& printer)
{
    const std::optional<QString> p = FindPrinter(printer);
    QList<TZqPaperName> out;
    if (!p)
        return out;
    QStringList names;
    QList<int> codes;
    if (isPdf(*p)) {
        for (const TZqForm& f : pdfForms()) {
            names.append(f.Name);
            codes.append(f.Size.windowsId());
        }
    } else {
        names = m_source->PaperNames(*p);
        codes = m_source->PaperCodes(*p);
    }
    if (names.isEmpty() || names.size() != codes.size())
        return out;
    for (qsizetype i = 0; i < names.size(); ++i)
        out.append({names[i], codes[i]});
    return out;
}

int TZqPrinter::GetOrientationAngle(const QString& printer)
{
    const std::optional<QString> p = FindPrinter(printer);
    if (!p)
        return 0;
    return isPdf(*p) ? 90 : m_source->OrientationAngle(*p);
}

std::unique_ptr<QPrinter> TZqPrinter::CreatePrinterDevice(const QString& printer, const QPageSize& paper,
                                                          QPageLayout::Orientation orientation,
                                                          const QString& docName, const QString& outputFile)
{
    const std::optional<QString> p = FindPrinter(printer);
    if (!p)
        throw Error(QStringLiteral("Invalid printer name"));
    std::unique_ptr<QPrinter> dev;
    if (isPdf(*p)) {
        if (outputFile.isEmpty())
            throw Error(QStringLiteral("没有指定PDF文件名"));
        dev = std::make_unique<QPrinter>(QPrinter::HighResolution);
        dev->setOutputFormat(QPrinter::PdfFormat);
        dev->setOutputFileName(outputFile);
    } else {
        const QPrinterInfo info = QPrinterInfo::printerInfo(*p);
        if (info.isNull())
            throw Error(QStringLiteral("Invalid printer name"));
        dev = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
        dev->setOutputFormat(QPrinter::NativeFormat);
    }
    // Positions count from the paper's corner; the calibration takes up what
    // the printer cannot reach and its mechanical error.
    dev->setFullPage(true);
    dev->setPageSize(paper);
    dev->setPageOrientation(orientation);
    dev->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    dev->setDocName(docName);
    dev->setCopyCount(1); // copies are collated by the run itself
    dev->setCreator(QStringLiteral("zqbp"));
    return dev;
}

TZqPrinter& ZqPrinter()
{
    if (!instance())
        instance() = std::make_unique<TZqPrinter>(MakeSystemPrinterSource());
    return *instance();
}

void SetZqPrinterSource(std::unique_ptr<TZqPrinterSource> source)
{
    instance() = source ? std::make_unique<TZqPrinter>(std::move(source)) : nullptr;
}

} // namespace zqp
