#pragma once
// One Dropbox upload job's worker thread: zips the files when needed,
// uploads the file to the Dropbox root inside its own event loop, asks for a
// shared link and hands it to the job after the transfer. The thread's end
// completes the job unless it reported an error.

#include <QMutex>
#include <QPointer>

#include <atomic>
#include <functional>

#include "network/dropboxauth.h"
#include "network/uploadworker.h"

class QEventLoop;

class HandleDropboxUpload : public UploadWorker
{
    Q_OBJECT
public:
    explicit HandleDropboxUpload(QObject *parent = nullptr);
    // Stops a running transfer and waits for the thread.
    ~HandleDropboxUpload() override;

    // The account whose token the next upload uses (read on the GUI thread
    // when upload is called).
    void setAccount(DropboxAuth *account) { account_ = account; }
    DropboxAuth *account() const { return account_; }

    // Core's Dropbox account object (made on first use); GUI thread. Tests
    // may replace the lookup.
    static DropboxAuth *coreAccount();
    static void setAccountLookup(std::function<DropboxAuth *()> lookup);

    // Copies the files, the flags and the account's token, then starts the
    // thread (GUI thread).
    void upload(QStringList files, bool archive, int afterAction);
    // Takes Core's account (on the GUI thread, so the thread never makes it)
    // and uploads.
    void startJob(const QStringList &files, bool archive, int afterAction) override;
    // Ends a running transfer; thread-safe. A stopped job emits no error and
    // no link.
    void cancel() override;

    QString link() const { return link_; }

public slots:
    void uploadProg(qlonglong upload, qlonglong total);
    void sharedLinkReceived(QString link);

protected:
    void run() override;

private:
    void fail(const QString &text);
    void ended();

    QStringList files_;
    qint64 maxTotal_ = 0;
    qint64 maxSent_ = 0;
    int afterAction_ = 0;
    QString link_;
    bool archive_ = false;

    QPointer<DropboxAuth> account_;
    QString token_;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> failed_{false};
    QMutex loopMutex_;
    QEventLoop *loop_ = nullptr;
};
