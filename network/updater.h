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

class QNetworkAccessManager;
class QNetworkReply;
class QNetworkRequest;

// Unpacks a zip archive into folder (created when missing). Entry names are
// read in IBM866 unless flagged UTF-8. Every entry is written to a staging
// folder next to folder first and moved into place only when the whole
// archive was written; a name with "..", an absolute name or a link leading
// out of the folder refuses the whole archive. Unix permissions of the
// entries are kept. False (and folder untouched) on any failure.
bool extract(const QString &archivePath, const QString &folder);

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

    // Installs a downloaded archive: MD5 check, unpacking into the update
    // folder, and for a critical update the updater program's start.
    void installArchive(const QByteArray &body);

    // The archive of the updater program (normally from the resources).
    void setUpdaterArchive(const QString &path) { updaterArchive_ = path; }

    bool critical() const { return critical_; }
    QString link() const { return link_; }
    QString md5() const { return md5_; }

    static QString downloadDirPath();  // data folder + "update"
    static QString archivePath();      // update folder + "update.zip"
    static QString updateDirPath();    // data folder + "update/"
    static QString updaterProgramPath();

signals:
    void error(QString message);
    // A critical update was unpacked but the updater did not start: the
    // program keeps running.
    void criticalUpdateFailed(QString message);

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

    QNetworkAccessManager *manager_ = nullptr;
    QList<Step> queue_;
    bool critical_ = false;
    QString link_;
    QString md5_;

    QString updaterArchive_;
    QTimer recheckTimer_;
};
