#pragma once
// The settings store: a key/value cache over the SQLite table "Settings",
// with encrypted values for credentials and change signals for QML.

#include <QHash>
#include <QSet>
#include <QObject>
#include <QString>
#include <QVariant>

class QTranslator;
class SqlDatabase;

class Setting : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QVariant fragmentScreen READ fragmentScreen WRITE setFragmentScreen NOTIFY valueChanged)
    Q_PROPERTY(QVariant quickFragmentScreen READ quickFragmentScreen WRITE setQuickFragmentScreen NOTIFY valueChanged)
    Q_PROPERTY(QVariant snapshotFull READ snapshotFull WRITE setSnapshotFull NOTIFY valueChanged)
    Q_PROPERTY(QVariant sendScreen READ sendScreen WRITE setSendScreen NOTIFY valueChanged)
    Q_PROPERTY(QVariant useProxy READ useProxy WRITE setUseProxy NOTIFY valueChanged)
    Q_PROPERTY(QVariant qualityImage READ qualityImage WRITE setQualityImage NOTIFY valueChanged)
    Q_PROPERTY(QVariant autostart READ autostart WRITE setAutostart NOTIFY valueChanged)
    Q_PROPERTY(QVariant showUpload READ showUpload WRITE setShowUpload NOTIFY valueChanged)
    Q_PROPERTY(QVariant showLastUpload READ showLastUpload WRITE setShowLastUpload NOTIFY valueChanged)
    Q_PROPERTY(QVariant userName READ userName NOTIFY valueChanged)
    Q_PROPERTY(QVariant userMail READ userMail NOTIFY valueChanged)
    Q_PROPERTY(QVariant userAvatar READ userAvatar NOTIFY valueChanged)
    Q_PROPERTY(QVariant quota READ quota NOTIFY valueChanged)
    Q_PROPERTY(QVariant usage READ usage NOTIFY valueChanged)
    Q_PROPERTY(QVariant useSaveScreen READ useSaveScreen WRITE setUseSaveScreen NOTIFY valueChanged)
    Q_PROPERTY(QVariant saveScreenFolder READ saveScreenFolder WRITE setSaveScreenFolder NOTIFY valueChanged)
    Q_PROPERTY(QVariant shortLink READ shortLink WRITE setShortLink NOTIFY valueChanged)
    Q_PROPERTY(QVariant language READ language WRITE setLanguage NOTIFY languageChanged)
    Q_PROPERTY(QVariant videoQuality READ videoQuality WRITE setVideoQuality NOTIFY valueChanged)
    Q_PROPERTY(QVariant currentHostUrl READ currentHostUrl CONSTANT)
    Q_PROPERTY(QVariant showActiveWindow READ showActiveWindow WRITE setShowActiveWindow NOTIFY valueChanged)
    Q_PROPERTY(QVariant showMagnifier READ showMagnifier WRITE setShowMagnifier NOTIFY valueChanged)
    Q_PROPERTY(QVariant showCloseSurfaceWindow READ showCloseSurfaceWindow WRITE setShowCloseSurfaceWindow NOTIFY valueChanged)
    Q_PROPERTY(QVariant saveGamePath READ saveGamePath WRITE setSaveGamePath NOTIFY valueChanged)
    Q_PROPERTY(QVariant visibleColorPanel READ visibleColorPanel WRITE setVisibleColorPanel NOTIFY valueChanged)
    Q_PROPERTY(int colorColorLine READ colorColorLine WRITE setColorColorLine NOTIFY valueChanged)
    Q_PROPERTY(QVariant widthColorLine READ widthColorLine WRITE setWidthColorLine NOTIFY valueChanged)
    Q_PROPERTY(QVariant typeUpload READ typeUpload WRITE setTypeUpload NOTIFY valueChanged)
    Q_PROPERTY(QVariant widthTextLine READ widthTextLine WRITE setWidthTextLine NOTIFY valueChanged)
    Q_PROPERTY(QVariant widthBlureLine READ widthBlureLine WRITE setWidthBlureLine NOTIFY valueChanged)
    Q_PROPERTY(QVariant widthBlackoutLine READ widthBlackoutLine WRITE setWidthBlackoutLine NOTIFY valueChanged)
    Q_PROPERTY(QVariant lastGraphTools READ lastGraphTools WRITE setLastGraphTools NOTIFY lastGraphToolsChanged)
    Q_PROPERTY(bool isUseMailClient READ isUseMailClient NOTIFY isUseMailClientChanged)

public:
    static Setting *instance();

    Q_INVOKABLE QVariant getValue(QString name, bool is_encrypt = false);
    Q_INVOKABLE void setValue(QString name, QVariant value, bool is_encrypt = false);
    Q_INVOKABLE bool isUseMailClient();
    Q_INVOKABLE void changeSaveGamePath();
    // A stored flag: empty, "0" and "false" are false, anything else true.
    bool flag(const QString &name);

    // One database read / one queued database write.
    QVariant getValueDB(QString name);
    void setValueDB(QString name, QVariant value);
    void loadTranslation();
    // Makes the session's autostart entry and "autostart" agree: a missing
    // entry is written from the setting, an existing one (which the desktop's
    // own settings may have switched) is taken into the setting.
    void syncAutostart();
    // The update feed's name of this build: "linux_" and the processor.
    static QString platformName();
    static QString platformNameFor(const QString &cpuArchitecture);

    // Writes every queued statement before returning (bounded by timeoutMs,
    // as long as the end of the application object allows a slow disk);
    // false when the database thread did not finish in time.
    bool flush(int timeoutMs = 30000);

    // The error text when the settings file had to be replaced or cannot be
    // written (empty when all is well); also announced by databaseError.
    QString databaseErrorText() const { return databaseError_; }
    SqlDatabase *database() const { return database_; }
    // Keys whose values are always stored encrypted, under the installation
    // key (not under the account token: they survive logins).
    static bool isAlwaysEncrypted(const QString &name);

    QVariant fragmentScreen();
    QVariant quickFragmentScreen();
    QVariant snapshotFull();
    QVariant sendScreen();
    QVariant useProxy();
    QVariant qualityImage();
    QVariant autostart();
    QVariant showUpload();
    QVariant showLastUpload();
    QVariant userName();
    QVariant userMail();
    QVariant userAvatar();
    QVariant quota();
    QVariant usage();
    QVariant useSaveScreen();
    QVariant saveScreenFolder();
    QVariant shortLink();
    QVariant language();
    QVariant videoQuality();
    QVariant currentHostUrl();
    QVariant showActiveWindow();
    QVariant showMagnifier();
    QVariant showCloseSurfaceWindow();
    QVariant saveGamePath();
    QVariant visibleColorPanel();
    int colorColorLine();
    QVariant widthColorLine();
    QVariant typeUpload();
    QVariant widthTextLine();
    QVariant widthBlureLine();
    QVariant widthBlackoutLine();
    QVariant lastGraphTools();

public slots:
    void changeValue(QString name, QVariant value);
    void resetDefault();
    void resetHootKey();

    void setFragmentScreen(QVariant value);
    void setQuickFragmentScreen(QVariant value);
    void setSnapshotFull(QVariant value);
    void setSendScreen(QVariant value);
    void setUseProxy(QVariant value);
    void setQualityImage(QVariant value);
    void setAutostart(QVariant value);
    void setShowUpload(QVariant value);
    void setShowLastUpload(QVariant value);
    void setUseSaveScreen(QVariant value);
    void setSaveScreenFolder(QVariant value);
    void setShortLink(QVariant value);
    void setLanguage(QVariant value);
    void setVideoQuality(QVariant value);
    void setShowActiveWindow(QVariant value);
    void setShowMagnifier(QVariant value);
    void setShowCloseSurfaceWindow(QVariant value);
    void setSaveGamePath(QVariant value);
    void setVisibleColorPanel(QVariant value);
    void setColorColorLine(int value);
    void setWidthColorLine(QVariant value);
    void setTypeUpload(QVariant value);
    void setWidthTextLine(QVariant value);
    void setWidthBlureLine(QVariant value);
    void setWidthBlackoutLine(QVariant value);
    void setLastGraphTools(QVariant value);

signals:
    void valueChanged(QString name, QVariant value);
    void userAvatarChanges(QString ava);
    void userNameChanges(QString name);
    void languageChanged();
    void lastGraphToolsChanged(QVariant value);
    void isUseMailClientChanged();
    void keyFragmentScreenChanged();
    void keySnapshotScreenChanged();
    void keyQuickFragmentScreenChanged();
    void databaseError(QString message);

private:
    static QVariant nullDefault(const QString &name);
    // What a key reads as while the database cannot answer.
    static QVariant fallbackValue(const QString &name);
    QVariant readDB(const QString &name, bool *answered);
    // The plain text of an encrypted value as the file holds it; *rewrite is
    // set when it was stored in an older form.
    QString decryptStored(const QString &name, const QString &stored, bool *rewrite);
    // The random key of this installation, kept in its own file of the data
    // folder; made on first need when create is true (else empty when none).
    QByteArray valueKey(bool create);
    // Stores the values the store adds at start where the file has none.
    void writeStartValues();
    void databaseAnswersAgain();
    Setting();
    void reportDatabaseError(const QString &message);

    SqlDatabase *database_ = nullptr;
    QHash<QString, QVariant> cache_;
    // Keys the database does not hold.
    QSet<QString> absent_;
    QTranslator *translator_ = nullptr;
    // Qt's own texts (dialogs, standard buttons) in the program's language.
    QTranslator *qtTranslator_ = nullptr;
    void loadQtTranslation(const QString &language);
    QString databaseError_;
    bool startValuesPending_ = false;
    bool stallReported_ = false;
    bool followingAutostart_ = false;
    QByteArray valueKey_;
};
