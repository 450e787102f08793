#pragma once
// The SFTP host keys trusted on first use, in OpenSSH's known_hosts format:
// a server on port 22 is stored as "host", one on any other port as
// "[host]:port". Plain "host" lines written before the store knew ports are
// still honoured for every port that has no line of its own.

#include <QByteArray>
#include <QString>

namespace pryx {

// The file in the data folder.
QString knownHostsPath();

// "host" for port 22, "[host]:port" otherwise (host in lower case).
QString knownHostName(const QString &host, int port);

enum class HostKeyMatch { Known, Unknown, Changed };

// What the file says of this key for host and port. key is the server's
// public key blob as the SSH protocol sends it.
HostKeyMatch lookupHostKey(const QString &file, const QString &host, int port, const QByteArray &key);

// Looks the key up and, when the host is not known yet, adds it (first use).
// Known and Unknown both mean the key may be used.
HostKeyMatch trustHostKey(const QString &file, const QString &host, int port, const QByteArray &key);

} // namespace pryx
