#pragma once
// The windows of printing: the print window over the adjustment surface, the
// print settings dialog and the input-or-select dialog that the designer
// shares. Their decisions live in zqbp_print; these are the windows.
#include "print/PrintRun.h"

#include <QDialog>
#include <QStringList>

class TZqAdjust;
class QAction;
class QSpinBox;

// A prompt with an editable list; true and the text when confirmed.
bool InputOrSelectText(QWidget* parent, const QString& caption, const QString& prompt, const QStringList& items,
                       QString& text);

// "设置打印机": edits the record; OK stores the scheme.
class TfrmZqBPPrtSet : public QDialog {
public:
    TfrmZqBPPrtSet(zqp::TZqBPPrtPara& para, QWidget* parent = nullptr);
};

// "打印机校准向导": seven pages from why to calibrate to saving the four
// measured margins under the printer's name in the settings file.
class TfrmPrtAdjWizard : public QDialog {
public:
    // `printer` may be empty: the default printer is preselected, or none.
    TfrmPrtAdjWizard(const QString& iniFileName, const QString& printer, QWidget* parent = nullptr);
    int PageIndex() const;
    // "下一步" and "上一步" as the buttons do them.
    void Next();
    void Prior();
    // Test hooks: the printer list and the four margin boxes.
    class QListWidget* PrinterList() const { return m_list; }
    class QLineEdit* Margin(int i) const { return m_margins[i]; }
    void Save();

private:
    class QStackedWidget* m_pages = nullptr;
    class QListWidget* m_list = nullptr;
    class QLineEdit* m_margins[4] = {};
    class QPushButton* m_prev = nullptr;
    class QPushButton* m_next = nullptr;
    QString m_ini, m_printer;
};

// "打印票据".
class TfrmZqPrt : public QDialog {
public:
    TfrmZqPrt(zqp::TZqBPPrtPara& para, QWidget* parent = nullptr);
    ~TfrmZqPrt() override;
    // Prepares the session (an error is shown and false returned); the window
    // is then ready to show. Execute shows it modally and returns the printed flag.
    bool Prepare();
    bool Execute();
    zqp::TZqPrintSession& Session() { return m_session; }
    TZqAdjust* Surface() const { return m_adjust; }
    std::function<void(const QList<zqp::TZqPage>&)> OnPrintFinish;

private:
    void ShowCurrentPage();
    void Move(int direction);
    void PrintClick();
    zqp::TZqPrintSession m_session;
    TZqAdjust* m_adjust = nullptr;
    QAction* m_bg = nullptr;
    QAction* m_prior = nullptr;
    QAction* m_next = nullptr;
    QSpinBox* m_copies = nullptr;
};

// The print component the main window and batch printing use: Print opens
// the print window on a fresh record and returns true when a run was started
// there; OnPrintFinish reports the pages of each run. Calibrate opens the wizard.
class TZqBPPrint {
public:
    std::function<void(const QList<zqp::TZqPage>&)> OnPrintFinish;
    bool Print(const QString& iniFileName, const QString& templateFileName, const QString& formatFileName,
               const QList<zqp::TZqPage>& pages, int dateStyle, int amountStyle, QWidget* parent = nullptr);
    void Calibrate(const QString& iniFileName, QWidget* parent = nullptr);
};
