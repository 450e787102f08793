#pragma once
// Self-update: asks the update host for the current version, downloads a
// newer program, checks its MD5 sum and unpacks it into the update folder.
// Core hands a non-critical update over at the next start; a critical one
// starts the separate updater program and quits.

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QTimer>

class QFile;
class QNetworkAccessManager;
class QNetworkReply;
class QNetworkRequest;

// Largest update download, and largest size an update may unpack to.
constexpr qint64 kMaxUpdateBytes = qint64(1) << 30;

// Unpacks a zip archive into folder (created when missing). Entry names are
// read in IBM866 unless flagged UTF-8. Every entry is written to a staging
// folder next to folder first and moved into place only when the whole
// archive was written; a name with "..", an absolute name, a link leading
// out of the folder or a total unpacked size above maxBytes refuses the
// whole archive. Unix permissions of the entries are kept. False (and folder
// untouched) on any failure.
bool extract(const QString &archivePath, const QString &folder, qint64 maxBytes = kMaxUpdateBytes);

class Updater : public QObject
{
    Q_OBJECT
public:
    explicit Updater(QObject *parent = nullptr);
    ~Updater() override;

    // "2.0" is newer than "1.9.9"; a text that is not dot-separated numbers
    // is never newer nor counts as a known local version.
    static bool isNewerVersion(const QString &remote, const QString &local);

    // The check now and once more when the recheck timer (single shot,
    // 3 hours) runs out.
    void startChecks();
    QTimer *recheckTimer() { return &recheckTimer_; }

    // Installs the archive downloaded to archivePath(): MD5 check, unpacking
    // into the update folder, and for a critical update the updater
    // program's start.
    void installArchive();

    // Largest download and unpacked size (kMaxUpdateBytes unless set).
    void setSizeLimit(qint64 bytes) { sizeLimit_ = bytes; }
    qint64 sizeLimit() const { return sizeLimit_; }

    // Removes what an interrupted run left: unpacking staging folders, a
    // partial download, copies of an earlier hand-over in the temporary
    // folder and half-written copies of programFiles (the names of the
    // program's own files) in its folder. Only the first instance may call it.
    static void sweepLeftovers(const QStringList &programFiles);

    // The version of the program unpacked in the update folder (empty when
    // none is known).
    static QString pendingVersion();
    // True when the program may replace its own files (its folder is writable).
    static bool canReplaceProgram();
    // Remembers that version could not be installed because the program's
    // folder is not writable; true the first time for that version, so the
    // user is told once.
    static bool noteUnwritable(const QString &version);
    // Remembers that version was installed but did not start; it is not
    // downloaded again.
    static void noteFailed(const QString &version);

    // The archive of the updater program (normally from the resources).
    void setUpdaterArchive(const QString &path) { updaterArchive_ = path; }

    bool critical() const { return critical_; }
    QString link() const { return link_; }
    QString md5() const { return md5_; }

    static QString downloadDirPath();  // data folder + "update"
    static QString archivePath();      // update folder + "update.zip"
    static QString updateDirPath();    // data folder + "update/"
    static QString versionFilePath();  // update folder + ".version"
    static QString updaterProgramPath();

signals:
    void error(QString message);
    // A critical update was unpacked but the updater did not start: the
    // program keeps running.
    void criticalUpdateFailed(QString message);
    // A newer version exists but cannot be installed here (shown once).
    void cannotInstall(QString message);

public slots:
    void startUpdate();
    void networkManagerFinished(QNetworkReply *reply);
    void startDownloadUpdate(QString link);
    void checkUpdate(QString nVersion, bool critical, bool license, QString link, QString md5);
    void stateChanged(QProcess::ProcessState state);
    void dialogResult(int result);

private:
    enum Step { VersionStep };

    void requestVersion();
    void checkQueue();
    void runHead();
    void readVersionReply(const QByteArray &body);
    void startCriticalUpdate();
    void prepareRequest(QNetworkRequest &request) const;
    void downloadData();
    void refuseDownload(const QString &message);
    void finishDownload(QNetworkReply *reply);
    void dropDownload();

    QNetworkAccessManager *manager_ = nullptr;
    QList<Step> queue_;
    bool critical_ = false;
    QString link_;
    QString md5_;
    QString version_;

    qint64 sizeLimit_ = kMaxUpdateBytes;
    QNetworkReply *download_ = nullptr;
    QFile *downloadFile_ = nullptr;
    qint64 downloaded_ = 0;
    QString downloadError_;

    QString updaterArchive_;
    QTimer recheckTimer_;
};
