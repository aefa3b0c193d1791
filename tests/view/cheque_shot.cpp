// A picture of the cheque sample being filled in through the control: the
// values are typed into the editors as a user would, the last editor is left
// open, and the window is grabbed into the PNG named on the command line.
#include "model/TemplateJson.h"
#include "platform/Fonts.h"
#include "view/ZqBPInput.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QMap>
#include <QPlainTextEdit>
#include <QTimer>
#include <QToolButton>

namespace {

void type(QWidget* target, const QString& text)
{
    for (QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(target, &press);
    }
}

void key(QWidget* target, int k)
{
    QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    zq::installFontSubstitutions();
    if (argc < 2)
        qFatal("usage: zqbp_view_cheque_shot OUT.png");
    QFile f(QStringLiteral(ZQBP_SOURCE_DIR "/samples/cheque.json"));
    TZqTemplate t;
    if (!f.open(QIODevice::ReadOnly))
        qFatal("samples/cheque.json unreadable");
    TemplateFromJson(f.readAll(), t);

    TZqBPInput w;
    w.resize(900, 400);
    w.setWindowTitle(QStringLiteral("cheque"));
    w.OnItemButtonClick = [](TZqItem*, int, int, QString& text) { text = QStringLiteral("2026-12-10"); };
    w.LoadFromStream(t.SaveToStream());
    w.show();

    QTimer::singleShot(300, [&] {
        w.setFocus();
        // Walk the input order once; each editor gets the value of its item.
        const QMap<QString, QString> values{
            {QStringLiteral("付款行名称"), QStringLiteral("工商银行上海浦东支行")},
            {QStringLiteral("收款人"), QStringLiteral("上海浦江贸易有限公司")},
            {QStringLiteral("出票人账号"), QStringLiteral("1001 2345 0987 6543 210")},
            {QStringLiteral("大写金额"), QStringLiteral("12345.60")},
            {QStringLiteral("金额"), QStringLiteral("12345.60")},
            {QStringLiteral("用途"), QStringLiteral("货款")},
            {QStringLiteral("密码"), QStringLiteral("835022164471")}};
        const int n = static_cast<int>(w.Session().TabList().size());
        for (int i = 0; i < n; ++i) {
            key(QApplication::focusWidget() ? QApplication::focusWidget() : &w, Qt::Key_Tab);
            if (!w.Editing())
                continue;
            const QString name = w.Session().EditTarget().item->Name();
            if (w.PickButton())
                w.PickButton()->click(); // the date, through its pick button
            else if (w.EditorBox())
                type(w.EditorBox(), values.value(name));
        }
        // Leave the purpose being retyped, its editor open.
        w.OpenEditor(w.Template().GetItemByName(QStringLiteral("用途")));
        if (w.EditorBox())
            type(w.EditorBox(), QStringLiteral("十二月货款"));
    });
    QTimer::singleShot(1000, [&] {
        w.grab().save(QString::fromLocal8Bit(argv[1]));
        app.quit();
    });
    return app.exec();
}
