#include <QtTest>

#include "core/base/setting.h"
#include "platform/mailclient.h"
#include "platform/registry.h"

class TestPlatform : public QObject
{
    Q_OBJECT
private:
    QString config() { return qEnvironmentVariable("XDG_CONFIG_HOME"); }
    QString data() { return qEnvironmentVariable("XDG_DATA_HOME"); }
    static void write(const QString &path, const QByteArray &text)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }
    void install(const QString &id)
    {
        write(data() + "/applications/" + id, "[Desktop Entry]\nType=Application\nName=M\nExec=m %u\n");
    }

private slots:
    void init()
    {
        // Only this test's folders count.
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(config() + "/sys"));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(data() + "/sys"));
        qputenv("XDG_CURRENT_DESKTOP", "X-Test:GNOME");
        QDir(config()).removeRecursively();
        QDir(data()).removeRecursively();
    }

    void noListNoClient()
    {
        QCOMPARE(pryx::platform::defaultMailClient(), QString());
        QVERIFY(!Setting::instance()->isUseMailClient());
    }

    void userDefault()
    {
        install("mail.desktop");
        write(config() + "/mimeapps.list",
              "[Added Associations]\nx-scheme-handler/mailto=other.desktop;\n"
              "[Default Applications]\ntext/html=web.desktop\nx-scheme-handler/mailto=mail.desktop;\n");
        QCOMPARE(pryx::platform::defaultMailClient(), QString("mail.desktop"));
        QVERIFY(Setting::instance()->isUseMailClient());
    }

    void firstInstalledEntryWins()
    {
        install("second.desktop");
        write(config() + "/mimeapps.list",
              "[Default Applications]\nx-scheme-handler/mailto=gone.desktop;second.desktop;\n");
        QCOMPARE(pryx::platform::defaultMailClient(), QString("second.desktop"));
    }

    void desktopSpecificListComesFirst()
    {
        install("a.desktop");
        install("b.desktop");
        write(config() + "/mimeapps.list", "[Default Applications]\nx-scheme-handler/mailto=a.desktop\n");
        write(config() + "/gnome-mimeapps.list", "[Default Applications]\nx-scheme-handler/mailto=b.desktop\n");
        QCOMPARE(pryx::platform::defaultMailClient(), QString("b.desktop"));
    }

    void systemListAndDataDirs()
    {
        write(data() + "/sys/applications/sys.desktop", "[Desktop Entry]\nType=Application\n");
        write(config() + "/sys/mimeapps.list", "[Default Applications]\nx-scheme-handler/mailto=sys.desktop\n");
        QCOMPARE(pryx::platform::defaultMailClient(), QString("sys.desktop"));
    }

    void onlyAddedAssociationIsNoDefault()
    {
        install("mail.desktop");
        write(config() + "/mimeapps.list", "[Added Associations]\nx-scheme-handler/mailto=mail.desktop;\n");
        QCOMPARE(pryx::platform::defaultMailClient(), QString());
    }

    void registryPaths_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("iniKey");
        QTest::newRow("trailing backslash") << QString("HKEY_CURRENT_USER\\Software\\Pryx\\") << QString("game_tmp")
                                            << QString("Pryx/game_tmp");
        QTest::newRow("no trailing") << QString("HKEY_CURRENT_USER\\Software\\Pryx") << QString("cid")
                                     << QString("Pryx/cid");
        QTest::newRow("default value") << QString("HKEY_LOCAL_MACHINE\\SOFTWARE\\Clients\\Mail") << QString()
                                       << QString("HKEY_LOCAL_MACHINE/SOFTWARE/Clients/Mail/Default");
    }
    void registryPaths()
    {
        QFETCH(QString, path);
        QFETCH(QString, key);
        QFETCH(QString, iniKey);
        QVERIFY(pryx::platform::setRegistryValue(path, key, "v"));
        QCOMPARE(pryx::platform::registryValue(path, key).toString(), QString("v"));
        const QString file = pryx::platform::registryFilePath();
        QCOMPARE(file, config() + "/Pryx/registry.ini");
        QCOMPARE(QSettings(file, QSettings::IniFormat).value(iniKey).toString(), QString("v"));
        // No file or folder named after the registry path.
        QCOMPARE(QDir(config()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"Pryx"});
        QVERIFY(pryx::platform::removeRegistryValue(path, key));
        QVERIFY(pryx::platform::registryValue(path, key).isNull());
    }

    // The program's own values stand plainly under [Pryx].
    void registryFileLayout()
    {
        QVERIFY(pryx::platform::setRegistryValue("HKEY_CURRENT_USER\\Software\\Pryx", "language", "ru"));
        QVERIFY(pryx::platform::setRegistryValue("HKEY_CURRENT_USER\\Software\\Pryx\\", "game_tmp", "/g"));
        QFile f(pryx::platform::registryFilePath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("[Pryx]\ngame_tmp=/g\nlanguage=ru\n"));
    }

    // Files of earlier versions kept the whole path below [HKEY_CURRENT_USER]:
    // still read; a write moves the value to the plain layout.
    void formerLayoutIsRead()
    {
        write(config() + "/Pryx/registry.ini",
              "[HKEY_CURRENT_USER]\nSoftware\\Pryx\\language=en\nSoftware\\Pryx\\cid=abc\n");
        const QString path = "HKEY_CURRENT_USER\\Software\\Pryx";
        QCOMPARE(pryx::platform::registryValue(path, "language").toString(), QString("en"));
        QCOMPARE(pryx::platform::registryValue(path, "cid").toString(), QString("abc"));
        QVERIFY(pryx::platform::registryValue(path, "game_tmp").isNull());

        QVERIFY(pryx::platform::setRegistryValue(path, "language", QString()));
        QCOMPARE(pryx::platform::registryValue(path, "language").toString(), QString());
        QFile f(pryx::platform::registryFilePath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        QVERIFY2(!text.contains("language=en"), text.constData());
        QVERIFY2(text.contains("[Pryx]\nlanguage=\n"), text.constData());
        QVERIFY2(text.contains("Software\\Pryx\\cid=abc"), text.constData());   // untouched values stay

        QVERIFY(pryx::platform::removeRegistryValue(path, "cid"));
        QVERIFY(pryx::platform::registryValue(path, "cid").isNull());
    }
};

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
