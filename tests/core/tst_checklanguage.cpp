// The interface language chosen at start-up.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

#include <cstdio>
#include <unistd.h>

#include "core/base/localregistry.h"
#include "core/base/setting.h"
#include "core/startup.h"

class TestCheckLanguage : public QObject
{
    Q_OBJECT

private slots:
    void table_data()
    {
        QTest::addColumn<QString>("registry");   // installer's choice
        QTest::addColumn<QString>("stored");     // setting "language" before
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("language");   // setting "language" after

        QTest::newRow("installer en over ru locale") << "en" << "" << "ru_RU.UTF-8" << "en";
        QTest::newRow("installer ru over stored en") << "ru" << "en" << "en_US.UTF-8" << "ru";
        QTest::newRow("no choice, ru locale") << "" << "" << "ru_RU.UTF-8" << "ru";
        QTest::newRow("no choice, ru in upper case") << "" << "" << "RU_RU" << "ru";
        QTest::newRow("no choice, composite locale with ru")
            << "" << "" << "LC_CTYPE=en_US.UTF-8;LC_MESSAGES=ru_RU.UTF-8" << "ru";
        QTest::newRow("no choice, en locale") << "" << "" << "en_US.UTF-8" << "en";
        QTest::newRow("no choice, C locale") << "" << "" << "C" << "en";
        QTest::newRow("no choice, de locale") << "" << "" << "de_DE.UTF-8" << "en";
        QTest::newRow("stored ru kept") << "" << "ru" << "en_US.UTF-8" << "ru";
        QTest::newRow("stored en kept") << "" << "en" << "ru_RU.UTF-8" << "en";
    }
    void table()
    {
        QFETCH(QString, registry);
        QFETCH(QString, stored);
        QFETCH(QString, locale);
        QFETCH(QString, language);

        QFile::remove(pryx::localRegistryPath());
        if (!registry.isEmpty())
            pryx::setLocalRegistryValue("language", registry);
        Setting::instance()->setValue("language", stored);

        QSignalSpy reloads(Setting::instance(), SIGNAL(languageChanged()));
        checkLanguage(locale);

        QCOMPARE(Setting::instance()->getValue("language").toString(), language);
        // The installer's choice is taken once.
        QCOMPARE(pryx::localRegistryValue("language", QString()).toString(), QString());
        if (!registry.isEmpty())
            QVERIFY(QFile::exists(pryx::localRegistryPath()));
        // The translation is loaded again in every case.
        QVERIFY(reloads.count() >= 1);
    }

    // The file as an installer writes it: the documented layout, or the
    // one of earlier versions. The choice is taken once.
    void installerFile_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("plain") << QByteArray("[Pryx]\nlanguage=en\n");
        QTest::newRow("plain, other values beside") << QByteArray("[Pryx]\ncid=abc\nlanguage=en\n");
        QTest::newRow("earlier versions") << QByteArray("[HKEY_CURRENT_USER]\nSoftware\\Pryx\\language=en\n");
    }
    void installerFile()
    {
        QFETCH(QByteArray, text);
        const QString path = pryx::localRegistryPath();
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
        f.close();
        Setting::instance()->setValue("language", "ru");

        checkLanguage("ru_RU.UTF-8");
        QCOMPARE(Setting::instance()->getValue("language").toString(), QString("en"));

        // The next start keeps what the user chose since.
        Setting::instance()->setValue("language", "ru");
        checkLanguage("ru_RU.UTF-8");
        QCOMPARE(Setting::instance()->getValue("language").toString(), QString("ru"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY2(!f.readAll().contains("language=en"), "the choice is still in the file");
    }

    // The locale the process was started with is the one consulted.
    void processLocaleFromEnvironment()
    {
        qputenv("LC_ALL", "ru_RU.UTF-8");
        QVERIFY(pryx::initProcessLocale().toLower().contains("ru"));
        QFile::remove(pryx::localRegistryPath());
        Setting::instance()->setValue("language", QString());
        checkLanguage();
        QCOMPARE(Setting::instance()->getValue("language").toString(), QString("ru"));
        qunsetenv("LC_ALL");
    }
};

// Like the program, the test ends without tearing down the settings
// singleton and its database thread.
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    TestCheckLanguage test;
    QTEST_SET_MAIN_SOURCE_PATH
    const int rc = QTest::qExec(&test, argc, argv);
    Setting::instance()->flush();
    fflush(stdout);
    fflush(stderr);
    _exit(rc);
}
#include "tst_checklanguage.moc"
