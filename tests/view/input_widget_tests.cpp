// The data-entry control as a widget, on the offscreen platform: editors,
// keys, clicks, loading and the error wall.
#include "base/Error.h"
#include "model/ZqComboBox.h"
#include "model/ZqCurrency.h"
#include "model/ZqDate.h"
#include "model/ZqEdit.h"
#include "model/ZqGrid.h"
#include "model/ZqSmallInputs.h"
#include "view/Messages.h"
#include "view/ZqBPInput.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
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

// An amount typed in figures, its capital amount following through a
// formula, and a grid of a head row and two detail rows (品名, 数量, 单价,
// 金额) whose amount column is quantity times price.
QByteArray formulaBillBytes()
{
    TZqTemplate t;
    t.TempWidth = 500;
    t.TempHeight = 300;
    auto* fig = add<TZqEdit>(t, itEdit, "小写", QRect(40, 10, 150, 24), 0);
    fig->OnlyDigit = 1;
    auto* cap = add<TZqUpperCurrency>(t, itUpperCurrency, "大写", QRect(200, 10, 250, 30), 1);
    cap->ReadOnly = 1;
    auto* g = add<TZQGridEx>(t, itGrid, "表格1", QRect(40, 60, 0, 0), 2);
    g->InitGrid(4, 3);
    g->Width = 4 * 68;
    g->Height = 3 * 20;
    for (int c = 0; c < 4; ++c) {
        g->Cell(c, 0)->ReadOnly = 1;
        g->Cell(c, 0)->Text = QStringList{u8("品名"), u8("数量"), u8("单价"), u8("金额")}[c];
        g->Cell(c, 0)->FixedText = 1;
    }
    for (int r = 1; r < 3; ++r) {
        g->Cell(1, r)->OnlyDigit = 1;
        g->Cell(2, r)->OnlyDigit = 1;
        g->Cell(3, r)->OnlyDigit = 1;
        g->Cell(3, r)->ReadOnly = 1;
    }
    t.AddFormula(u8("大写"), u8("小写"));
    t.AddFormula(u8("[表格1,D2]"), u8("[表格1,B2]*[表格1,C2]"));
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
    void load(const QByteArray& bytes)
    {
        w->LoadFromStream(bytes);
        ASSERT_TRUE(messages.isEmpty()) << messages.join(u'|').toStdString();
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

TEST_F(InputWidget, TypingAnAmountUpdatesTheCapitalAmountThroughItsFormula)
{
    load(formulaBillBytes());
    click({60, 20});
    ASSERT_EQ(editingName(), u8("小写"));
    type(w->EditorBox(), u8("1234.5"));
    key(Qt::Key_Tab);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'|').toStdString();
    EXPECT_EQ(static_cast<TZqUpperCurrency*>(item("大写"))->Value, u8("1234.50"));
    EXPECT_TRUE(changed.contains(u8("大写")));
}

TEST_F(InputWidget, TabWalksTheEnterableCellsOfAGridAndComputesTheRow)
{
    load(formulaBillBytes());
    auto* g = static_cast<TZQGridEx*>(item("表格1"));
    click({60, 20});
    key(Qt::Key_Tab); // into the grid: the capital amount is read-only
    QList<QPoint> cells;
    for (int i = 0; i < 6; ++i) {
        ASSERT_TRUE(w->Editing());
        cells << QPoint(w->Session().EditTarget().col, w->Session().EditTarget().row);
        const QString value = QStringList{u8("螺丝"), u8("3"), u8("2.5"), u8("垫片"), u8("4"), u8("1")}[i];
        type(w->EditorBox(), value);
        key(Qt::Key_Tab);
    }
    EXPECT_EQ(cells, (QList<QPoint>{{0, 1}, {1, 1}, {2, 1}, {0, 2}, {1, 2}, {2, 2}}));
    EXPECT_EQ(editingName(), u8("小写")) << "after the last cell the sequence wraps";
    EXPECT_EQ(g->CellText(g->Cell(3, 1)), u8("7.5"));
    EXPECT_EQ(g->CellText(g->Cell(3, 2)), u8("4")) << "the second row has the formula of the first";

    // A click on a cell opens its editor over the cell widened by one pixel left and up.
    click({40 + 68 + 5, 60 + 20 + 5});
    ASSERT_TRUE(w->Editing());
    EXPECT_EQ(w->Session().EditTarget().col, 1);
    EXPECT_EQ(w->EditorWidget()->geometry(), w->Geometry().ToDevice(QRect(40 + 68 - 1, 60 + 20 - 1, 69, 21)));
    EXPECT_EQ(w->EditorBox()->toPlainText(), u8("3"));
    EXPECT_EQ(w->EditorBox()->textCursor().position(), 1) << "the caret at the end";
    // Read-only cells open nothing.
    key(Qt::Key_Escape);
    click({40 + 3 * 68 + 5, 60 + 20 + 5});
    EXPECT_FALSE(w->Editing());
}

TEST_F(InputWidget, RowPanelInsertsAndDeletesDetailRows)
{
    load(formulaBillBytes());
    auto* g = static_cast<TZQGridEx*>(item("表格1"));
    const int pageHeight = w->Template().TempHeight;
    // Over a head row: no panel; over the second detail row: the panel left of the grid.
    QTest::mouseMove(w->viewport(), at({60, 65}));
    EXPECT_FALSE(w->RowPanel()->isVisible());
    QTest::mouseMove(w->viewport(), at({60, 105}));
    ASSERT_TRUE(w->RowPanel()->isVisible());
    EXPECT_EQ(w->PanelGrid(), g);
    EXPECT_EQ(w->PanelRow(), 2);
    const QRect rowDev = w->Geometry().ToDevice(QRect(40, 100, 1, 20));
    EXPECT_EQ(w->RowPanel()->geometry(), QRect(rowDev.left() - 25, rowDev.top() + (20 - 19) / 2, 25, 19));

    // With an editor open on the row: it is written and closed before the row moves.
    w->OpenCellEditor(g, 1, 2);
    ASSERT_TRUE(w->Editing());
    type(w->EditorBox(), u8("6"));
    QTest::mouseClick(w->RowPanel(), Qt::LeftButton);
    const QList<QAction*> actions = w->RowMenu()->actions();
    ASSERT_EQ(actions.size(), 5);
    EXPECT_EQ(actions[0]->text(), u8("前插一行"));
    actions[0]->trigger(); // 前插一行
    w->RowMenu()->hide();
    EXPECT_FALSE(w->Editing());
    EXPECT_FALSE(w->RowPanel()->isVisible());
    ASSERT_EQ(g->RowCount(), 4);
    EXPECT_EQ(g->CellText(g->Cell(1, 3)), u8("6")) << "the typed value moved down with its row";
    EXPECT_EQ(g->Height, 80);
    EXPECT_EQ(w->Template().TempHeight, pageHeight + 20);
    // The new row computes like the others.
    w->OpenCellEditor(g, 1, 2);
    type(w->EditorBox(), u8("2"));
    key(Qt::Key_Tab);
    type(w->EditorBox(), u8("5"));
    key(Qt::Key_Tab);
    EXPECT_EQ(g->CellText(g->Cell(3, 2)), u8("10"));

    // 删除当前行 deletes until one detail row is left, then does nothing.
    for (int i = 0; i < 3; ++i) {
        QTest::mouseMove(w->viewport(), at({60, 85}));
        ASSERT_TRUE(w->RowPanel()->isVisible());
        w->RowMenu()->actions()[4]->trigger();
        EXPECT_FALSE(w->RowPanel()->isVisible());
    }
    EXPECT_EQ(g->RowCount(), 2);
    EXPECT_EQ(w->Template().TempHeight, pageHeight - 20);
}

TEST_F(InputWidget, TheLimitMarkOfAnAmountBoxGoesToTheHost)
{
    auto* m = static_cast<TZqCurrency*>(item("金额"));
    m->ShowLimitation = 1;
    TZqCurrency* flagged = nullptr;
    QPoint pos;
    w->OnCurrencyLimitFlagClick = [&](TZqCurrency* c, QPoint p) {
        flagged = c;
        pos = p;
    };
    click({10 + 150 - 3, 110 + 40 - 3});
    EXPECT_EQ(flagged, m);
    EXPECT_EQ(pos, at({157, 147}));
    EXPECT_FALSE(w->Editing());
    click({10 + 150 - 10, 110 + 40 - 3});
    EXPECT_EQ(editingName(), u8("金额"));
}

TEST_F(InputWidget, ARefusedDateIsReportedOnceWhenTheControlIsClicked)
{
    w->OnItemButtonClick = [](TZqItem*, int, int, QString& text) { text = u8("明天"); };
    click({50, 80});
    w->PickButton()->click();
    w->EditorBox()->setFocus();
    click({300, 250}); // an empty spot of the page
    EXPECT_EQ(messages.size(), 1);
    EXPECT_EQ(editingName(), u8("出票日期"));
}
