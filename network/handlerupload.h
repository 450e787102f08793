#pragma once
// One upload job: files going to one target, with progress, link, end and
// cancellation. Speaks the web service's protocol itself; other targets go
// to worker threads.

#include "network/networkreadreply.h"

#include <QFutureWatcher>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QUrl>

#include <memory>

class QNetworkReply;
class QNetworkRequest;
class QTimer;
class UploadWorker;
class NetworkAccessManager;
struct ArchiveTask;

class HandlerUpload : public QObject
{
    Q_OBJECT
public:
    enum TargetUpload { TargetService = 0, TargetFtp = 1, TargetSftp = 2, TargetDropbox = 3, TargetGoogle = 4 };
    Q_ENUM(TargetUpload)
    enum TypeUpload { UploadScreen = 0, UploadFiles = 1 };
    Q_ENUM(TypeUpload)
    enum TypeAfterAction {
        AfterNone = 0, AfterFacebook = 1, AfterOdnoklassniki = 2, AfterVk = 3, AfterTwitter = 4, AfterMail = 5
    };
    Q_ENUM(TypeAfterAction)

    // Connection settings of an FTP or SFTP job.
    struct ServerParams {
        QString user, password, host, path, baseUrl;
        int port = 0;
    };

    HandlerUpload(TargetUpload target, QObject *parent);
    ~HandlerUpload() override;

    void setArchive(bool archive) { archive_ = archive; }
    void setDescription(const QString &description) { description_ = description.isNull() ? QStringLiteral("") : description; }
    void uploadData(QStringList files, TypeAfterAction after, TypeUpload type);

    Q_INVOKABLE qint64 totalSize() const { return total_; }
    Q_INVOKABLE qint64 uploadedSize() const { return uploaded_; }
    bool isArchiving() const { return archiving_; }
    TargetUpload target() const { return target_; }
    QString link() const { return alternateLink_; }
    // The link this job put out (readyLink or readyLinkAfterUpload), if any.
    QString announcedLink() const { return announcedLink_; }
    // The capture a screen upload sends; empty for a files upload.
    QString captureFile() const { return captureFile_; }
    // Ended by uploadComplete (not stopped, not failed).
    bool isCompleted() const { return ended_ && !failed_ && !stopped_; }

    static QString errorText(int code);
    static QUrl shareUrl(int afterAction, const QString &link);
    // The JSON body of the create request ("" for no members).
    static QByteArray createBody(const QString &description, int fileCount, bool archive, TypeUpload type);
    static QByteArray singleFileDisposition(const QString &fileName);
    static QByteArray severalFilesDisposition(const QString &fileName);
    static ServerParams serverParams(TargetUpload target);

signals:
    void startUpload();
    void uploadProgress(qlonglong sent, qlonglong total);
    void readyLink(QString link);
    void readyLinkAfterUpload(QString link);
    void uploadComplete(HandlerUpload *job);
    void uploadStoped(HandlerUpload *job);
    // captureFile: the capture a screen upload sends, empty for a files
    // upload; only a capture can be saved instead.
    void internetNotAvailable(QString captureFile);
    void error(QString text);
    void sendedFile();
    // A screen upload failed for another reason than a missing network;
    // sent instead of error(), so that the capture can be saved.
    void captureNotUploaded(QString text, QString captureFile);
    // The job ended in a failure it has reported (error, internetNotAvailable
    // or captureNotUploaded); it leaves the lists like a stopped job.
    void uploadFailed(HandlerUpload *job);

public slots:
    void stopUpload();
    void setArchiveProgress(qlonglong prog, qlonglong total);
    void setArchiveChange(bool archiving);
    void initFinished(QNetworkReply *reply);
    void uploadFinished(QNetworkReply *reply);
    void calcUploadProgress(qlonglong sent, qlonglong total);
    void init();
    void initPryxUpload();
    void sendFile();
    void uploadComplete();
    void uploadProg(qlonglong sent, qlonglong total);
    void checkFeaturesError();

private slots:
    void archiveEnded();
    void archivePoll();
    void putEnded(int code, int status, QByteArray detail);
    void workerError(const QString &text);
    void rememberLink(const QString &link);

private:
    NetworkAccessManager *newManager(const char *finishedSlot);
    void watch(QNetworkReply *reply);
    int replyError(QNetworkReply *reply) const;
    bool sendOne(bool single);
    // A file's transfer has ended: a failure ends the upload, otherwise the
    // next file goes, and the last one to end completes it.
    void fileEnded(int code, int status);
    void putThroughCurl(const QNetworkRequest &request, const QString &path);
    void startArchive();
    void fail(const QString &text);
    void failOffline();
    void abortRequests();
    void finishStopped();
    void finishFailed();
    bool fallsBackToService();
    void shareLink();

    bool archive_ = false;
    bool archiving_ = false;
    bool stopped_ = false;
    bool failed_ = false;          // a request failed (a fallback may start again)
    bool ended_ = false;           // uploadComplete or uploadStoped was emitted
    bool stopPending_ = false;     // stopped while a task or thread still runs
    QStringList files_;
    QString id_, alternateLink_, selfLink_;
    QMap<QObject *, qint64> progress_;
    QSet<QObject *> running_;
    qint64 total_ = 0;
    qint64 uploaded_ = 0;
    NetworkReadReply reader_;
    QString description_;
    QString captureFile_;
    QString announcedLink_;
    TypeUpload typeUpload_ = UploadFiles;
    TypeAfterAction afterAction_ = AfterNone;
    TargetUpload target_;
    QList<QObject *> managers_;

    QString zipPath_;              // the archive this job made, removed with the job
    std::shared_ptr<ArchiveTask> archiveTask_;
    QFutureWatcher<bool> *archiveWatcher_ = nullptr;
    QTimer *archiveTimer_ = nullptr;
    QPointer<UploadWorker> worker_;  // FTP, SFTP or Dropbox thread
};

