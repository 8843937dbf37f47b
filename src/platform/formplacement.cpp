#include "platform/formplacement.h"

#include "platform/registry.h"
#include "platform/text.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace {

// Beyond any real screen: such values come from damage, not from a window.
constexpr int kLimit = 1 << 20;

} // namespace

bool saveFormPlacement(const QWidget& window, const std::string& key1251,
                       const std::string& prefix1251) {
    const bool maximized = window.isMaximized();
    QRect r = window.geometry();
    if ((maximized || window.isMinimized()) && window.normalGeometry().isValid())
        r = window.normalGeometry();
    const QWidget* focus = window.focusWidget();
    const std::string active =
        focus && focus != &window ? fromQString(focus->objectName()) : std::string();

    TRegistry reg(HKEY_CURRENT_USER);
    const std::string& p = prefix1251;
    return reg.OpenKey(key1251, true) && reg.WriteInteger(p + "Left", r.x()) &&
           reg.WriteInteger(p + "Top", r.y()) && reg.WriteInteger(p + "Width", r.width()) &&
           reg.WriteInteger(p + "Height", r.height()) &&
           reg.WriteInteger(p + "State", maximized ? 1 : 0) &&
           reg.WriteString(p + "ActiveControl", active);
}

bool restoreFormPlacement(QWidget& window, const std::string& key1251,
                          const std::string& prefix1251) {
    TRegistry reg(HKEY_CURRENT_USER);
    if (!reg.OpenKey(key1251, false)) return false;
    const std::string& p = prefix1251;
    const auto left = reg.ReadInteger(p + "Left"), top = reg.ReadInteger(p + "Top");
    const auto width = reg.ReadInteger(p + "Width"), height = reg.ReadInteger(p + "Height");
    if (!left || !top || !width || !height) return false;
    if (*width <= 0 || *height <= 0 || *width > kLimit || *height > kLimit || *left < -kLimit ||
        *left > kLimit || *top < -kLimit || *top > kLimit)
        return false;

    QRect r(*left, *top, *width, *height);
    QScreen* screen = QGuiApplication::screenAt(r.center());
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->availableGeometry();
        r.setWidth(std::min(r.width(), area.width()));
        r.setHeight(std::min(r.height(), area.height()));
        r.moveLeft(std::clamp(r.left(), area.left(), area.right() - r.width() + 1));
        r.moveTop(std::clamp(r.top(), area.top(), area.bottom() - r.height() + 1));
    }
    window.setGeometry(r);
    if (reg.ReadInteger(p + "State").value_or(0) == 1)
        window.setWindowState((window.windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
    else
        window.setWindowState(window.windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized));

    const std::string active = reg.ReadString(p + "ActiveControl");
    if (!active.empty())
        if (QWidget* w = window.findChild<QWidget*>(toQString(active)))
            if (w->focusPolicy() != Qt::NoFocus) w->setFocus();
    return true;
}
