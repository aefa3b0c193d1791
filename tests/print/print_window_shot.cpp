// A picture of the print window over the cheque sample with its values: the
// cut date and amount on the adjustment surface, one item selected. Saves the
// PNG named on the command line (run with QT_QPA_PLATFORM=offscreen or under xvfb-run).
#include "app/Settings.h"
#include "base/AtomicFile.h"
#include "model/TemplateJson.h"
#include "platform/Fonts.h"
#include "print/ui/PrintWindows.h"
#include "print/ui/ZqAdjust.h"

#include <QApplication>
#include <QTemporaryDir>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    zq::installFontSubstitutions();
    if (argc < 2)
        qFatal("usage: zqbp_print_window_shot OUT.png");
    QTemporaryDir dir;
    TZqTemplate t;
    TemplateFromJson(zq::readWholeFile(QStringLiteral(ZQBP_SOURCE_DIR "/samples/cheque.json")), t);
    t.SetNameValues(QString::fromUtf8(zq::readWholeFile(QStringLiteral(ZQBP_SOURCE_DIR "/samples/cheque.values")))
                        .split(u'\n', Qt::SkipEmptyParts));
    t.EvaluateAll();
    zqp::TZqBPPrtPara para;
    para.IniFileName = dir.filePath(QStringLiteral("config.ini"));
    para.TemplateFileName = dir.filePath(QStringLiteral("cheque.tpl"));
    para.FormatFileName = dir.filePath(QStringLiteral("cheque.sch"));
    t.SaveToFile(para.TemplateFileName);
    para.Pages = {t.GetItemValues()};
    TfrmZqPrt w(para);
    if (!w.Prepare())
        return 1;
    // Select the amount's boxes, as a user about to nudge them would.
    zqp::TZqAdjustDoc& doc = w.Surface()->Doc();
    for (int i = 0; i < doc.Template().ItemCount(); ++i) {
        TZqItem* it = doc.Template().Item(i);
        if (it->Visible && it->Name().startsWith(QStringLiteral("金额_")))
            doc.Select(it, true);
    }
    w.show();
    w.Surface()->setFocus();
    app.processEvents();
    return w.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
