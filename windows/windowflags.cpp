#include "windows/windowflags.h"

#include "core/setting.h"

#include <QString>

QString pryx::userName()
{
    return Setting::instance()->getValue(QStringLiteral("username")).toString();
}
