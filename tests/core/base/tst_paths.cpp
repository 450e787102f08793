#include <QtTest>

#include "core/base/paths.h"
#include "platform/privatedir.h"

class TestPaths : public QObject
{
    Q_OBJECT
private slots:
    void dataFolderIsUnderGenericDataLocation()
    {
        const QString base = qEnvironmentVariable("XDG_DATA_HOME");
        QVERIFY(!base.isEmpty());
        QCOMPARE(pryx::dataPath(), base + "/Pryx/");
        QCOMPARE(pryx::logFilePath(), base + "/Pryx/pryx.log");
    }
    void privateFolderIsOwnerOnly()
    {
        const QString dir = pryx::dataPath() + "sub";
        QVERIFY(pryx::platform::ensurePrivateDir(dir));
        const auto perms = QFile::permissions(dir);
        QVERIFY(perms & QFile::WriteOwner);
        QCOMPARE(perms & (QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup
                          | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther),
                 QFile::Permissions());
    }
    void forbiddenCharsHaveSixteenEntries()
    {
        QCOMPARE(pryx::forbiddenFileNameChars().size(), 16);
        QCOMPARE(pryx::forbiddenFileNameChars().count("?"), 2);
    }
};

QTEST_GUILESS_MAIN(TestPaths)
#include "tst_paths.moc"
