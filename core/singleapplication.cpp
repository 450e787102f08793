#include "core/singleapplication.h"
#include "core/corelog.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QThread>

#include <sys/un.h>

#include "core/base/paths.h"
#include "core/startup.h"
#include "platform/privatedir.h"

namespace {

SingleApplication *s_instance = nullptr;

const char kRunningAgain[] = "running_again";
const char kBufferProperty[] = "pryxMessage";
const int kMaxMessage = 1 << 20;

bool fitsSocketAddress(const QString &path)
{
    return QFile::encodeName(path).size() < int(sizeof(sockaddr_un::sun_path));
}

} // namespace

namespace pryx {

QLockFile *instanceLock()
{
    static QLockFile *lock = nullptr;   // held until the process ends
    if (!lock) {
        lock = new QLockFile(pryx::dataPath() + "pryx.lock");
        lock->setStaleLockTime(0);
    }
    return lock;
}

} // namespace pryx

SingleApplication::SingleApplication(QObject *parent) : QObject(parent)
{
    if (!s_instance)
        s_instance = this;
}

SingleApplication::~SingleApplication()
{
    if (s_instance == this)
        s_instance = nullptr;
}

SingleApplication *SingleApplication::instance() { return s_instance; }

// Beside the lock file; a data folder too deep for a socket address takes a
// name in the private runtime folder instead. Empty when neither fits.
QString SingleApplication::socketPath()
{
    const QString beside = pryx::dataPath() + QStringLiteral("pryx.socket");
    if (fitsSocketAddress(beside))
        return beside;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.startsWith(QLatin1Char('/'))) {
        const QByteArray id = QCryptographicHash::hash(QFile::encodeName(pryx::dataPath()),
                                                       QCryptographicHash::Sha256).toHex().left(16);
        const QString path = runtime + QStringLiteral("/pryx-") + QString::fromLatin1(id)
            + QStringLiteral(".socket");
        if (fitsSocketAddress(path))
            return path;
    }
    return QString();
}

SingleApplication::Role SingleApplication::start(const QStringList &arguments, int waitMs)
{
    pryx::platform::ensurePrivateDir(pryx::dataPath());
    QLockFile *lock = pryx::instanceLock();
    const bool reachable = !socketPath().isEmpty();
    if (!reachable)
        qCDebug(pryx::lcCore) << Q_FUNC_INFO << "no usable socket address for" << pryx::dataPath();
    const QByteArray text = message(arguments, QDir::currentPath());

    // The lock decides who is first: a crashed instance's lock is stale and
    // taken over, and only the lock holder replaces the socket file.
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        if (lock->isLocked() || lock->tryLock(0)) {
            if (reachable)
                listen();
            return First;
        }
        if (!reachable)
            return Alone;
        // The holder may have taken the lock a moment ago and not listen yet.
        if (send(text))
            return HandedOver;
        if (clock.elapsed() >= waitMs)
            break;
        QThread::msleep(50);
    }
    qCDebug(pryx::lcCore) << Q_FUNC_INFO << "the running instance does not answer";
    return Alone;
}

bool SingleApplication::listen()
{
    if (isListening())
        return true;
    const QString path = socketPath();
    if (path.isEmpty())
        return false;
    if (!server_) {
        server_ = new QLocalServer(this);
        // Bound in a private folder and given mode 0700 before it takes its name.
        server_->setSocketOptions(QLocalServer::UserAccessOption);
        if (accepting_)
            connect(server_, &QLocalServer::newConnection, this, &SingleApplication::newConnection);
    }
    // Only the lock holder gets here: a socket file left is a dead one's.
    QLocalServer::removeServer(path);
    if (!server_->listen(path)) {
        qCDebug(pryx::lcCore) << Q_FUNC_INFO << "cannot listen on" << path << server_->errorString();
        return false;
    }
    qCDebug(pryx::lcCore) << Q_FUNC_INFO << path;
    return true;
}

void SingleApplication::stopListening()
{
    if (server_)
        server_->close();
}

bool SingleApplication::isListening() const { return server_ && server_->isListening(); }

void SingleApplication::acceptMessages()
{
    if (accepting_)
        return;
    accepting_ = true;
    if (server_) {
        connect(server_, &QLocalServer::newConnection, this, &SingleApplication::newConnection);
        newConnection();   // those that came while start-up ran
    }
}

QByteArray SingleApplication::message(const QStringList &arguments, const QString &workingDir)
{
    if (pryx::startAction(pryx::parseCommandLine(arguments)) == pryx::StartAction::None)
        return QByteArray(kRunningAgain);
    QStringList escaped;
    for (QString arg : pryx::absoluteFileArguments(arguments, workingDir)) {
        arg.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
        arg.replace(QLatin1Char(';'), QLatin1String("\\;"));
        escaped << arg;
    }
    return escaped.join(QLatin1Char(';')).toUtf8();
}

QStringList SingleApplication::splitMessage(const QByteArray &message)
{
    const QString text = QString::fromUtf8(message);
    QStringList out;
    QString current;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\\') && i + 1 < text.size()) {
            current += text.at(++i);
        } else if (c == QLatin1Char(';')) {
            out << current;
            current.clear();
        } else {
            current += c;
        }
    }
    out << current;
    return out;
}

bool SingleApplication::send(const QByteArray &message, int timeoutMs)
{
    const QString path = socketPath();
    if (path.isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(path, QIODevice::WriteOnly);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    if (socket.write(message) != message.size())
        return false;
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(timeoutMs))
            return false;
    }
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(timeoutMs);
    qCDebug(pryx::lcCore) << Q_FUNC_INFO << "handed to the running instance:" << message;
    return true;
}

void SingleApplication::newConnection()
{
    while (server_ && server_->hasPendingConnections()) {
        QLocalSocket *socket = server_->nextPendingConnection();
        connect(socket, &QLocalSocket::readyRead, this, &SingleApplication::dataReady);
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] { finish(socket); });
        read(socket);
        if (socket->state() == QLocalSocket::UnconnectedState)
            finish(socket);
    }
}

void SingleApplication::dataReady()
{
    if (auto *socket = qobject_cast<QLocalSocket *>(sender()))
        read(socket);
}

// A message ends when its sender closes the connection.
void SingleApplication::read(QLocalSocket *socket)
{
    QByteArray buffer = socket->property(kBufferProperty).toByteArray();
    buffer += socket->readAll();
    if (buffer.size() > kMaxMessage) {
        qCDebug(pryx::lcCore) << Q_FUNC_INFO << "message too long, dropped";
        socket->setProperty(kBufferProperty, QVariant());
        socket->abort();
        return;
    }
    socket->setProperty(kBufferProperty, buffer);
}

void SingleApplication::finish(QLocalSocket *socket)
{
    if (socket->property("pryxDone").toBool())
        return;
    socket->setProperty("pryxDone", true);
    read(socket);
    const QByteArray text = socket->property(kBufferProperty).toByteArray();
    socket->deleteLater();
    if (!text.isEmpty())
        handle(text);
}

void SingleApplication::handle(const QByteArray &text)
{
    qCDebug(pryx::lcCore) << Q_FUNC_INFO << text;
    if (text == kRunningAgain) {
        emit runnigSecondCopy();
        return;
    }
    const pryx::CommandLine cl = pryx::parseCommandLine(splitMessage(text));
    switch (pryx::startAction(cl)) {
    case pryx::StartAction::Open:
        emit openAudioImageFile(cl.openFile);
        break;
    case pryx::StartAction::Zip:
        emit uploadFileInZip(cl.files);
        break;
    case pryx::StartAction::FullScreen:
        emit fullScreen();
        break;
    case pryx::StartAction::QuickScreen:
        emit quickScreen();
        break;
    case pryx::StartAction::Screen:
        emit screen();
        break;
    case pryx::StartAction::Upload:
    case pryx::StartAction::None:
        for (const QString &path : cl.skipped)
            qCDebug(pryx::lcCore) << "SingleApplication: Ignoring macOS temporary screenshot:" << path;
        if (!cl.files.isEmpty())
            emit uploadFile(cl.files);
        else
            emit runnigSecondCopy();
        break;
    }
}
