// The platform name the update check asks for, from the build's processor.

#include <QSysInfo>
#include <QtTest>

#include "core/base/setting.h"

class TestPlatformName : public QObject
{
    Q_OBJECT
private slots:
    void mapping_data()
    {
        QTest::addColumn<QString>("arch");   // QSysInfo::buildCpuArchitecture()
        QTest::addColumn<QString>("name");
        QTest::newRow("x86_64") << "x86_64" << "linux_x86_64";
        QTest::newRow("arm64") << "arm64" << "linux_aarch64";
        QTest::newRow("i386") << "i386" << "linux_i686";
        QTest::newRow("riscv64") << "riscv64" << "linux_riscv64";
    }
    void mapping()
    {
        QFETCH(QString, arch);
        QFETCH(QString, name);
        QCOMPARE(Setting::platformNameFor(arch), name);
    }

    void thisBuild()
    {
        QCOMPARE(Setting::platformName(), Setting::platformNameFor(QSysInfo::buildCpuArchitecture()));
        if (QSysInfo::buildCpuArchitecture() == QLatin1String("x86_64"))
            QCOMPARE(Setting::platformName(), QString("linux_x86_64"));
    }
};

QTEST_GUILESS_MAIN(TestPlatformName)
#include "tst_platformname.moc"
