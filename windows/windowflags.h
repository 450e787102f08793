#pragma once
// Window flags shared by the application windows.

#include <QString>
#include <Qt>

namespace pryx {
inline constexpr Qt::WindowFlags framelessWindow() { return Qt::Window | Qt::FramelessWindowHint; }
inline constexpr Qt::WindowFlags framelessOnTop()
{
    return Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;
}
// The "username" setting, read when a window sets its title.
QString userName();
} // namespace pryx
