// build, dump and render: templates to and from JSON, and filled pages to PNG or PDF.
#include "Commands.h"

#include "base/AtomicFile.h"
#include "base/Error.h"
#include "base/Rounding.h"
#include "model/TemplateJson.h"
#include "model/TemplatePaint.h"
#include "model/ZqGrid.h"
#include "model/ZqTemplate.h"
#include "platform/QtCanvas.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

using namespace zq;

namespace zq::cli {

namespace {

struct Options {
    QStringList positional;
    QString output;
    QStringList valueFiles;
    bool screen = false;
    bool display = false;
    int dpi = 0;
};

Options parse(const QStringList& args, bool allowValues, bool allowRender, bool allowDisplay = false)
{
    Options o;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        auto next = [&]() -> QString {
            if (i + 1 >= args.size())
                throw Error(QStringLiteral("选项 %1 缺少参数").arg(a));
            return args[++i];
        };
        if (a == u"-o")
            o.output = next();
        else if (allowValues && a == u"-v")
            o.valueFiles.append(next());
        else if (allowDisplay && a == u"--display")
            o.display = true;
        else if (allowRender && a == u"--screen")
            o.screen = true;
        else if (allowRender && a == u"--dpi") {
            bool ok = false;
            o.dpi = next().toInt(&ok);
            if (!ok || o.dpi < 10 || o.dpi > 2400)
                throw Error(QStringLiteral("--dpi 应为 10 到 2400 之间的整数"));
        } else if (a.startsWith(u'-') && a.size() > 1)
            throw Error(QStringLiteral("未知的选项：%1").arg(a));
        else
            o.positional.append(a);
    }
    return o;
}

} // namespace

QStringList readValueLines(const QString& path)
{
    const QString text = QString::fromUtf8(readWholeFile(path));
    QStringList lines;
    for (QString line : text.split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (!line.isEmpty())
            lines.append(line);
    }
    return lines;
}

void loadTemplate(TZqTemplate& t, const QString& path)
{
    try {
        t.LoadFromFile(path);
    } catch (const Error& e) {
        throw Error(QStringLiteral("打开文件失败：%1：%2").arg(path, e.message()));
    }
}

// As the data-entry control does after loading: body rows copied from the
// first one (formats and formulas), the values, then every formula.
void prepareValues(TZqTemplate& t, const QStringList& valueFiles)
{
    if (t.FormulaCycle())
        err(QStringLiteral("警告：公式中存在循环引用\n"));
    for (int i = 0; i < t.ItemCount(); ++i)
        if (t.Item(i)->Kind() == itGrid)
            static_cast<TZQGridEx*>(t.Item(i))->ResetBodyRows();
    if (!valueFiles.isEmpty())
        t.SetNameValues(readValueLines(valueFiles.last()));
    t.EvaluateAll();
}

int runBuild(const QStringList& args)
{
    const Options o = parse(args, false, false);
    if (o.positional.size() != 1 || o.output.isEmpty())
        throw Error(QStringLiteral("用法：zqbp-batch build TEMPLATE.json -o OUT.tpl"));
    TZqTemplate t;
    const bool lossy = TemplateFromJson(readWholeFile(o.positional[0]), t);
    if (lossy)
        err(QStringLiteral("警告：部分字符无法以GBK保存，已写为“?”\n"));
    t.SaveToFile(o.output);
    return 0;
}

int runDump(const QStringList& args)
{
    const Options o = parse(args, false, false);
    if (o.positional.size() != 1)
        throw Error(QStringLiteral("用法：zqbp-batch dump TEMPLATE.tpl"));
    TZqTemplate t;
    loadTemplate(t, o.positional[0]);
    const QByteArray json = TemplateToJson(t);
    if (o.output.isEmpty())
        out(QString::fromUtf8(json));
    else
        writeFileAtomic(o.output, json);
    return 0;
}

int runRender(const QStringList& args)
{
    const Options o = parse(args, true, true);
    if (o.positional.size() != 1 || o.output.isEmpty())
        throw Error(QStringLiteral("用法：zqbp-batch render TEMPLATE.tpl [-v VALUES] [--screen] [--dpi N] -o OUT.png|OUT.jpg|OUT.pdf"));
    TZqTemplate t;
    loadTemplate(t, o.positional[0]);
    prepareValues(t, o.valueFiles);
    const int mode = o.screen ? dmInput : dmPrint;
    const QString suffix = QFileInfo(o.output).suffix().toLower();
    if (t.TempWidth <= 0 || t.TempHeight <= 0)
        throw Error(QStringLiteral("模板的页面大小无效：%1 x %2").arg(t.TempWidth).arg(t.TempHeight));

    auto paint = [&](QPainter& p, int dpi) {
        QtCanvas dc(p);
        Mapping m;
        m.windowExt = QSize(t.TempWidth, t.TempHeight);
        m.viewportExt = QSize(roundToInt(t.TempWidth * dpi / 96.0), roundToInt(t.TempHeight * dpi / 96.0));
        dc.setMapping(m);
        PaintTemplate(t, dc, mode);
    };

    if (suffix == u"png" || suffix == u"jpg") {
        const int dpi = o.dpi ? o.dpi : 96;
        const double scale = dpi / 96.0;
        if (t.TempWidth * scale * t.TempHeight * scale > 400e6)
            throw Error(QStringLiteral("图片过大，请降低 --dpi"));
        QImage img(roundToInt(t.TempWidth * scale), roundToInt(t.TempHeight * scale), QImage::Format_RGB32);
        img.fill(Qt::white);
        img.setDotsPerMeterX(roundToInt(dpi / 0.0254));
        img.setDotsPerMeterY(roundToInt(dpi / 0.0254));
        {
            QPainter p(&img);
            paint(p, dpi);
        }
        QByteArray png;
        {
            QBuffer buf(&png);
            buf.open(QIODevice::WriteOnly);
            if (!img.save(&buf, suffix == u"png" ? "PNG" : "JPEG", suffix == u"png" ? -1 : 90))
                throw Error(QStringLiteral("无法生成图片"));
        }
        writeFileAtomic(o.output, png);
    } else if (suffix == u"pdf") {
        const int dpi = o.dpi ? o.dpi : 600;
        QByteArray pdf;
        {
            QBuffer buf(&pdf);
            buf.open(QIODevice::WriteOnly);
            QPdfWriter w(&buf);
            w.setResolution(dpi);
            w.setPageMargins(QMarginsF(0, 0, 0, 0));
            w.setPageSize(QPageSize(QSizeF(t.TempWidth / kPixelsPerMm, t.TempHeight / kPixelsPerMm),
                                    QPageSize::Millimeter, QString(), QPageSize::ExactMatch));
            w.setCreator(QStringLiteral("zqbp"));
            QPainter p(&w);
            paint(p, dpi);
        }
        writeFileAtomic(o.output, pdf);
    } else {
        throw Error(QStringLiteral("输出文件应为 .png、.jpg 或 .pdf：%1").arg(o.output));
    }
    return 0;
}

// One name=value line per input item, after the values were applied; with
// --display the text each item shows instead of its value.
int runEval(const QStringList& args)
{
    const Options o = parse(args, true, false, true);
    if (o.positional.size() != 1)
        throw Error(QStringLiteral("用法：zqbp-batch eval TEMPLATE.tpl [-v VALUES] [--display]"));
    TZqTemplate t;
    loadTemplate(t, o.positional[0]);
    prepareValues(t, o.valueFiles);
    QString text;
    if (!o.display) {
        for (const QString& line : t.GetNameValues())
            text += line + u'\n';
    } else {
        for (int i = 0; i < t.ItemCount(); ++i) {
            const TZqItem* item = t.Item(i);
            if (!item->IsInput())
                continue;
            if (item->Kind() == itGrid) {
                // One line per cell, named as in the name=value lines.
                const auto* g = static_cast<const TZQGridEx*>(item);
                QStringList names;
                g->AppendNameValues(names);
                int k = 0;
                for (int c = 0; c < g->ColCount(); ++c)
                    for (int r = 0; r < g->RowCount(); ++r, ++k) {
                        const QString name = names[k].left(names[k].indexOf(u'='));
                        try {
                            text += name + u'=' + g->Cell(c, r)->DisplayText() + u'\n';
                        } catch (const Error& e) {
                            throw Error(QStringLiteral("项目“%1”：%2").arg(name, e.message()));
                        }
                    }
                continue;
            }
            try {
                text += item->Name() + u'=' + item->DisplayText() + u'\n';
            } catch (const Error& e) {
                throw Error(QStringLiteral("项目“%1”：%2").arg(item->Name(), e.message()));
            }
        }
    }
    out(text);
    return 0;
}

} // namespace zq::cli
