// The data-entry control as a widget, on the offscreen platform: editors,
// keys, clicks, loading and the error wall.
#include "base/Error.h"
#include "model/ZqComboBox.h"
#include "model/ZqCurrency.h"
#include "model/ZqDate.h"
#include "model/ZqEdit.h"
#include "model/ZqSmallInputs.h"
#include "view/Messages.h"
#include "view/ZqBPInput.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace zqv;

namespace {

QString u8(const char* s) { return QString::fromUtf8(s); }

QApplication& app()
{
    static int argc = 1;
    static char name[] = "zqbp_tests_view";
    static char* argv[] = {name, nullptr};
    // Left to the end of the process: Qt's own exit handlers still need it.
    static QApplication* a = new QApplication(argc, argv);
    return *a;
}

template <class T> T* add(TZqTemplate& t, int kind, const char* name, QRect r, int tab)
{
    auto item = CreateItem(kind, true);
    item->SetNameRaw(u8(name));
    item->XPos = r.x();
    item->YPos = r.y();
    item->Width = r.width();
    item->Height = r.height();
    auto* p = static_cast<T*>(t.AddItem(std::move(item)));
    if constexpr (requires { p->TabOrder; })
        p->TabOrder = tab;
    return p;
}

// A small bill: page 400 x 300 with an edit, a combo box, a date, an amount
// box of five boxes, two check items of one group and a read-only edit.
QByteArray billBytes()
{
    TZqTemplate t;
    t.TempWidth = 400;
    t.TempHeight = 300;
    add<TZqEdit>(t, itEdit, "收款人", QRect(10, 10, 200, 24), 0);
    add<TZqComboBox>(t, itCombobox, "用途", QRect(10, 40, 200, 24), 1)->Items = QStringList{u8("货款"), u8("运费")};
    auto* d = add<TZqDate>(t, itDate, "出票日期", QRect(10, 70, 240, 28), 2);
    d->SetValue(u8("2026-12-10"));
    auto* m = add<TZqCurrency>(t, itCurrency, "金额", QRect(10, 110, 150, 40), 3);
    m->High = 4; // 百 .. 分: five boxes, at most 999.99
    m->Low = 0;
    add<TZqCheck>(t, itCheck, "现金", QRect(10, 160, 20, 20), 4)->CheckGroup = u8("方式");
    add<TZqCheck>(t, itCheck, "转账", QRect(40, 160, 20, 20), 5)->CheckGroup = u8("方式");
    add<TZqEdit>(t, itEdit, "备注", QRect(10, 190, 200, 24), 6)->ReadOnly = 1;
    for (int i = 0; i < t.ItemCount(); ++i)
        if (t.Item(i)->Kind() == itCheck)
            static_cast<TZqCheck*>(t.Item(i))->Checked = 0;
    return t.SaveToStream();
}

class InputWidget : public ::testing::Test {
protected:
    void SetUp() override
    {
        app();
        SetMessageHook([this](TZqMsgKind k, const QString& text) {
            messages << text;
            if (onMessage)
                onMessage();
        });
        w = std::make_unique<TZqBPInput>();
        w->resize(1000, 700);
        w->OnItemValueChanged = [this](TZqItem* it, int, int) { changed << it->Name(); };
        w->LoadFromStream(billBytes());
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    }
    void TearDown() override
    {
        w.reset();
        SetMessageHook({});
    }
    TZqItem* item(const char* name) { return w->Template().GetItemByName(u8(name)); }
    // Device point of a logical point.
    QPoint at(QPoint logical) { return w->Geometry().ToDevice(QRect(logical, QSize(1, 1))).topLeft(); }
    void click(QPoint logical) { QTest::mouseClick(w->viewport(), Qt::LeftButton, {}, at(logical)); }
    QString editingName() { return w->Editing() ? w->Session().EditTarget().item->Name() : QString(); }
    void key(Qt::Key k, Qt::KeyboardModifiers m = {})
    {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : w.get();
        QTest::keyClick(target, k, m);
    }

    // Types text as key presses carrying the characters (any script).
    static void type(QWidget* target, const QString& text)
    {
        for (QChar ch : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(target, &press);
            QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(target, &release);
        }
    }

    std::unique_ptr<TZqBPInput> w;
    QStringList messages;
    QStringList changed;
    std::function<void()> onMessage;
};

} // namespace

TEST_F(InputWidget, TypingIntoAnEditWritesTheValueOnEnter)
{
    click({50, 20});
    ASSERT_EQ(editingName(), u8("收款人"));
    ASSERT_TRUE(w->EditorBox());
    EXPECT_EQ(w->EditorWidget()->geometry(), w->Geometry().ToDevice(QRect(10, 10, 200, 24)));
    type(w->EditorBox(), u8("上海浦江"));
    EXPECT_TRUE(changed.isEmpty()) << "the value is written when the editor closes";
    key(Qt::Key_Return);
    EXPECT_EQ(static_cast<TZqEdit*>(item("收款人"))->Value, u8("上海浦江"));
    EXPECT_EQ(changed, QStringList{u8("收款人")});
    EXPECT_EQ(editingName(), u8("用途")) << "Enter moves on";
    EXPECT_TRUE(w->PickButton()) << "a combo box has its pick button";
}

TEST_F(InputWidget, TabWalksTheInputOrderSkippingReadOnlyAndWraps)
{
    QStringList seen;
    key(Qt::Key_Tab); // no editor: the current place
    for (int i = 0; i < 7; ++i) {
        seen << editingName();
        key(Qt::Key_Tab);
    }
    EXPECT_EQ(seen, (QStringList{u8("收款人"), u8("用途"), u8("出票日期"), u8("金额"), u8("现金"), u8("转账"),
                                 u8("收款人")}));
    key(Qt::Key_Escape);
    EXPECT_FALSE(w->Editing());
    EXPECT_EQ(QApplication::focusWidget(), w.get());
}

TEST_F(InputWidget, RefusedItemsAreSkippedAndDoNotOpen)
{
    w->OnItemCanInput = [](bool& can, QObject*, TZqItem* it, int, int) { can = it->Name() != u8("用途"); };
    w->LoadFromStream(billBytes());
    click({50, 50});
    EXPECT_FALSE(w->Editing());
    click({50, 20});
    key(Qt::Key_Tab);
    EXPECT_EQ(editingName(), u8("出票日期"));
}

TEST_F(InputWidget, DateEditorIsReadOnlyAndChangesThroughItsButton)
{
    QString offered;
    w->OnItemButtonClick = [&](TZqItem*, int col, int row, QString& text) {
        offered = text;
        EXPECT_EQ(col, -1);
        EXPECT_EQ(row, -1);
        text = u8("2027-1-5");
    };
    click({50, 80});
    ASSERT_EQ(editingName(), u8("出票日期"));
    EXPECT_TRUE(w->EditorBox()->isReadOnly());
    // Closing unchanged writes nothing.
    key(Qt::Key_Tab);
    EXPECT_TRUE(changed.isEmpty());
    EXPECT_TRUE(messages.isEmpty());

    click({50, 80});
    key(Qt::Key_F2);
    EXPECT_EQ(offered, u8("2026-12-10"));
    EXPECT_EQ(w->EditorBox()->toPlainText(), u8("2027-1-5"));
    EXPECT_EQ(w->EditorBox()->textCursor().position(), w->EditorBox()->toPlainText().size());
    key(Qt::Key_Return);
    EXPECT_EQ(static_cast<TZqDate*>(item("出票日期"))->TextForm(), u8("2027-01-05"));
}

TEST_F(InputWidget, AnInvalidDateIsRefusedAndTheEditorStays)
{
    w->OnItemButtonClick = [](TZqItem*, int, int, QString& text) { text = u8("明天"); };
    int closesDuringMessage = 0;
    onMessage = [&] {
        // A message box takes the focus; closing must not run again from it.
        w->clearFocus();
        if (w->EditorBox())
            w->EditorBox()->clearFocus();
        closesDuringMessage += w->CloseEditor() ? 1 : 0;
    };
    click({50, 80});
    w->PickButton()->click();
    key(Qt::Key_Tab);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(u8("错误:\n"))) << messages[0].toStdString();
    EXPECT_EQ(closesDuringMessage, 0);
    EXPECT_EQ(editingName(), u8("出票日期"));
    EXPECT_EQ(w->EditorBox()->toPlainText(), u8("明天"));
    EXPECT_EQ(static_cast<TZqDate*>(item("出票日期"))->TextForm(), u8("2026-12-10"));
}

TEST_F(InputWidget, ARefusedAmountClosesTheEditorAndKeepsTheValue)
{
    click({50, 120});
    ASSERT_EQ(editingName(), u8("金额"));
    type(w->EditorBox(), u8("12.5"));
    key(Qt::Key_Tab);
    EXPECT_EQ(static_cast<TZqCurrency*>(item("金额"))->Value, u8("12.50"));
    click({50, 120});
    type(w->EditorBox(), u8("123456"));
    key(Qt::Key_Tab);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(u8("错误:\n")));
    EXPECT_FALSE(w->Editing());
    EXPECT_EQ(static_cast<TZqCurrency*>(item("金额"))->Value, u8("12.50"));
}

TEST_F(InputWidget, CheckItemsToggleAsRadioButtonsWithinTheirGroup)
{
    auto* cash = static_cast<TZqCheck*>(item("现金"));
    auto* transfer = static_cast<TZqCheck*>(item("转账"));
    click({15, 165});
    EXPECT_TRUE(cash->Checked);
    EXPECT_EQ(editingName(), u8("现金"));
    click({45, 165});
    EXPECT_TRUE(transfer->Checked);
    EXPECT_FALSE(cash->Checked);
    // A key in the open check editor toggles it at once.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_FALSE(transfer->Checked);
    key(Qt::Key_Escape);
    EXPECT_FALSE(transfer->Checked);
    EXPECT_FALSE(cash->Checked);
}

TEST_F(InputWidget, AnErrorInAHandlerIsShownNotThrown)
{
    w->OnItemButtonClick = [](TZqItem*, int, int, QString&) { throw zq::Error(u8("数据源不可用")); };
    click({50, 50});
    ASSERT_TRUE(w->PickButton());
    w->PickButton()->click();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], u8("出现错误！\n数据源不可用"));
    EXPECT_TRUE(w->Editing());
}

TEST_F(InputWidget, AFailedLoadKeepsTheBillShown)
{
    static_cast<TZqEdit*>(item("收款人"))->SetValue(u8("甲"));
    QTemporaryDir dir;
    const QString junk = dir.filePath(QStringLiteral("junk.tpl"));
    QFile f(junk);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a template at all");
    f.close();
    for (const QString& name : {junk, dir.filePath(QStringLiteral("missing.tpl"))}) {
        messages.clear();
        EXPECT_FALSE(w->LoadFromFile(name));
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages[0].startsWith(u8("打开文件失败：\n"))) << messages[0].toStdString();
        EXPECT_GT(messages[0].size(), u8("打开文件失败：\n").size());
        ASSERT_TRUE(item("收款人"));
        EXPECT_EQ(static_cast<TZqEdit*>(item("收款人"))->Value, u8("甲"));
        EXPECT_EQ(w->Session().TabList().size(), 6u);
    }
}

TEST_F(InputWidget, SmallPageCentredLargerZoomScrolls)
{
    // 400 x 300 in a 1000 x 700 window: no bars, centred.
    EXPECT_FALSE(w->horizontalScrollBar()->isVisible());
    EXPECT_EQ(w->Geometry().X.margin, (1000 - 400) / 2);
    EXPECT_EQ(w->Geometry().Y.margin, (700 - 300) / 2);
    w->SetZoom(3.0);
    EXPECT_TRUE(w->horizontalScrollBar()->isVisible());
    EXPECT_TRUE(w->horizontalScrollBar()->isEnabled());
    EXPECT_EQ(w->Geometry().X.margin, 0);
    EXPECT_EQ(w->Geometry().Y.margin, 0);
    // Scrolling closes the editor; clicks still find their items.
    click({50, 20});
    ASSERT_TRUE(w->Editing());
    w->verticalScrollBar()->setValue(30);
    EXPECT_FALSE(w->Editing());
    EXPECT_EQ(w->Geometry().Y.scroll, 30);
    click({50, 20});
    EXPECT_EQ(editingName(), u8("收款人"));
    EXPECT_EQ(w->EditorBox()->font().pointSize(), 30);
}

TEST_F(InputWidget, PaintsEmptyAndFilled)
{
    TZqBPInput empty;
    empty.resize(300, 200);
    QString asked;
    empty.OnGetTipInfo = [&](QString& tip) { asked = tip; tip = u8("提示"); };
    const QImage a = empty.grab().toImage();
    EXPECT_EQ(asked, TZqBPInput::DefaultTipText());
    EXPECT_EQ(a.pixelColor(5, 5), QColor(0x80, 0x80, 0x80));
    const QImage b = w->grab().toImage();
    const QPoint corner = at({0, 0});
    EXPECT_EQ(b.pixelColor(corner + QPoint(3, 3)), QColor(Qt::white)) << "the page colour";
    EXPECT_EQ(b.pixelColor(corner - QPoint(1, 1)), QColor(Qt::black)) << "the frame outside the page";
    EXPECT_EQ(b.pixelColor(corner - QPoint(10, 10)), QColor(0x80, 0x80, 0x80));
}
