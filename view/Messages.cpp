#include "Messages.h"

#include <QApplication>
#include <QMessageBox>

namespace zqv {

namespace {
MessageHook& hook()
{
    static MessageHook h;
    return h;
}
} // namespace

void SetMessageHook(MessageHook h) { hook() = std::move(h); }

void ShowMessage(QWidget* parent, TZqMsgKind kind, const QString& text)
{
    if (hook()) {
        hook()(kind, text);
        return;
    }
    const QString title = QApplication::applicationDisplayName().isEmpty() ? QApplication::applicationName()
                                                                           : QApplication::applicationDisplayName();
    switch (kind) {
    case TZqMsgKind::Error: QMessageBox::critical(parent, title, text); break;
    case TZqMsgKind::Warning: QMessageBox::warning(parent, title, text); break;
    case TZqMsgKind::Info: QMessageBox::information(parent, QStringLiteral("提示"), text); break;
    }
}

} // namespace zqv
