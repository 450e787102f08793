#include "windows/windowflags.h"

#include "core/base/setting.h"

#include <QString>

QString pryx::userName()
{
    return Setting::instance()->getValue(QStringLiteral("username")).toString();
}
