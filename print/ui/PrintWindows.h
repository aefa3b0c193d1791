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
