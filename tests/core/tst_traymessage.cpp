// Core under a real tray host: a critical update whose updater does not
// start keeps the program running and says so in a tray message.

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QLabel>
#include <QSystemTrayIcon>
#include <QtTest>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

#include "core/base/paths.h"
#include "core/base/setting.h"
#include "core/core.h"
#include "network/updater.h"
#include "support/standin.h"
#include "support/testsupport.h"
#include "support/xtray.h"

namespace {

pryx::test::TrayDisplay *g_display = nullptr;

QString feedDir() { return pryx::test::testRoot() + "/feed"; }

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// An update archive holding one program.
QByteArray updateArchive()
{
    const QString path = pryx::test::testRoot() + "/update.zip";
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdCreate))
        return QByteArray();
    QuaZipNewInfo info(QStringLiteral("pryx"));
    info.externalAttr = quint32(0100755) << 16;
    QuaZipFile file(&zip);
    if (!file.open(QIODevice::WriteOnly, info))
        return QByteArray();
    file.write("#!/bin/sh\necho new\n");
    file.close();
    zip.close();
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The texts of the tray messages on screen.
QStringList shownMessages()
{
    QStringList out;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (!w->inherits("QBalloonTip") || !w->isVisible())
            continue;
        QStringList texts;
        for (QLabel *label : w->findChildren<QLabel *>())
            texts << label->text();
        out << texts.join('|');
    }
    return out;
}

} // namespace

class TestTrayMessage : public QObject
{
    Q_OBJECT
    pryx::test::StandIn standIn_;

private slots:
    void initTestCase()
    {
        QVERIFY(QDir().mkpath(feedDir()));
        qputenv("PRYX_UPDATE_ROUTES_DIR", feedDir().toLocal8Bit());
        standIn_.addRouteFile(pryx::test::supportDir() + "/updateroutes.py");
        QVERIFY2(standIn_.start(), qPrintable(standIn_.error()));
        qputenv("PRYX_EXTRA_CA_FILE", standIn_.caFile().toLocal8Bit());
        qputenv("PRYX_UPDATE_HOST", standIn_.host().toLatin1());
    }

    void criticalUpdateFailureIsShownInTheTray()
    {
        // No feed yet: the start-up check ends with an error.
        Core *core = Core::instance();
        auto *updater = core->findChild<Updater *>();
        QVERIFY(updater);
        updater->setUpdaterArchive(pryx::test::testRoot() + "/no-updater.zip");
        QSignalSpy failed(updater, &Updater::criticalUpdateFailed);
        QSignalSpy errors(updater, &Updater::error);
        const QString instance = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
        QVERIFY2(g_display->waitForTrayIcons(instance, 1, 20000), "the tray icon was not embedded");
        QTRY_COMPARE_WITH_TIMEOUT(errors.count(), 1, 20000);

        // Now a critical update that unpacks but whose updater cannot start.
        const QByteArray archive = updateArchive();
        QVERIFY(!archive.isEmpty());
        const QString md5 =
            QString::fromLatin1(QCryptographicHash::hash(archive, QCryptographicHash::Md5).toHex());
        const QString link = "https://" + standIn_.host() + "/files/u.zip";
        QVERIFY(writeFile(feedDir() + "/u.zip", archive));
        QVERIFY(writeFile(feedDir() + "/feed-" + Setting::platformName() + ".xml",
                          QStringLiteral("<?xml version=\"1.0\"?>\n<server><update error=\"0\">"
                                         "<version critical=\"1\" license=\"0\">9.9</version>"
                                         "<link>%1</link><md5>%2</md5></update></server>\n")
                              .arg(link, md5)
                              .toUtf8()));
        errors.clear();
        updater->startUpdate();

        QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 1, 20000);
        QVERIFY2(errors.isEmpty(), errors.isEmpty() ? "" : qPrintable(errors.first().first().toString()));
        QVERIFY(QFileInfo::exists(pryx::updatePath() + "pryx"));   // unpacked, not started
        const QString message = failed.first().first().toString();
        QTRY_VERIFY_WITH_TIMEOUT(!shownMessages().isEmpty(), 5000);
        const QStringList shown = shownMessages();
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown.first().contains(message) && shown.first().contains("Pryx"),
                 qPrintable(shown.first()));
    }
};

int main(int argc, char **argv)
{
    pryx::test::TrayDisplay display;
    if (!display.start()) {
        fprintf(stderr, "no tray display: %s\n", qPrintable(display.error()));
        return 1;
    }
    g_display = &display;
    qputenv("DISPLAY", display.display().toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral("1.0"));
    TestTrayMessage test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_traymessage.moc"
