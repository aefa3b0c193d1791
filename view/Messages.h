#pragma once
// The message boxes of the view layer, in one place so that tests can take
// the messages instead of a modal box.
#include <QString>
#include <functional>

class QWidget;

namespace zqv {

enum class TZqMsgKind { Error, Warning, Info };

// Takes every message instead of showing a box; none restores the boxes.
using MessageHook = std::function<void(TZqMsgKind kind, const QString& text)>;
void SetMessageHook(MessageHook hook);

// A modal box (caption: the application title; "提示" for information).
void ShowMessage(QWidget* parent, TZqMsgKind kind, const QString& text);

// A lead ("出现错误！", "打开文件失败：", "错误:"), a line break and the reason.
inline QString LeadAndReason(const QString& lead, const QString& reason) { return lead + u'\n' + reason; }

} // namespace zqv
