#pragma once
// Runs one FTP or SFTP upload thread in a test and records what it emits,
// and on which thread.

#include "network/handleftpupload.h"
#include "network/handlesftpupload.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QtTest>

#include <memory>

namespace pryx::test {

struct UploadJobProbe : QObject {
    bool sftp = false;
    HandleFTPUpload *ftp = nullptr;
    HandleSFTPUpload *sftpJob = nullptr;
    QStringList events;           // "link", "progress", "archive on", ... in order
    QStringList links;
    QStringList errors;
    int completes = 0;
    QList<QPair<qint64, qint64>> progress;
    QList<qint64> archivePercents;
    bool offGuiThread = false;    // a signal reached us on another thread

    explicit UploadJobProbe(bool isSftp) : sftp(isSftp)
    {
        if (sftp) {
            sftpJob = new HandleSFTPUpload(this);
            wire(sftpJob);
        } else {
            ftp = new HandleFTPUpload(this);
            wire(ftp);
        }
    }

    QThread *thread() const { return sftp ? static_cast<QThread *>(sftpJob) : ftp; }

    void upload(const QStringList &files, const QString &user, const QString &password,
                const QString &host, const QString &path, int port, const QString &baseUrl,
                bool archive, int after = 0)
    {
        if (sftp)
            sftpJob->upload(files, user, password, host, path, port, baseUrl, archive,
                            HandleSFTPUpload::TypeAfterAction(after));
        else
            ftp->upload(files, user, password, host, path, port, baseUrl, archive,
                        HandleFTPUpload::TypeAfterAction(after));
    }
    void cancel() { sftp ? sftpJob->cancel() : ftp->cancel(); }
    qint64 sent() const { return sftp ? sftpJob->sentBytes() : ftp->sentBytes(); }

    bool ended() const { return completes > 0 || !errors.isEmpty(); }
    // Waits for complete or error and for the thread's end.
    bool waitEnded(int ms = 30000)
    {
        QElapsedTimer t;
        t.start();
        while (!ended() && t.elapsed() < ms)
            QTest::qWait(20);
        while (thread()->isRunning() && t.elapsed() < ms)
            QTest::qWait(20);
        QTest::qWait(50);   // let queued signals arrive
        return ended() && !thread()->isRunning();
    }

private:
    void onGui()
    {
        if (QThread::currentThread() != QCoreApplication::instance()->thread())
            offGuiThread = true;
    }
    template <class W> void wire(W *w)
    {
        connect(w, &W::readyLink, this, [this](QString l) { onGui(); links << l; events << "link"; });
        connect(w, &W::error, this, [this](QString e) { onGui(); errors << e; events << "error"; });
        connect(w, &W::complete, this, [this] { onGui(); ++completes; events << "complete"; });
        connect(w, &W::uploadProgress, this, [this](qlonglong s, qlonglong t) {
            onGui();
            progress << qMakePair(qint64(s), qint64(t));
            if (events.isEmpty() || events.last() != "progress")
                events << "progress";
        });
        connect(w, &W::archiveChange, this, [this](bool on) {
            onGui();
            events << (on ? "archive on" : "archive off");
        });
        connect(w, &W::archiveProgress, this, [this](qlonglong p, qlonglong) {
            onGui();
            archivePercents << p;
        });
    }
};

} // namespace pryx::test
