// The print settings dialog over a fake spooler: the form list follows the
// printer, OK refuses what cannot be printed and stores the scheme; the print
// window moves a selection by typed millimetres.
#include "app/Settings.h"
#include "print/PrintSettings.h"
#include "print/ZqPrinters.h"
#include "print/ui/PrintWindows.h"
#include "view/Messages.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zqp;

namespace {

class Source : public TZqPrinterSource {
public:
    QStringList PrinterNames() override { return {QStringLiteral("Laser"), QStringLiteral("Dots")}; }
    QString DefaultPrinterName() override { return {}; }
    QList<TZqForm> Forms(const QString& p) override
    {
        if (p == u"Laser")
            return {TZqForm{QStringLiteral("A4"), 210000, 297000, {}}};
        return {TZqForm{QStringLiteral("241x280"), 241000, 280000, {}}, TZqForm{QStringLiteral("A4"), 210000, 297000, {}}};
    }
    QStringList PaperNames(const QString&) override { return {}; }
    QList<int> PaperCodes(const QString&) override { return {}; }
    int OrientationAngle(const QString&) override { return 90; }
};

QRadioButton* radio(QWidget& w, const char16_t* text)
{
    for (QRadioButton* r : w.findChildren<QRadioButton*>())
        if (r->text() == QString::fromUtf16(text))
            return r;
    return nullptr;
}

} // namespace

TEST(PrintSettingsDialog, FormsFollowThePrinterAndOkStoresTheScheme)
{
    SetZqPrinterSource(std::make_unique<Source>());
    QStringList messages;
    zqv::SetMessageHook([&](zqv::TZqMsgKind, const QString& t) { messages.append(t); });
    QTemporaryDir dir;
    TZqBPPrtPara para;
    para.IniFileName = dir.filePath(QStringLiteral("config.ini"));
    {
        TfrmZqBPPrtSet d(para);
        const auto combos = d.findChildren<QComboBox*>();
        ASSERT_EQ(combos.size(), 2);
        QComboBox *printer = combos[0], *forms = combos[1];
        EXPECT_EQ(printer->currentIndex(), -1); // first use: nothing chosen
        auto* ok = d.findChild<QDialogButtonBox*>()->buttons().first();
        ok->click();
        EXPECT_EQ(messages.value(0), QStringLiteral("请选择打印机！"));

        printer->setCurrentIndex(printer->findText(QStringLiteral("Dots")));
        radio(d, u"自定义")->setChecked(true);
        EXPECT_EQ(forms->count(), 2);
        forms->setCurrentIndex(forms->findText(QStringLiteral("241x280")));
        // Another printer: its own forms, the old choice gone.
        printer->setCurrentIndex(printer->findText(QStringLiteral("Laser")));
        EXPECT_EQ(forms->count(), 1);
        EXPECT_EQ(forms->findText(QStringLiteral("241x280")), -1);
        forms->setCurrentIndex(0);
        radio(d, u"正向")->setChecked(true);
        radio(d, u"居中")->setChecked(true);
        ok->click();
        EXPECT_EQ(d.result(), QDialog::Accepted);
    }
    const zq::PrintScheme s = zq::Settings(para.IniFileName).printScheme();
    EXPECT_EQ(s.PrinterName, QStringLiteral("Laser"));
    EXPECT_FALSE(s.AutoPaper);
    EXPECT_EQ(s.PaperName, QStringLiteral("A4"));
    EXPECT_EQ(s.PaperCode, 1);
    EXPECT_EQ(s.Orientation, 1);
    EXPECT_EQ(s.FeedPosition, 1);
    zqv::SetMessageHook(nullptr);
    SetZqPrinterSource(nullptr);
}

TEST(CalibrationWizard, NoDefaultPrinterThenPagesThenSave)
{
    SetZqPrinterSource(std::make_unique<Source>());
    QStringList messages;
    zqv::SetMessageHook([&](zqv::TZqMsgKind, const QString& t) { messages.append(t); });
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("config.ini"));
    TfrmPrtAdjWizard w(ini, QString());
    EXPECT_EQ(w.PrinterList()->currentRow(), -1); // no default printer: nothing selected, no error
    w.Next();
    w.Next();
    w.Next();
    EXPECT_EQ(w.PageIndex(), 2);
    EXPECT_EQ(messages.value(0), QStringLiteral("请选择打印机！"));
    w.PrinterList()->setCurrentRow(1);
    w.Next();
    w.Next();
    EXPECT_EQ(w.PageIndex(), 4);
    w.Margin(0)->setText(QStringLiteral("42,5"));
    w.Margin(1)->setText(QStringLiteral("39"));
    w.Next();
    EXPECT_EQ(messages.value(1), QStringLiteral("正向校准左边距没有输入或输入错误！"));
    w.Margin(0)->setText(QStringLiteral("42.5"));
    w.Next();
    w.Margin(2)->setText(QStringLiteral("40"));
    w.Margin(3)->setText(QStringLiteral("1e999"));
    w.Next();
    EXPECT_EQ(messages.value(2), QStringLiteral("侧向校准上边距没有输入或输入错误！"));
    w.Margin(3)->setText(QStringLiteral("41"));
    w.Next();
    EXPECT_EQ(w.PageIndex(), 6);
    w.Save();
    EXPECT_EQ(messages.value(3), QStringLiteral("校准信息已保存！"));
    const zq::Calibration c = zq::Settings(ini).calibration(QStringLiteral("Dots"));
    EXPECT_EQ(c.PortraitLeftMargin, 42.5);
    EXPECT_EQ(c.PortraitTopMargin, 39);
    EXPECT_EQ(c.LandscapeTopMargin, 41);
    zqv::SetMessageHook(nullptr);
    SetZqPrinterSource(nullptr);
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
