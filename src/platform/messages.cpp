#include "platform/messages.h"

#include "platform/text.h"

#include <QApplication>
#include <QMessageBox>

namespace {

MessageHook& hookSlot() {
    static MessageHook hook;
    return hook;
}

QMessageBox::StandardButtons buttonsOf(MsgButtons b) {
    switch (b) {
    case MsgButtons::Ok: return QMessageBox::Ok;
    case MsgButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case MsgButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case MsgButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MsgButtons::RetryCancel: return QMessageBox::Retry | QMessageBox::Cancel;
    case MsgButtons::AbortRetryIgnore:
        return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon iconOf(MsgIcon i) {
    switch (i) {
    case MsgIcon::None: return QMessageBox::NoIcon;
    case MsgIcon::Stop: return QMessageBox::Critical;
    case MsgIcon::Information: return QMessageBox::Information;
    case MsgIcon::Warning: return QMessageBox::Warning;
    case MsgIcon::Question: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

int answerOf(int button) {
    switch (button) {
    case QMessageBox::Ok: return IDOK;
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    case QMessageBox::Retry: return IDRETRY;
    case QMessageBox::Abort: return IDABORT;
    case QMessageBox::Ignore: return IDIGNORE;
    default: return IDCANCEL;
    }
}

} // namespace

int messageBox(std::string_view text1251, std::string_view caption1251, MsgIcon icon,
               MsgButtons buttons) {
    if (hookSlot())
        return hookSlot()(MessageRecord{std::string(text1251), std::string(caption1251), icon,
                                        buttons});
    QMessageBox box(iconOf(icon), toQString(caption1251), toQString(text1251), buttonsOf(buttons),
                    QApplication::activeWindow());
    return answerOf(box.exec());
}

MessageHook setMessageHook(MessageHook hook) {
    MessageHook previous = std::move(hookSlot());
    hookSlot() = std::move(hook);
    return previous;
}
