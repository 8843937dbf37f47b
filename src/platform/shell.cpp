#include "platform/shell.h"

#include "platform/paths.h"
#include "platform/text.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QUrl>

namespace {

ShellHook& hookSlot() {
    static ShellHook hook;
    return hook;
}

// A URL stays a URL; anything else is a file, resolved like every reader path and made absolute
// against the working folder.
QUrl targetUrl(std::string_view target1251, std::string_view workDir1251) {
    const QString t = toQString(target1251);
    const QUrl asUrl(t);
    if (asUrl.isValid() && asUrl.scheme().size() > 1) return asUrl;
    QString native = QString::fromStdString(nativePath(target1251));
    if (QFileInfo(native).isRelative() && !workDir1251.empty())
        native = QString::fromStdString(nativePath(std::string(workDir1251) + "/" +
                                                   std::string(target1251)));
    return QUrl::fromLocalFile(QFileInfo(native).absoluteFilePath());
}

} // namespace

bool shellOpen(std::string_view target1251, std::string_view workDir1251) {
    if (hookSlot())
        return hookSlot()(ShellCall{ShellCall::Open, std::string(target1251), {},
                                    std::string(workDir1251)});
    return QDesktopServices::openUrl(targetUrl(target1251, workDir1251));
}

bool startProgram(std::string_view program1251, const std::vector<std::string>& args1251,
                  std::string_view workDir1251) {
    if (hookSlot())
        return hookSlot()(ShellCall{ShellCall::Start, std::string(program1251), args1251,
                                    std::string(workDir1251)});
    QStringList args;
    for (const auto& a : args1251) args << toQString(a);
    return QProcess::startDetached(QString::fromStdString(nativePath(program1251)), args,
                                   QString::fromStdString(nativePath(workDir1251)));
}

ShellHook setShellHook(ShellHook hook) {
    ShellHook previous = std::move(hookSlot());
    hookSlot() = std::move(hook);
    return previous;
}
