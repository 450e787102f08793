#include "network/networkreadreply.h"

#include "core/base/setting.h"
#include "network/session.h"
#include "network/networklog.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace {

QString str(const QJsonValue &v) { return v.isString() ? v.toString() : QString(); }

// A byte count as a whole number, whatever its JSON spelling (1073741824,
// 1.073741824e9, "1073741824").
QString wholeNumber(const QJsonValue &v)
{
    double d = 0;
    if (v.isDouble()) {
        d = v.toDouble();
    } else if (v.isString()) {
        bool ok = false;
        const qlonglong n = v.toString().trimmed().toLongLong(&ok);
        if (ok)
            return QString::number(n);
        d = v.toString().trimmed().toDouble(&ok);
        if (!ok)
            return QString();
    } else {
        return QString();
    }
    if (!std::isfinite(d) || d < 0 || d > 9.2e18)
        return QString();
    return QString::number(qlonglong(std::llround(d)));
}

bool flagText(const QString &t)
{
    return !(t.isEmpty() || t == QLatin1String("0") || t == QLatin1String("false"));
}

} // namespace

NetworkReadReply::NetworkReadReply(QObject *parent) : QObject(parent) {}

QMap<QString, QString> NetworkReadReply::readInit(const QByteArray &body)
{
    const QJsonObject o = QJsonDocument::fromJson(body).object();
    QMap<QString, QString> map;
    map.insert(QStringLiteral("alternateLink"), str(o.value(QLatin1String("alternateLink"))));
    map.insert(QStringLiteral("selfLink"), str(o.value(QLatin1String("selfLink"))));
    map.insert(QStringLiteral("id"), str(o.value(QLatin1String("id"))));
    qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << body << map;
    return map;
}

QMap<QString, QString> NetworkReadReply::readUserInfo(const QByteArray &body)
{
    const QJsonObject o = QJsonDocument::fromJson(body).object();
    const QJsonObject user = o.value(QLatin1String("user")).toObject();
    QMap<QString, QString> map;
    map.insert(QStringLiteral("quotaBytesTotal"), wholeNumber(o.value(QLatin1String("quotaBytesTotal"))));
    map.insert(QStringLiteral("quotaBytesUsed"), wholeNumber(o.value(QLatin1String("quotaBytesUsed"))));
    map.insert(QStringLiteral("maxUploadSizes"),
               str(o.value(QLatin1String("maxUploadSizes")).toArray().at(0).toObject().value(QLatin1String("size"))));
    map.insert(QStringLiteral("displayName"), str(user.value(QLatin1String("displayName"))));
    map.insert(QStringLiteral("emailAddress"), str(user.value(QLatin1String("emailAddress"))));
    map.insert(QStringLiteral("isAuthenticatedUser"), str(user.value(QLatin1String("isAuthenticatedUser"))));
    map.insert(QStringLiteral("picture"),
               str(user.value(QLatin1String("picture")).toObject().value(QLatin1String("url"))));
    return map;
}

void NetworkReadReply::readReply(const QByteArray &body)
{
    buffer_ = body;
    xml_.clear();
    xml_.addData(buffer_);
    while (!xml_.atEnd()) {
        xml_.readNext();
        if (xml_.isStartElement()) {
            if (xml_.name() == QLatin1String("server")) {
                Session::instance()->setVersion(xml_.attributes().value(QLatin1String("version")).toString());
                Session::instance()->setSession(xml_.attributes().value(QLatin1String("session")).toString());
                readHistory();
            } else if (xml_.name() == QLatin1String("response")) {
                readResponse();
            }
        } else if (xml_.isEndElement()) {
            break;
        }
    }
    emit readReady();
}

void NetworkReadReply::readHistory()
{
    while (!xml_.atEnd()) {
        xml_.readNext();
        if (xml_.isEndElement())
            return;
        if (!xml_.isStartElement())
            continue;
        if (xml_.name() == QLatin1String("update")) {
            readUpdate();
        } else if (xml_.name() == QLatin1String("getHistory")) {
            history_.clear();
            while (!xml_.atEnd()) {
                xml_.readNext();
                if (xml_.isEndElement()) {
                    emit historyLinkReady(history_);
                    break;
                }
                if (xml_.isStartElement()) {
                    if (xml_.name() == QLatin1String("url"))
                        history_.append(xml_.readElementText(QXmlStreamReader::IncludeChildElements));
                    else
                        xml_.skipCurrentElement();
                }
            }
        } else {
            xml_.skipCurrentElement();
        }
    }
}

void NetworkReadReply::readUpdate()
{
    if (xml_.attributes().value(QLatin1String("error")).toInt() != 0) {
        xml_.skipCurrentElement();
        return;
    }
    QString version, link, md5;
    bool critical = false, license = false;
    while (!xml_.atEnd()) {
        xml_.readNext();
        if (xml_.isEndElement()) {
            emit updateVersionReady(version, critical, license, link, md5);
            return;
        }
        if (!xml_.isStartElement())
            continue;
        qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << xml_.name() << xml_.isStartElement();
        if (xml_.name() == QLatin1String("version")) {
            critical = flagText(xml_.attributes().value(QLatin1String("critical")).toString());
            license = flagText(xml_.attributes().value(QLatin1String("license")).toString());
            version = xml_.readElementText(QXmlStreamReader::IncludeChildElements);
        } else if (xml_.name() == QLatin1String("link")) {
            link = xml_.readElementText(QXmlStreamReader::IncludeChildElements);
        } else if (xml_.name() == QLatin1String("md5")) {
            md5 = xml_.readElementText(QXmlStreamReader::IncludeChildElements);
        } else {
            xml_.skipCurrentElement();
        }
    }
}

void NetworkReadReply::readResponse()
{
    Setting *s = Setting::instance();
    while (!xml_.atEnd()) {
        xml_.readNext();
        if (xml_.isEndElement()) {
            qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << "isEndElement";
            return;
        }
        if (!xml_.isStartElement())
            continue;
        if (xml_.name() == QLatin1String("user")) {
            readUser();
        } else if (xml_.name() == QLatin1String("disk")) {
            const QXmlStreamAttributes a = xml_.attributes();
            s->setValue(QStringLiteral("quota"), a.value(QLatin1String("quota")).toULongLong());
            s->setValue(QStringLiteral("usage"), a.value(QLatin1String("usage")).toULongLong());
            s->setValue(QStringLiteral("max_post_size"), a.value(QLatin1String("max_post_size")).toULongLong());
            xml_.skipCurrentElement();
        } else {
            qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << "unknown name " + xml_.name().toString();
            xml_.skipCurrentElement();
        }
    }
}

void NetworkReadReply::readUser()
{
    Setting *s = Setting::instance();
    while (!xml_.atEnd()) {
        xml_.readNext();
        if (xml_.isEndElement())
            return;
        if (!xml_.isStartElement())
            continue;
        if (xml_.name() == QLatin1String("name"))
            s->setValue(QStringLiteral("username"), xml_.readElementText(QXmlStreamReader::IncludeChildElements));
        else if (xml_.name() == QLatin1String("email"))
            s->setValue(QStringLiteral("usermail"), xml_.readElementText(QXmlStreamReader::IncludeChildElements));
        else if (xml_.name() == QLatin1String("avatar"))
            s->setValue(QStringLiteral("useravatar"), xml_.readElementText(QXmlStreamReader::IncludeChildElements));
        else
            xml_.skipCurrentElement();
    }
}
