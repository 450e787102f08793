#pragma once
// One running program per data folder. The first start holds the lock file
// and listens on a local socket beside it; a later start hands its command
// line to that one over the socket and ends.
//
// A message is "running_again" (a start with nothing to do) or the
// arguments of the later start, program path first, joined by ";". Inside
// an argument "\" is written "\\" and ";" is written "\;"; file arguments
// are absolute.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;
class QLocalSocket;
class QLockFile;

namespace pryx {
// The data folder's "pryx.lock", held by the first instance until it ends.
QLockFile *instanceLock();
} // namespace pryx

class SingleApplication : public QObject
{
    Q_OBJECT

public:
    enum Role {
        First,        // holds the lock; listens for later starts
        HandedOver,   // the running instance took the command line
        Alone         // another instance holds the lock but does not answer
    };

    explicit SingleApplication(QObject *parent = nullptr);
    ~SingleApplication() override;

    // The guard of this process, while one exists.
    static SingleApplication *instance();
    static QString socketPath();

    // Becomes the first instance, or hands arguments (the application's
    // argument list) to the one that runs. A lock holder that does not
    // answer within waitMs is left alone.
    Role start(const QStringList &arguments, int waitMs = 5000);

    // Messages are taken from here on; until then later starts wait in the
    // socket's queue (the receivers of the signals may not exist yet).
    void acceptMessages();
    bool listen();
    void stopListening();
    bool isListening() const;

    static QByteArray message(const QStringList &arguments, const QString &workingDir);
    static QStringList splitMessage(const QByteArray &message);
    // Sends one message to the running instance; false when none answers.
    static bool send(const QByteArray &message, int timeoutMs = 5000);

signals:
    void runnigSecondCopy();
    void uploadFile(QStringList files);
    void uploadFileInZip(QStringList files);
    void openAudioImageFile(QString file);
    void fullScreen();
    void quickScreen();
    void screen();

public slots:
    void newConnection();
    void dataReady();

private:
    void read(QLocalSocket *socket);
    void finish(QLocalSocket *socket);
    void handle(const QByteArray &message);

    QLocalServer *server_ = nullptr;
    bool accepting_ = false;
};
