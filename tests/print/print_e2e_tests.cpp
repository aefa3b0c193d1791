// End to end: a bill with a label, an amount cut into digit boxes and a date
// cut into its parts, printed through the real print run to the PDF target and
// to the cups-pdf queue of scripts/spooler-setup.sh. Every value is found in
// the PDF that arrives: x from `pdftotext -bbox`, y from ink centroids in a
// 1200 dpi `pdftoppm` image against a reference drawing of the same page.
#include "PrintFixture.h"

#include "app/Settings.h"
#include "base/Error.h"
#include "base/Rounding.h"
#include "model/ZqEdit.h"
#include "platform/Fonts.h"
#include "platform/QtCanvas.h"
#include "print/PrintRun.h"
#include "print/ZqPrinters.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <cmath>

using namespace zq;
using namespace zqp;

namespace {

constexpr char16_t kQueue[] = u"zqbp-pdf";
constexpr char kQueueDir[] = "/var/spool/zqbp-pdf";
constexpr double kDpi = 1200;
constexpr double kMmPerPx = 25.4 / 96.0; // template pixels

// The text outputs of a drawing, in template pixels.
struct TextOp {
    QString text;
    QPoint at;
    QSize extent;
};
class ProbeCanvas : public QtCanvas {
public:
    using QtCanvas::QtCanvas;
    std::vector<TextOp> ops;
    void textOut(int x, int y, const QString& text) override
    {
        ops.push_back({text, QPoint(x, y), textExtent(text)});
        QtCanvas::textOut(x, y, text);
    }
};

QString run(const QString& program, const QStringList& args, QByteArray* out = nullptr)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return program + QStringLiteral(" failed: ") + QString::fromUtf8(p.readAllStandardError());
    if (out)
        *out = p.readAllStandardOutput();
    return {};
}

struct Word {
    QString text;
    double xMin, yMin, xMax, yMax; // millimetres
};
std::vector<Word> pdfWords(const QString& pdf, QString& error, int page = 0)
{
    QByteArray html;
    QStringList args{QStringLiteral("-bbox")};
    if (page)
        args << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l") << QString::number(page);
    error = run(QStringLiteral("pdftotext"), args << pdf << QStringLiteral("-"), &html);
    std::vector<Word> words;
    static const QRegularExpression re(QStringLiteral(
        "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
    const double mm = 25.4 / 72;
    for (auto it = re.globalMatch(QString::fromUtf8(html)); it.hasNext();) {
        const auto m = it.next();
        words.push_back({m.captured(5), m.captured(1).toDouble() * mm, m.captured(2).toDouble() * mm,
                         m.captured(3).toDouble() * mm, m.captured(4).toDouble() * mm});
    }
    return words;
}

// The ink-weighted centre (device pixels) of a region of a grey image.
std::optional<QPointF> centroid(const QImage& img, const QRect& r)
{
    double sx = 0, sum = 0, weight = 0;
    const QRect c = r.intersected(img.rect());
    for (int y = c.top(); y <= c.bottom(); ++y) {
        const uchar* line = img.constScanLine(y);
        for (int x = c.left(); x <= c.right(); ++x) {
            const double ink = 255 - line[x];
            sum += ink * y;
            sx += ink * x;
            weight += ink;
        }
    }
    if (weight < 255 * 4)
        return std::nullopt;
    return QPointF(sx / weight, sum / weight);
}

struct E2E : ::testing::Test {
    QTemporaryDir dir;
    TZqBPPrtPara para;
    int dx = 0, dy = 0; // the shift the calibration and the feed give, worked out by hand

    void SetUp() override
    {
        installFontSubstitutions();
        SetZqPrinterSource(nullptr);
        TZqTemplate t;
        t.TempWidth = 600; // narrower than A4: the centre feed adds (794 - 600) div 2 = 97
        t.TempHeight = 1123;
        auto* l = addItem<TZqLabel>(t, itLabel, QStringLiteral("Title"), mmToPixels(20), mmToPixels(15),
                                    mmToPixels(60), mmToPixels(8));
        l->Caption = QStringLiteral("PAYEE");
        l->PrintSelf = 1;
        auto* a = addAmount(t, QStringLiteral("Amount"), mmToPixels(30), mmToPixels(35), mmToPixels(70),
                            mmToPixels(9), 6, 0);
        a->SetValue(QStringLiteral("12345.67"));
        auto* d = addItem<TZqDate>(t, itDate, QStringLiteral("Date"), mmToPixels(30), mmToPixels(55), 204,
                                   mmToPixels(8));
        d->Format = 2;
        d->LabelWidth = 16;
        d->SetValue(QStringLiteral("2026-12-11"));
        para.IniFileName = dir.filePath(QStringLiteral("config.ini"));
        para.TemplateFileName = dir.filePath(QStringLiteral("bill.tpl"));
        para.FormatFileName = dir.filePath(QStringLiteral("bill.sch"));
        t.SaveToFile(para.TemplateFileName);
        para.Pages = {t.GetItemValues()};
        dx = -9 + 97; // left margin 42.5: round(-2.5 * 3.7795) = -9
        dy = 8;       // top margin 38: round(2 * 3.7795) = 8
    }

    void scheme(const QString& printer)
    {
        const Settings s(para.IniFileName);
        PrintScheme p;
        p.PrinterName = printer;
        p.AutoPaper = false;
        p.PaperCode = 9;
        p.PaperName = QStringLiteral("A4");
        p.Orientation = 1;
        p.FeedPosition = 1;
        s.setPrintScheme(p);
        Calibration c;
        c.PortraitLeftMargin = 42.5;
        c.PortraitTopMargin = 38;
        s.setCalibration(printer, c);
    }

    // Prints, then checks every value of the page in the PDF; the largest error in mm.
    double check(const QString& pdf, TZqPrintSession& session, bool textKept = true)
    {
        // Where the template and the calibration put each text: the same page
        // drawn at 1200 dpi into a reference image of the top of the sheet.
        const QRect crop(0, 0, roundToInt(130 / 25.4 * kDpi), roundToInt(75 / 25.4 * kDpi));
        QImage ref(crop.size(), QImage::Format_Grayscale8);
        ref.fill(Qt::white);
        std::vector<TextOp> ops;
        {
            QPainter p(&ref);
            ProbeCanvas dc(p);
            Mapping m;
            const int tw = session.Surface().Template().TempWidth, th = session.Surface().Template().TempHeight;
            m.windowExt = QSize(tw, th);
            m.viewportExt = QSize(roundToInt(kDpi / 96 * tw), roundToInt(kDpi / 96 * th));
            dc.setMapping(m);
            session.Surface().PrintTo(dc, dx, dy, false);
            ops = dc.ops;
        }
        QString error;
        const std::vector<Word> words = pdfWords(pdf, error);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        const QString base = dir.filePath(QStringLiteral("page"));
        error = run(QStringLiteral("pdftoppm"),
                    {QStringLiteral("-r"), QString::number(kDpi), QStringLiteral("-gray"), QStringLiteral("-x"),
                     QStringLiteral("0"), QStringLiteral("-y"), QStringLiteral("0"), QStringLiteral("-W"),
                     QString::number(crop.width()), QStringLiteral("-H"), QString::number(crop.height()),
                     QStringLiteral("-singlefile"), pdf, base});
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        QImage printed(base + QStringLiteral(".pgm"));
        EXPECT_FALSE(printed.isNull());
        printed = printed.convertToFormat(QImage::Format_Grayscale8);

        // PAYEE, the seven digit boxes and the three date parts; a text may be
        // drawn a character at a time.
        QString all;
        for (const TextOp& op : ops)
            all += op.text;
        EXPECT_EQ(all, QStringLiteral("PAYEE1234567202612") + QStringLiteral("11"));
        double worst = 0;
        int wordStarts = 0;
        const double pxPerTpl = kDpi / 96;
        for (const TextOp& op : ops) {
            const double xmm = op.at.x() * kMmPerPx, ymm = op.at.y() * kMmPerPx;
            // The word of the PDF that holds this text at this place.
            // The spooler's PDF (redistilled with Type 3 fonts) keeps the glyphs
            // and their places but not their character codes: there a word is
            // found by its place alone.
            const Word* word = nullptr;
            for (const Word& w : words)
                if ((textKept ? w.text.contains(op.text) : true) && std::abs(w.yMin - ymm) < 4 && xmm > w.xMin - 1
                    && xmm < w.xMax + 1)
                    word = &w;
            if (!word && textKept)
                ADD_FAILURE() << "not in the PDF: " << op.text.toStdString() << " at " << xmm << ", " << ymm;
            if (word && (!textKept || word->text.startsWith(op.text)) && std::abs(word->xMin - xmm) < 1) {
                // x of a word's start: pdftotext's box begins at the pen position.
                const double ex = std::abs(word->xMin - xmm);
                EXPECT_LE(ex, 0.1) << op.text.toStdString() << " x " << word->xMin << " want " << xmm;
                worst = std::max(worst, ex);
                ++wordStarts;
            }
            const QRect region(roundToInt((op.at.x() - 2) * pxPerTpl), roundToInt((op.at.y() - 2) * pxPerTpl),
                               roundToInt((op.extent.width() + 4) * pxPerTpl),
                               roundToInt((op.extent.height() + 4) * pxPerTpl));
            const auto c = centroid(printed, region), cRef = centroid(ref, region);
            if (!c || !cRef) {
                ADD_FAILURE() << "no ink for " << op.text.toStdString();
                continue;
            }
            const double ey = std::abs(c->y() - cRef->y()) / kDpi * 25.4;
            const double exInk = std::abs(c->x() - cRef->x()) / kDpi * 25.4;
            EXPECT_LE(ey, 0.1) << op.text.toStdString() << " y off by " << ey;
            EXPECT_LE(exInk, 0.1) << op.text.toStdString() << " ink x off by " << exInk;
            std::printf("  %-4s x %.4f (ink %.4f)  y %.4f mm\n", op.text.toUtf8().constData(),
                        word ? std::abs(word->xMin - xmm) : -1.0, exInk, ey);
            worst = std::max({worst, ey, exInk});
        }
        EXPECT_GE(wordStarts, 9); // PAYEE, ￥, six digits and at least the year
        std::printf("largest position error: %.4f mm over %zu texts (%d word starts)\n", worst, ops.size(), wordStarts);
        return worst;
    }
};

} // namespace

TEST_F(E2E, PdfTargetPutsEveryValueOnItsBox)
{
    const QString printer = QString::fromUtf16(kPdfTarget);
    scheme(printer);
    TZqPrintSession session(para);
    session.Prepare();
    para.OutputFile = dir.filePath(QStringLiteral("out.pdf"));
    session.Print();
    ASSERT_TRUE(QFile::exists(para.OutputFile));
    RecordProperty("largest_error_mm", std::to_string(check(para.OutputFile, session)));
}

TEST_F(E2E, SpoolerPutsEveryValueOnItsBox)
{
    const QString queue = QString::fromUtf16(kQueue);
    if (!QPrinterInfo::availablePrinterNames().contains(queue) || !QDir(QString::fromLatin1(kQueueDir)).exists())
        GTEST_SKIP() << "no cups-pdf queue zqbp-pdf (scripts/spooler-setup.sh sets it up as root); "
                        "the PDF target test covers the print run";
    scheme(queue);
    QDir out(QString::fromLatin1(kQueueDir));
    const QStringList before = out.entryList({QStringLiteral("*.pdf")}, QDir::Files);
    TZqPrintSession session(para);
    session.Prepare();
    session.Print();
    // Wait for the spooler to finish the job and the file to arrive.
    QString arrived;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 90000 && arrived.isEmpty()) {
        QThread::msleep(200);
        QByteArray pending;
        run(QStringLiteral("lpstat"), {QStringLiteral("-o"), queue}, &pending);
        if (!pending.trimmed().isEmpty())
            continue;
        for (const QString& f : out.entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Time))
            if (!before.contains(f)) {
                arrived = out.filePath(f);
                break;
            }
    }
    ASSERT_FALSE(arrived.isEmpty()) << "no PDF arrived from the queue in 90 s";
    RecordProperty("largest_error_mm", std::to_string(check(arrived, session, false)));
    if (!HasFailure())
        QFile::remove(arrived);
}

TEST_F(E2E, CopiesAreCollatedAndLandscapeTurnsThePage)
{
    const QString printer = QString::fromUtf16(kPdfTarget);
    scheme(printer);
    TZqPage one = para.Pages[0], two = one;
    for (TZqItemValue& v : one)
        if (v.Name == u"Amount")
            v.Value = QStringLiteral("111.00");
    for (TZqItemValue& v : two)
        if (v.Name == u"Amount")
            v.Value = QStringLiteral("222.00");
    para.Pages = {one, two};
    para.Copies = 2;
    TZqPrintSession session(para);
    session.Prepare();
    para.OutputFile = dir.filePath(QStringLiteral("copies.pdf"));
    para.Copies = 2;
    session.Print();
    EXPECT_EQ(session.PageIndex(), 1);
    QStringList order;
    for (int page = 1; page <= 4; ++page) {
        QString error;
        QString digits;
        for (const Word& w : pdfWords(para.OutputFile, error, page))
            if (w.text == u"1" || w.text == u"2")
                digits = w.text;
        order.append(digits);
    }
    EXPECT_EQ(order, (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("2")}));

    // Landscape: the page is turned.
    Settings s(para.IniFileName);
    PrintScheme p = s.printScheme();
    p.Orientation = 2;
    s.setPrintScheme(p);
    TZqPrintSession turned(para);
    turned.Prepare();
    para.OutputFile = dir.filePath(QStringLiteral("landscape.pdf"));
    para.Copies = 1;
    para.Pages = {one};
    turned.Print();
    QByteArray info;
    EXPECT_EQ(run(QStringLiteral("pdfinfo"), {para.OutputFile}, &info), QString());
    EXPECT_TRUE(info.contains("842 x 595")) << info.toStdString();
}

int main(int argc, char** argv)
{
    // Listing the tests runs this too, without the test environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
