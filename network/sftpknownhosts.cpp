#include "network/sftpknownhosts.h"

#include "core/base/paths.h"
#include "network/networklog.h"

#include <QFile>
#include <QList>
#include <QMessageAuthenticationCode>
#include <QMutex>
#include <QtEndian>

namespace pryx {

namespace {

// Lines above this one come from the time the store kept no ports: their
// plain host names may stand for any port.
const QByteArray kPortMarker = "# pryx: from here on a name without [host]:port means port 22";

QMutex g_fileMutex;

struct Entry {
    QList<QByteArray> names;
    QByteArray type;
    QByteArray key;
    bool revoked = false;
    bool legacy = false;
};

// The key type named at the start of a key blob ("ssh-ed25519", ...).
QByteArray blobType(const QByteArray &key)
{
    if (key.size() < 4)
        return QByteArray();
    const quint32 n = qFromBigEndian<quint32>(key.constData());
    if (n == 0 || n > quint32(key.size() - 4))
        return QByteArray();
    return key.mid(4, int(n));
}

// A name of a known_hosts line: plain, or hashed as OpenSSH writes it
// ("|1|salt|hash", HMAC-SHA1 of the name keyed with the salt).
bool nameMatches(const QByteArray &pattern, const QByteArray &name)
{
    if (pattern.startsWith("|1|")) {
        const QList<QByteArray> parts = pattern.mid(3).split('|');
        if (parts.size() != 2)
            return false;
        const QByteArray salt = QByteArray::fromBase64(parts.at(0));
        const QByteArray hash = QByteArray::fromBase64(parts.at(1));
        return QMessageAuthenticationCode::hash(name, salt, QCryptographicHash::Sha1) == hash;
    }
    return pattern.toLower() == name;
}

QList<Entry> readEntries(const QString &file, bool *hasMarker)
{
    QList<Entry> entries;
    *hasMarker = false;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return entries;
    const QList<QByteArray> lines = f.readAll().split('\n');
    for (QByteArray line : lines) {
        line = line.trimmed();
        if (line == kPortMarker) {
            *hasMarker = true;
            continue;
        }
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        QList<QByteArray> fields = line.simplified().split(' ');
        Entry e;
        if (fields.first().startsWith('@')) {
            if (fields.first() != "@revoked")
                continue;   // certificate authorities are not used here
            e.revoked = true;
            fields.removeFirst();
        }
        if (fields.size() < 3)
            continue;
        e.names = fields.at(0).split(',');
        e.type = fields.at(1);
        e.key = QByteArray::fromBase64(fields.at(2));
        e.legacy = !*hasMarker;
        entries.append(e);
    }
    // Without the marker every line is from before it.
    if (!*hasMarker)
        for (Entry &e : entries)
            e.legacy = true;
    return entries;
}

bool named(const Entry &e, const QByteArray &name)
{
    for (const QByteArray &pattern : e.names)
        if (nameMatches(pattern, name))
            return true;
    return false;
}

// Known when a line of that name holds the key, Changed when lines of that
// name hold other keys of the same type, Unknown otherwise.
HostKeyMatch match(const QList<Entry> &entries, const QByteArray &name, const QByteArray &key,
                   bool legacyOnly)
{
    const QByteArray type = blobType(key);
    bool other = false;
    for (const Entry &e : entries) {
        if ((legacyOnly && !e.legacy) || !named(e, name))
            continue;
        if (e.revoked) {
            if (e.key == key)
                return HostKeyMatch::Changed;
            continue;
        }
        if (e.type != type)
            continue;
        if (e.key == key)
            return HostKeyMatch::Known;
        other = true;
    }
    return other ? HostKeyMatch::Changed : HostKeyMatch::Unknown;
}

HostKeyMatch lookup(const QList<Entry> &entries, const QString &host, int port, const QByteArray &key)
{
    const QByteArray name = knownHostName(host, port).toUtf8();
    const HostKeyMatch exact = match(entries, name, key, false);
    if (exact != HostKeyMatch::Unknown || port == 22)
        return exact;
    return match(entries, host.toLower().toUtf8(), key, true);
}

bool append(const QString &file, bool hasMarker, const QString &name, const QByteArray &key)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadWrite | QIODevice::Append))
        return false;
    QByteArray text;
    if (f.size() > 0) {
        f.seek(f.size() - 1);
        if (f.read(1) != "\n")
            text += '\n';
    }
    if (!hasMarker)
        text += kPortMarker + '\n';
    text += name.toUtf8() + ' ' + blobType(key) + ' ' + key.toBase64() + '\n';
    return f.write(text) == text.size() && f.flush();
}

} // namespace

QString knownHostsPath() { return dataPath() + "sftp_known_hosts"; }

QString knownHostName(const QString &host, int port)
{
    const QString h = host.toLower();
    if (port == 22)
        return h;
    return QStringLiteral("[%1]:%2").arg(h).arg(port);
}

HostKeyMatch lookupHostKey(const QString &file, const QString &host, int port, const QByteArray &key)
{
    QMutexLocker lock(&g_fileMutex);
    bool hasMarker = false;
    return lookup(readEntries(file, &hasMarker), host, port, key);
}

HostKeyMatch trustHostKey(const QString &file, const QString &host, int port, const QByteArray &key)
{
    if (blobType(key).isEmpty())
        return HostKeyMatch::Changed;
    QMutexLocker lock(&g_fileMutex);
    bool hasMarker = false;
    const QList<Entry> entries = readEntries(file, &hasMarker);
    const HostKeyMatch result = lookup(entries, host, port, key);
    // A key known only from a line without a port gets a line of its own.
    const bool exact = match(entries, knownHostName(host, port).toUtf8(), key, false)
                       == HostKeyMatch::Known;
    if (result == HostKeyMatch::Unknown || (result == HostKeyMatch::Known && !exact)) {
        if (!append(file, hasMarker, knownHostName(host, port), key))
            qCWarning(pryx::lcNetwork) << "could not store the host key in" << file;
    }
    return result;
}

} // namespace pryx
