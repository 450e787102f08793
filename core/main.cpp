#include <QApplication>

#include "core/setting.h"

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setApplicationVersion(PRYX_VERSION);
    QApplication::setApplicationName("Pryx");
    Setting::instance();
    return QApplication::exec();
}
