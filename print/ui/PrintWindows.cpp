#include "PrintWindows.h"

#include "ZqAdjust.h"
#include "base/NumberText.h"
#include "print/Calibration.h"
#include "print/PrintSettings.h"
#include "print/ZqPrinters.h"
#include "view/Messages.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QStackedWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

using namespace zqp;

namespace {
void info(QWidget* w, const QString& text) { zqv::ShowMessage(w, zqv::TZqMsgKind::Info, text); }
void fail(QWidget* w, const QString& text) { zqv::ShowMessage(w, zqv::TZqMsgKind::Error, text); }
} // namespace

bool InputOrSelectText(QWidget* parent, const QString& caption, const QString& prompt, const QStringList& items,
                       QString& text)
{
    QDialog d(parent);
    d.setWindowTitle(caption);
    auto* lay = new QVBoxLayout(&d);
    lay->addWidget(new QLabel(prompt, &d));
    auto* box = new QComboBox(&d);
    box->setEditable(true);
    box->addItems(items);
    box->setEditText(text);
    lay->addWidget(box);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &d);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &d, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &d, &QDialog::reject);
    lay->addWidget(buttons);
    if (d.exec() != QDialog::Accepted)
        return false;
    text = box->currentText();
    return true;
}

// ---------------------------------------------------------------- settings

TfrmZqBPPrtSet::TfrmZqBPPrtSet(TZqBPPrtPara& para, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("设置打印机"));
    auto* lay = new QVBoxLayout(this);
    auto grey = [this](const QString& t) {
        auto* l = new QLabel(t, this);
        l->setStyleSheet(QStringLiteral("color: grey"));
        return l;
    };
    auto* gPrinter = new QGroupBox(QStringLiteral("打印机"), this);
    auto* cmbPrinter = new QComboBox(gPrinter);
    cmbPrinter->addItems(ZqPrinter().Printers());
    (new QVBoxLayout(gPrinter))->addWidget(cmbPrinter);
    lay->addWidget(gPrinter);

    auto* gPaper = new QGroupBox(QStringLiteral("打印范围"), this);
    auto* rbtnAutoSel = new QRadioButton(QStringLiteral("自动选择"), gPaper);
    auto* rbtnCustom = new QRadioButton(QStringLiteral("自定义"), gPaper);
    auto* cmbCustomForm = new QComboBox(gPaper);
    auto* lp = new QVBoxLayout(gPaper);
    auto* row = new QHBoxLayout;
    row->addWidget(rbtnAutoSel);
    row->addWidget(rbtnCustom);
    row->addWidget(cmbCustomForm, 1);
    lp->addLayout(row);
    lp->addWidget(grey(QStringLiteral("从前面进纸选自动选择，从后面链式进纸选自定义。")));
    lay->addWidget(gPaper);

    auto* gDir = new QGroupBox(QStringLiteral("打印方向"), this);
    auto* rbtnPortrait = new QRadioButton(QStringLiteral("正向"), gDir);
    auto* rbtnLandscape = new QRadioButton(QStringLiteral("侧向"), gDir);
    auto* ld = new QVBoxLayout(gDir);
    auto* row2 = new QHBoxLayout;
    row2->addWidget(rbtnPortrait);
    row2->addWidget(rbtnLandscape);
    ld->addLayout(row2);
    ld->addWidget(grey(QStringLiteral("从打印机前面进纸，票据上边先进选正向，票据左边(存根)先进选侧向。")));
    ld->addWidget(grey(QStringLiteral("从打印机后面链式进纸，选正向。打印银行票据一般选正向即可。")));
    lay->addWidget(gDir);

    auto* gFeed = new QGroupBox(QStringLiteral("进纸位置"), this);
    auto* rbtnLeft = new QRadioButton(QStringLiteral("靠左"), gFeed);
    auto* rbtnCenter = new QRadioButton(QStringLiteral("居中"), gFeed);
    auto* lf = new QVBoxLayout(gFeed);
    auto* row3 = new QHBoxLayout;
    row3->addWidget(rbtnLeft);
    row3->addWidget(rbtnCenter);
    lf->addLayout(row3);
    lf->addWidget(grey(QStringLiteral("针式打印机选靠左，激光打印机选居中。")));
    lf->addWidget(grey(QStringLiteral("安装色带，打印时发出吱吱金属摩擦响声属于针式打印机。")));
    lay->addWidget(gFeed);

    auto* buttons = new QDialogButtonBox(this);
    auto* ok = buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    lay->addWidget(buttons);

    // The state shown comes from the record every time.
    const TZqPrtSetChoice c = InitialChoice(para);
    cmbPrinter->setCurrentIndex(c.Printer.isEmpty() ? -1 : cmbPrinter->findText(c.Printer));
    cmbCustomForm->setEnabled(false);
    auto fillForms = [=, &para] {
        cmbCustomForm->clear();
        for (const auto& f : FormsFor(cmbPrinter->currentText()))
            cmbCustomForm->addItem(f.first, f.second);
        cmbCustomForm->setCurrentIndex(cmbCustomForm->findText(para.PaperName));
    };
    rbtnAutoSel->setChecked(c.Paper == 0);
    rbtnCustom->setChecked(c.Paper == 1);
    if (c.Paper == 1) {
        cmbCustomForm->setEnabled(true);
        fillForms();
    }
    rbtnPortrait->setChecked(c.Orientation == 1);
    rbtnLandscape->setChecked(c.Orientation == 2);
    rbtnLeft->setChecked(c.Feed == 0);
    rbtnCenter->setChecked(c.Feed == 1);
    connect(rbtnAutoSel, &QRadioButton::toggled, this, [=](bool on) {
        if (!on)
            return;
        cmbCustomForm->clear();
        cmbCustomForm->setEnabled(false);
    });
    connect(rbtnCustom, &QRadioButton::toggled, this, [=](bool on) {
        if (!on)
            return;
        cmbCustomForm->setEnabled(true);
        fillForms();
    });
    // A new printer has forms of its own: the list follows it.
    connect(cmbPrinter, &QComboBox::currentIndexChanged, this, [=] {
        if (rbtnCustom->isChecked())
            fillForms();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::accepted, this, [=, &para] {
        TZqPrtSetChoice ch;
        ch.Printer = cmbPrinter->currentIndex() >= 0 ? cmbPrinter->currentText() : QString();
        ch.Paper = rbtnAutoSel->isChecked() ? 0 : rbtnCustom->isChecked() ? 1 : -1;
        ch.Form = cmbCustomForm->currentIndex() >= 0 ? cmbCustomForm->currentText() : QString();
        ch.Orientation = rbtnPortrait->isChecked() ? 1 : rbtnLandscape->isChecked() ? 2 : -1;
        ch.Feed = rbtnLeft->isChecked() ? 0 : rbtnCenter->isChecked() ? 1 : -1;
        const QString msg = CheckChoice(ch);
        if (!msg.isEmpty()) {
            info(this, msg);
            if (msg == QStringLiteral("请选择打印机！"))
                cmbPrinter->setFocus();
            else if (ch.Paper == 1)
                cmbCustomForm->setFocus();
            return;
        }
        try {
            StoreChoice(ch, para);
        } catch (const std::exception& e) {
            fail(this, zqv::LeadAndReason(QStringLiteral("出现错误！"), QString::fromUtf8(e.what())));
            return;
        }
        accept();
    });
}

// ---------------------------------------------------------------- calibration wizard

TfrmPrtAdjWizard::TfrmPrtAdjWizard(const QString& iniFileName, const QString& printer, QWidget* parent)
    : QDialog(parent), m_ini(iniFileName)
{
    setWindowTitle(QStringLiteral("打印校准向导"));
    auto* lay = new QVBoxLayout(this);
    m_pages = new QStackedWidget(this);
    lay->addWidget(m_pages, 1);
    auto page = [this](const QString& heading, const QStringList& lines, QWidget* extra = nullptr,
                       const QString& red = QString()) {
        auto* w = new QWidget(m_pages);
        auto* l = new QVBoxLayout(w);
        auto* h = new QLabel(heading, w);
        QFont f = h->font();
        f.setPointSize(f.pointSize() + 4);
        f.setBold(true);
        h->setFont(f);
        l->addWidget(h);
        auto* body = new QLabel(lines.join(u'\n'), w);
        body->setWordWrap(true);
        l->addWidget(body);
        if (extra)
            l->addWidget(extra);
        if (!red.isEmpty()) {
            auto* r = new QLabel(red, w);
            r->setStyleSheet(QStringLiteral("color: red"));
            r->setWordWrap(true);
            l->addWidget(r);
        }
        l->addStretch(1);
        m_pages->addWidget(w);
    };
    page(QStringLiteral("校准不是必须的"),
         {QStringLiteral("打印机是机械设备本身存在误差，校准打印机后，调试套打格式更方便些。"),
          QStringLiteral("这个操作不是必须的，如果您符合下面几个条件，请进行校准操作："),
          QStringLiteral("1、还未调试好套打格式；"), QStringLiteral("2、能熟练的操作计算机；"),
          QStringLiteral("3、需要套打两种以上的银行票据。"), QString(), QStringLiteral("如果需要校准，点“下一步”按钮！")});
    page(QStringLiteral("你知道吗"),
         {QStringLiteral("打印机上可以左右移动的进纸挡板固定在哪里最合适？"), QString(),
          QStringLiteral("打印机是机械设备，肯定有误差，误差到底是多大？"), QString(),
          QStringLiteral("只有挡板移到合适的位置并且校准误差，才能够精确套打票据！"), QString(),
          QStringLiteral("本向导帮您解决这些问题，请准备：直尺、两张A4纸，"), QStringLiteral("准备好后点“下一步”按钮！")});
    m_list = new QListWidget(this);
    m_list->addItems(ZqPrinter().Printers());
    page(QStringLiteral("请选择打印机"), {}, m_list);
    page(QStringLiteral("请调整挡板位置"),
         {QStringLiteral("挡板位置非常重要！尤其是打印支票，太左或右，都会导致打印失败！"), QString(),
          QStringLiteral("通常打印机挡板从三角形标出的默认进纸位置向左推8毫米是最佳位置。"), QString(),
          QStringLiteral("调整好挡板位置后，点“下一步”按钮！")},
         nullptr, QStringLiteral("如果你的打印机没有挡板，直接点下一步！"));
    for (int dir = 0; dir < 2; ++dir) {
        auto* box = new QWidget(this);
        auto* g = new QVBoxLayout(box);
        auto* print = new QPushButton(dir == 0 ? QStringLiteral("打印正向校准页") : QStringLiteral("打印侧向校准页"), box);
        g->addWidget(print);
        for (int k = 0; k < 2; ++k) {
            auto* row = new QHBoxLayout;
            row->addWidget(new QLabel(k == 0 ? QStringLiteral("左边距:") : QStringLiteral("上边距:"), box));
            m_margins[dir * 2 + k] = new QLineEdit(box);
            row->addWidget(m_margins[dir * 2 + k]);
            row->addWidget(new QLabel(QStringLiteral("毫米"), box));
            g->addLayout(row);
        }
        g->addWidget(new QLabel(QStringLiteral("1厘米=10毫米      可以输入小数"), box));
        connect(print, &QPushButton::clicked, this, [this, dir] {
            if (QMessageBox::question(this, QStringLiteral("重要提示"),
                                      QStringLiteral("将“A4”紧贴进纸挡板“顺长”装入打印机，准备好点“是”！"))
                != QMessageBox::Yes)
                return;
            try {
                QString file;
                if (m_printer == QString::fromUtf16(kPdfTarget))
                    file = QFileDialog::getSaveFileName(this, QString(), QStringLiteral("校准页.pdf"), QStringLiteral("PDF (*.pdf)"));
                if (m_printer == QString::fromUtf16(kPdfTarget) && file.isEmpty())
                    return;
                PrintCalibrationPage(m_printer, dir == 1, file);
            } catch (const std::exception& e) {
                fail(this, zqv::LeadAndReason(QStringLiteral("出现错误！"), QString::fromUtf8(e.what())));
            }
        });
        page(dir == 0 ? QStringLiteral("正向打印校准") : QStringLiteral("侧向打印校准"),
             {QStringLiteral("请将A4纸装入打印机，准备好后点“%1”按钮").arg(print->text()),
              QStringLiteral("请看打印页，用直尺量出“打印机正向校准页”里的上边距和左边距，填到下面")},
             box);
    }
    auto* save = new QPushButton(QStringLiteral("保存"), this);
    connect(save, &QPushButton::clicked, this, [this] { Save(); });
    page(QStringLiteral("恭喜"),
         {QStringLiteral("您已经完成了打印机校准工作，可以开始打印票据了！"), QStringLiteral("请点“保存”按钮，保存您的成果！")},
         save,
         QStringLiteral("进纸挡板移动位置后，需要重新校准打印机！\n打印支票，角分无法打印或存根无法打印，说明挡板位置不对，请重设\n挡板位置，重新校准打印机！"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_prev = new QPushButton(QStringLiteral("上一步"), this);
    m_next = new QPushButton(QStringLiteral("下一步"), this);
    auto* exit = new QPushButton(QStringLiteral("关闭"), this);
    m_prev->setEnabled(false);
    buttons->addWidget(m_prev);
    buttons->addWidget(m_next);
    buttons->addWidget(exit);
    lay->addLayout(buttons);
    connect(m_prev, &QPushButton::clicked, this, [this] { Prior(); });
    connect(m_next, &QPushButton::clicked, this, [this] { Next(); });
    connect(exit, &QPushButton::clicked, this, &QDialog::reject);

    // No printer given: the default one, or none when there is no default.
    m_printer = WizardInitialPrinter(printer);
    const auto found = m_list->findItems(m_printer, Qt::MatchFixedString);
    m_list->setCurrentRow(!m_printer.isEmpty() && !found.isEmpty() ? m_list->row(found.first()) : -1);
    resize(560, 420);
}

int TfrmPrtAdjWizard::PageIndex() const { return m_pages->currentIndex(); }

void TfrmPrtAdjWizard::Next()
{
    const int i = m_pages->currentIndex();
    if (i == 2) {
        if (!m_list->currentItem() || !m_list->currentItem()->isSelected()) {
            info(this, QStringLiteral("请选择打印机！"));
            return;
        }
        m_printer = m_list->currentItem()->text();
    }
    if (i == 4 || i == 5) {
        const char16_t* dir = i == 4 ? u"正向" : u"侧向";
        if (!ParseMargin(m_margins[(i - 4) * 2]->text())) {
            info(this, QStringLiteral("%1校准左边距没有输入或输入错误！").arg(QString::fromUtf16(dir)));
            return;
        }
        if (!ParseMargin(m_margins[(i - 4) * 2 + 1]->text())) {
            info(this, QStringLiteral("%1校准上边距没有输入或输入错误！").arg(QString::fromUtf16(dir)));
            return;
        }
    }
    if (i >= 6)
        return;
    m_pages->setCurrentIndex(i + 1);
    m_prev->setEnabled(true);
    m_next->setEnabled(i + 1 < 6);
}

void TfrmPrtAdjWizard::Prior()
{
    const int i = m_pages->currentIndex();
    if (i <= 0)
        return;
    m_pages->setCurrentIndex(i - 1);
    m_prev->setEnabled(i - 1 > 0);
    m_next->setEnabled(true);
}

void TfrmPrtAdjWizard::Save()
{
    try {
        SaveCalibration(zq::Settings(m_ini), m_printer, m_margins[0]->text(), m_margins[1]->text(),
                        m_margins[2]->text(), m_margins[3]->text());
        info(this, QStringLiteral("校准信息已保存！"));
    } catch (const std::exception& e) {
        fail(this, QString::fromUtf8(e.what()));
    }
}

// ---------------------------------------------------------------- print window

TfrmZqPrt::TfrmZqPrt(TZqBPPrtPara& para, QWidget* parent) : QDialog(parent), m_session(para)
{
    setWindowTitle(QStringLiteral("打印票据"));
    auto* lay = new QVBoxLayout(this);
    auto* bar = new QToolBar(this);
    lay->addWidget(bar);

    // The hint panel.
    auto* hints = new QLabel(this);
    hints->setStyleSheet(QStringLiteral("QLabel { background: #ffffe1; border: 1px solid #c0c0c0; color: red; padding: 4px; }"));
    hints->setText(QStringLiteral(
        "<table><tr><td valign=middle style='font-size:16pt; font-weight:bold; padding-right:12px'>套打<br>调整<br>方法</td><td>"
        "☆1.先打印一张，根据错位情况调整，打印位置偏右<br>&nbsp;&nbsp;&nbsp;&nbsp;向左移，偏左向右移，直到套打满意<br>"
        "☆2.用鼠标点击选择打印项目，在空白处点击取消已<br>&nbsp;&nbsp;&nbsp;&nbsp;选择的项目；按下Ctrl并逐个单击可多选<br>"
        "☆3.按方向键移动所选项目的打印位置，按一次移动<br>&nbsp;&nbsp;&nbsp;&nbsp;0.5毫米</td><td style='padding-left:12px'>"
        "☆4.按下Shift 键再按方向键，调整所选项目<br>&nbsp;&nbsp;&nbsp;&nbsp;的大小<br>"
        "☆5.套打能完全对齐后，点“保存格式”按钮<br>&nbsp;&nbsp;&nbsp;&nbsp;以后系统自动按该格式打印<br>"
        "☆6.若调乱了，点“恢复默认”按钮重新开始<br>&nbsp;&nbsp;&nbsp;&nbsp;调整</td><td style='padding-left:12px'>"
        "☆7.支票特殊，先调好支票，再调整其他票据<br>"
        "☆8.支票无法打印角分，点<span style='color:blue'>这里</span>查看解决方法<br>"
        "☆9.<span style='color:blue'>点这里全面学习调整方法</span></td></tr></table>"));
    lay->addWidget(hints);

    m_adjust = new TZqAdjust(m_session.Surface(), this);
    lay->addWidget(m_adjust, 1);

    m_bg = bar->addAction(QStringLiteral("显示背景"));
    connect(m_bg, &QAction::triggered, this, [this] {
        if (!m_adjust->DrawBgPic() && !m_adjust->Doc().Template().HasBkPic()) {
            info(this, QStringLiteral("该模板未设置背景图片！"));
            return;
        }
        m_adjust->SetDrawBgPic(!m_adjust->DrawBgPic());
        m_bg->setText(m_adjust->DrawBgPic() ? QStringLiteral("隐藏背景") : QStringLiteral("显示背景"));
    });
    connect(bar->addAction(QStringLiteral("全选")), &QAction::triggered, this, [this] {
        m_adjust->Doc().SelectAll();
        m_adjust->viewport()->update();
    });
    const char16_t* moves[] = {u"左移", u"右移", u"上移", u"下移"};
    for (int d = 0; d < 4; ++d)
        connect(bar->addAction(QString::fromUtf16(moves[d])), &QAction::triggered, this, [this, d] { Move(d); });
    connect(bar->addAction(QStringLiteral("字体")), &QAction::triggered, this, [this] {
        TZqAdjustDoc& doc = m_adjust->Doc();
        if (doc.SelectedCount() == 0) {
            info(this, QStringLiteral("请在票据区选择需要设置字体的项目"));
            return;
        }
        QString face = font().family();
        int points = 10;
        bool bold = false, italic = false;
        doc.SelectedFont(face, points, bold, italic);
        QFont start(face, points);
        start.setBold(bold);
        start.setItalic(italic);
        bool ok = false;
        const QFont f = QFontDialog::getFont(&ok, start, this, QString(), QFontDialog::DontUseNativeDialog);
        if (ok) {
            doc.SetSelectedFont(f.family(), f.pointSize(), f.bold(), f.italic());
            m_adjust->viewport()->update();
        }
    });
    auto* other = new QMenu(QStringLiteral("其他"), this);
    for (bool on : {false, true})
        connect(other->addAction(on ? QStringLiteral("设为要打印项") : QStringLiteral("设为不打印项")),
                &QAction::triggered, this, [this, on] {
                    if (m_adjust->Doc().SelectedCount() == 0) {
                        info(this, QStringLiteral("请选择需要设置的项"));
                        return;
                    }
                    m_adjust->Doc().SetSelectedPrintSelf(on);
                    m_adjust->viewport()->update();
                });
    auto* otherButton = new QToolButton(bar);
    otherButton->setText(QStringLiteral("其他"));
    otherButton->setMenu(other);
    otherButton->setPopupMode(QToolButton::InstantPopup);
    bar->addWidget(otherButton);
    bar->addSeparator();
    connect(bar->addAction(QStringLiteral("保存格式")), &QAction::triggered, this, [this] {
        try {
            m_session.SaveFormat();
            info(this, QStringLiteral("格式已保存！"));
        } catch (const std::exception& e) {
            fail(this, zqv::LeadAndReason(QStringLiteral("出现错误！"), QString::fromUtf8(e.what())));
        }
    });
    connect(bar->addAction(QStringLiteral("恢复默认")), &QAction::triggered, this, [this] {
        if (QMessageBox::question(this, QStringLiteral("请确定"),
                                  QStringLiteral("当前票据的套打位置将回到原始位置，确定恢复吗？")) != QMessageBox::Yes)
            return;
        m_session.RestoreDefault();
        m_adjust->Reloaded();
        info(this, QStringLiteral("已恢复到原始位置"));
    });
    m_prior = bar->addAction(QStringLiteral("前一页"));
    m_next = bar->addAction(QStringLiteral("后一页"));
    auto step = [this](bool next) {
        try {
            const QString msg = next ? m_session.NextPage() : m_session.PriorPage();
            if (!msg.isEmpty())
                info(this, msg);
            m_adjust->Reloaded();
        } catch (const std::exception& e) {
            fail(this, zqv::LeadAndReason(QStringLiteral("出现错误！"), QString::fromUtf8(e.what())));
        }
    };
    connect(m_prior, &QAction::triggered, this, [step] { step(false); });
    connect(m_next, &QAction::triggered, this, [step] { step(true); });
    bar->addSeparator();
    bar->addWidget(new QLabel(QStringLiteral("打印份数"), bar));
    m_copies = new QSpinBox(bar);
    m_copies->setRange(1, 100);
    m_copies->setValue(1);
    bar->addWidget(m_copies);
    connect(bar->addAction(QStringLiteral("设置打印机")), &QAction::triggered, this, [this] {
        TfrmZqBPPrtSet(m_session.Para(), this).exec();
    });
    connect(bar->addAction(QStringLiteral("打印票据")), &QAction::triggered, this, [this] { PrintClick(); });
    connect(bar->addAction(QStringLiteral("关闭")), &QAction::triggered, this, &QDialog::reject);
    resize(1100, 760);
}

TfrmZqPrt::~TfrmZqPrt() = default;

bool TfrmZqPrt::Prepare()
{
    try {
        m_session.Prepare();
    } catch (const std::exception& e) {
        fail(this, QString::fromUtf8(e.what()));
        return false;
    }
    ShowCurrentPage();
    const bool many = m_session.PageCount() > 1;
    m_prior->setVisible(many);
    m_next->setVisible(many);
    return true;
}

void TfrmZqPrt::ShowCurrentPage() { m_adjust->Reloaded(); }

bool TfrmZqPrt::Execute()
{
    if (!Prepare())
        return false;
    exec();
    return m_session.Printed();
}

void TfrmZqPrt::Move(int direction)
{
    TZqAdjustDoc& doc = m_adjust->Doc();
    if (doc.SelectedCount() == 0) {
        info(this, QStringLiteral("请在票据区选择需要移动的项目"));
        return;
    }
    QString text;
    if (!InputOrSelectText(this, QStringLiteral("提示"), QStringLiteral("请输入移动距离，单位是毫米"), {}, text))
        return;
    const double mm = zq::parseNumber(text.trimmed()).value_or(0.0);
    doc.MoveSelected(static_cast<TZqArrow>(direction), std::isfinite(mm) ? mm : 0.0);
    m_adjust->viewport()->update();
}

void TfrmZqPrt::PrintClick()
{
    TZqBPPrtPara& para = m_session.Para();
    if (m_session.NeedsSettings() && TfrmZqBPPrtSet(para, this).exec() != QDialog::Accepted)
        return;
    if (m_session.Printed()
        && QMessageBox::question(this, QStringLiteral("警告"),
                                 QStringLiteral("已经点过一次打印按钮，再次点击会重复打印！确定要重复打印吗？"))
               != QMessageBox::Yes)
        return;
    para.Copies = m_copies->value();
    if (para.PrinterName == QString::fromUtf16(kPdfTarget)) {
        // The file target asks where the pages go.
        const QString file = QFileDialog::getSaveFileName(this, QStringLiteral("打印到PDF文件"), para.OutputFile,
                                                          QStringLiteral("PDF (*.pdf)"));
        if (file.isEmpty())
            return;
        para.OutputFile = file;
    }
    m_session.OnPrintFinish = OnPrintFinish;
    try {
        m_session.Print();
        m_adjust->Reloaded();
    } catch (const std::exception& e) {
        fail(this, zqv::LeadAndReason(QStringLiteral("出现错误！"), QString::fromUtf8(e.what())));
    }
}

// ---------------------------------------------------------------- component

bool TZqBPPrint::Print(const QString& iniFileName, const QString& templateFileName, const QString& formatFileName,
                       const QList<TZqPage>& pages, int dateStyle, int amountStyle, QWidget* parent)
{
    TZqBPPrtPara para;
    para.IniFileName = iniFileName;
    para.TemplateFileName = templateFileName;
    para.FormatFileName = formatFileName;
    para.Pages = pages;
    para.DateStyle = dateStyle;
    para.AmountStyle = amountStyle;
    TfrmZqPrt w(para, parent);
    w.OnPrintFinish = OnPrintFinish;
    return w.Execute();
}

void TZqBPPrint::Calibrate(const QString& iniFileName, QWidget* parent)
{
    TfrmPrtAdjWizard(iniFileName, QString(), parent).exec();
}
