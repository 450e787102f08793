// The upload and last-upload windows of the real Core following real uploads
// to the HTTPS stand-in: rows and progress of the running jobs, then the
// last-upload window brought by the upload list's completion.
#include "core/base/setting.h"
#include "core/core.h"
#include "network/handlerupload.h"
#include "network/networkexchange.h"
#include "network/uploadmodel.h"
#include "windows/lastuploadwidget.h"
#include "windows/maintoolwidget.h"
#include "windows/uploadwidget.h"

#include "support/quickitems.h"
#include "support/standin.h"
#include "support/testsupport.h"
#include "support/topwindows.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QPixmap>
#include <QPointer>
#include <QQuickItem>
#include <QSignalSpy>
#include <QtTest>

using pryx::test::itemNamed;
using pryx::test::onlyWindow;
using pryx::test::StandIn;
using pryx::test::windowsOf;

namespace {
template <class T> bool shown()
{
    T *w = onlyWindow<T>();
    return w && w->isVisible();
}
Setting *st() { return Setting::instance(); }
} // namespace

class TstUploadService : public QObject
{
    Q_OBJECT
    StandIn standIn_;
    Core *core_ = nullptr;

    // Visible rows' progress bars as (value, maximum), top to bottom.
    QList<QPair<qint64, qint64>> rows(UploadWidget *w)
    {
        QList<QQuickItem *> bars = pryx::test::itemsNamed(w->rootObject(), "uploadProgress");
        std::sort(bars.begin(), bars.end(), [](QQuickItem *a, QQuickItem *b) {
            return a->mapToScene(QPointF()).y() < b->mapToScene(QPointF()).y();
        });
        QList<QPair<qint64, qint64>> out;
        for (QQuickItem *b : bars)
            if (b->isVisible())
                out << qMakePair(qint64(b->property("value").toDouble()),
                                 qint64(b->property("maximum").toDouble()));
        return out;
    }
    QString makeFile(const QString &name, int size)
    {
        const QString path = pryx::test::testRoot() + '/' + name;
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(QByteArray(size, 'p'));
        return path;
    }
    static void flushDeletes()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(standIn_.start(), qPrintable(standIn_.error()));
        qputenv("PRYX_API_HOST", standIn_.host().toLatin1());
        core_ = Core::instance();
        QVERIFY(core_);
        st()->setValue("type_upload", "pryx");
        st()->setValue("show_upload", 1);
        st()->setValue("show_last_upload", 1);
        st()->setValue("max_post_size", "1000000000");
        st()->setValue("token", QStringLiteral("stored-token"));
        // The main tool window comes 500 ms after start; the uploads hide it.
        QTRY_VERIFY_WITH_TIMEOUT(shown<MainToolWidget>(), 3000);
    }
    void cleanupTestCase() { QVERIFY(st()->flush()); }

    // Two jobs whose bytes the stand-in holds: the upload window lists both
    // with their real progress; when they end it goes and the last-upload
    // window comes, for ten seconds, again for the next completion.
    void rowsThenLastUpload()
    {
        standIn_.setScript(QJsonArray{QJsonObject{{"method", "PUT"}, {"hold", "rows"}}});
        QPixmap pxm(32, 32);
        pxm.fill(Qt::darkCyan);
        core_->screenUpload(0, false, pxm);
        const qint64 captureSize = QFileInfo(core_->lastCaptureFile()).size();
        QVERIFY(captureSize > 0);
        const QString file = makeFile("report.txt", 300000);
        core_->uploadData({file});
        UploadModel *model = core_->uploadModel();
        QCOMPARE(model->rowCount(), 2);
        QList<QPointer<HandlerUpload>> jobs;
        for (HandlerUpload *job : core_->networkExchange()->jobs())
            jobs << job;
        QCOMPARE(jobs.size(), 2);

        QTRY_VERIFY_WITH_TIMEOUT(shown<UploadWidget>(), 10000);
        UploadWidget *upload = onlyWindow<UploadWidget>();
        QVERIFY(!onlyWindow<MainToolWidget>()->isVisible());
        QCOMPARE(itemNamed(upload->rootObject(), "uploadHeading")->property("text").toString(),
                 QStringLiteral("Link already in the clipboard"));
        QCOMPARE(int(upload->rootObject()->height()), 155 + 2 * 33 + 2 * upload->shadowMargin());
        // Held after their bodies arrived: each row shows all of its bytes.
        using Row = QPair<qint64, qint64>;
        QTRY_COMPARE_WITH_TIMEOUT(rows(upload), (QList<Row>{{captureSize, captureSize}, {300000, 300000}}),
                                  10000);
        QVERIFY(!shown<LastUploadWidget>());

        QSignalSpy over(model, SIGNAL(uploadComplete()));
        standIn_.release("rows");
        QTRY_VERIFY_WITH_TIMEOUT(shown<LastUploadWidget>(), 10000);
        QCOMPARE(over.count(), 1);
        QCOMPARE(model->rowCount(), 0);
        QVERIFY(!upload->isVisible());
        QCOMPARE(int(upload->rootObject()->height()), 155 + 2 * upload->shadowMargin());
        LastUploadWidget *last = onlyWindow<LastUploadWidget>();
        QCOMPARE(itemNamed(last->rootObject(), "lastUploadHeading")->property("text").toString(),
                 QStringLiteral("Upload complete"));
        QVERIFY(last->hideTimer()->isActive());
        QCOMPARE(last->hideTimer()->interval(), 10000);
        // Both receivers let go of the completed jobs, which are freed.
        QVERIFY(core_->networkExchange()->jobs().isEmpty());
        flushDeletes();
        for (const QPointer<HandlerUpload> &job : jobs)
            QVERIFY(job.isNull());

        // The next completion keeps the same window open for ten more seconds.
        QTest::qWait(400);
        QVERIFY(last->hideTimer()->remainingTime() < 9700);
        standIn_.setScript({});
        core_->uploadData({file});
        QTRY_COMPARE_WITH_TIMEOUT(over.count(), 2, 10000);
        QCOMPARE(onlyWindow<LastUploadWidget>(), last);
        QVERIFY(last->isVisible());
        QVERIFY(last->hideTimer()->remainingTime() > 9700);
        last->hideTimer()->start(1);
        QTRY_VERIFY(!last->isVisible());
        QVERIFY(core_->networkExchange()->jobs().isEmpty());
    }
};

QTEST_MAIN(TstUploadService)
#include "tst_uploadservice.moc"
