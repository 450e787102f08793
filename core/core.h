#pragma once
// The application's central object: owns the long-lived objects, keeps the
// windows it creates and carries out every user command. QML sees it as "core".

#include <QColor>
#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QSystemTrayIcon>
#include <QTimer>

#include "capture/capturecommands.h"
#include "network/analyticsevent.h"
#include "network/autorization.h"

class QAudioRecorder;
class QClipboard;
class QMenu;

class SurfaceWidget;
class SurfacePonoramScreen;
class MainToolWidget;
class SettingWidget;
class AutorizationWidget;
class UploadWidget;
class LastUploadWidget;
class ProxyWidget;
class ErrorWidget;
class EditPonoramWidget;
class NetworkExchange;
class UploadModel;
class Updater;

class Core : public pryx::capture::CaptureCommands
{
    Q_OBJECT
    Q_PROPERTY(Autorization *account READ account NOTIFY accountChange)
    Q_PROPERTY(QString emptyString READ emptyString NOTIFY languageChanged)
    Q_PROPERTY(QString lastLink READ lastLink NOTIFY lastLinkChanged)

public:
    static Core *instance();
    ~Core() override;

    Autorization *account() const { return account_; }
    QObject *accountObject() const { return account_; }
    QString emptyString() const { return QString(); }
    QString lastLink() const { return lastLink_; }

    // Service addresses.
    QString authHost() const;
    QString apiHost() const;
    void setAuthHost(const QString &host);
    void setApiHost(const QString &host);
    QString filesApiUrl() const;
    QString uploadApiUrl() const;
    QString supportTicketsUrl() const;
    QString pingUrl() const;
    QString analyticsUrl() const;
    QString appTitle() const;

    // Objects made on demand.
    SurfaceWidget *surfaceWidget();
    SurfacePonoramScreen *surfacePonoramScreen();
    NetworkExchange *networkExchange() const { return networkExchange_; }
    Updater *updater() const { return updater_; }
    QSystemTrayIcon *trayIcon() const { return trayIcon_; }

    QString windowTitle() const { return windowTitle_; }
    QString lastCaptureFile() const { return lastCaptureFile_; }
    QString audioImageSource() const { return audioImageSource_; }
    void setAudioImageSource(const QString &path) { audioImageSource_ = path; }

    // Runs a capture command once the event loop runs, in place of the main
    // tool window that a start shows.
    void captureAtStart(void (Core::*command)());

signals:
    void accountChange(Autorization *account);
    void languageChanged();
    void lastLinkChanged(QString link);
    void deletedSurfaceScreen();
    void printModifiers(bool printMod);
    void closeProxyWindow();
    void checkConnectionFinished();

public slots:
    // Captures.
    void ponoramUpload();
    void ponoramUpload(QPixmap pxm);
    void ponoramEdit(QPixmap pxm);
    void screenUpload(int type = 0, bool quick = false, QPixmap pxm = QPixmap()) override;
    void screenSaveToDisk(QPixmap pxm = QPixmap()) override;
    void screenSaveToClipboard() override;
    void screenPostVK(QPixmap pxm = QPixmap()) override;
    void screenPostFacebook(QPixmap pxm = QPixmap()) override;
    void screenPostTwitter(QPixmap pxm = QPixmap()) override;
    void screenPostOdnoklassniki(QPixmap pxm = QPixmap()) override;
    void screenPostMail(QPixmap pxm = QPixmap()) override;
    void uploadData(QStringList files);
    void uploadDataZip(QStringList files);
    void fragmentScreen();
    void quickScreen();
    void fullScreen();
    void openSurfaceRect(int index, QRect rect, QPixmap pxm);
    void deleteSurfaceScreen();
    void deleteEditPonoram();
    void saveDialogFileChange(QString fileName);

    // Last link and clipboard.
    void openLastLink();
    void copyLastLink();
    void setLastLink(QString link);
    void dropLink(QString link);
    void openUrl(QString url);
    void openHistory();

    // Windows.
    void cancelUpload();
    void showReminderMessage();
    void showMainWindow();
    void showUploadPage();
    void showLastUploadPage();
    void showProxyWidget();
    void showErrorWidget(QString text);
    void internetNotAvailable(QString captureFile);
    void internetNotAvailableResult(int result);
    void captureNotUploaded(QString text, QString captureFile);
    void deleteSettingWindow();
    void showSetting();
    void registrationWidgetDestroy();
    void openHelp();

    // Voice comments.
    void openAudioImage(QString fileName);

    // Tray icon and the rest.
    void showTrayMessage(QString title, QString messae);
    void openTrayMenu();
    void activatedTrayIcon(QSystemTrayIcon::ActivationReason reason);
    void createTrayIcon();
    void exitApp();
    void unhookKeyboard();
    void updateHook();
    void clearTempPath();
    void deleteSaveDialog();
    void testSaveAudio();
    void startArrowAnimation();
    void stopArrowAnimation();

public:
    Q_INVOKABLE void screen(bool fullscreen, bool quick);
    Q_INVOKABLE void ponoramScreen();
    Q_INVOKABLE QColor getColorFromX(int x);
    Q_INVOKABLE void selectSaveScreenFolder();
    Q_INVOKABLE QString clipboardText();

    Q_INVOKABLE bool isCanRecordAudio();
    Q_INVOKABLE void recordAudio();
    Q_INVOKABLE void pauseRecordAudio();
    Q_INVOKABLE void uppauseRecordAudio();
    Q_INVOKABLE QString stopRecordAudio();
    Q_INVOKABLE bool isHaveAudioFile();
    Q_INVOKABLE QString getAudioFile();
    Q_INVOKABLE void clearAudioFile();

    Q_INVOKABLE bool checkAutorization();
    Q_INVOKABLE void checkFtpConnecrion(QString username, QString password, QString host,
                                        QString path, int port = 21);
    Q_INVOKABLE void checkSFTPConnecrion(QString username, QString password, QString host,
                                         QString path, int port = 22);
    Q_INVOKABLE UploadModel *uploadModel();
    Q_INVOKABLE QString licenseText();

    Q_INVOKABLE QString getPlatform();
    Q_INVOKABLE bool is_mac();
    Q_INVOKABLE QString appVersion();
    Q_INVOKABLE QString getWindowsManager();
    Q_INVOKABLE void addAnalyticsEvent(int category, int action, bool is_sendEvent = false,
                                       QString value = QString());
    Q_INVOKABLE void addAnalyticsEvent(AnalyticsEvent::AnalyticsEventCategory category,
                                       AnalyticsEvent::AnalyticsEventAction action,
                                       bool is_sendEvent = false, QString value = QString());

private:
    Core();
    // Starts a newer program left in the update folder; true when it runs.
    bool handOverUpdate();
    // True when no other instance of the program runs for this data folder.
    bool takeInstanceLock();
    static QString programFileName();
    // A single click on the tray icon, once no double click followed.
    void trayClicked();
    // Capture road (core/corecapture.cpp).
    enum class UploadCall { File, Files, Zip };
    void callUploadFrontEnd(UploadCall call, const QStringList &files, const QString &title = QString(),
                            int type = 0);
    void showLoginWindow();
    // Asks whether to save the capture of a failed upload; without such a
    // file, shows errorText instead.
    void offerCaptureSave(const QString &captureFile, const QString &question, const QString &errorText);
    // Soon after a capture has ended and its pictures are freed, the heap's
    // free pages go back to the system.
    void releaseCaptureMemory();

    QPixmap capturePixmap_;
    QSystemTrayIcon *trayIcon_ = nullptr;
    SurfaceWidget *surface_ = nullptr;
    SurfacePonoramScreen *panoramaScreen_ = nullptr;
    MainToolWidget *mainToolWidget_ = nullptr;
    SettingWidget *settingWidget_ = nullptr;
    AutorizationWidget *autorizationWidget_ = nullptr;
    UploadWidget *uploadWidget_ = nullptr;
    LastUploadWidget *lastUploadWidget_ = nullptr;
    ProxyWidget *proxyWidget_ = nullptr;
    // The open error window; a further error replaces its text.
    QPointer<ErrorWidget> errorWidget_;
    EditPonoramWidget *editPonoramWidget_ = nullptr;
    Autorization *account_ = nullptr;
    NetworkExchange *networkExchange_ = nullptr;
    QAudioRecorder *audioRecorder_ = nullptr;
    UploadModel *uploadModel_ = nullptr;
    QString windowTitle_;
    QClipboard *clipboard_ = nullptr;
    QString lastLink_;
    // Links given out, oldest first; a link that is dropped leaves the list.
    QStringList givenLinks_;
    QImage colorLine_;
    QString lastCaptureFile_;
    QString audioImageSource_;
    QMenu *trayMenu_ = nullptr;
    QTimer userInfoTimer_;
    QTimer trayClickTimer_;
    bool startWindowWanted_ = true;
    Updater *updater_ = nullptr;
    QTimer *heapRelease_ = nullptr;
};
