// The upload and last-upload pages in their real windows: the window grows
// with the jobs, the rows show their progress, Cancel and the check boxes,
// and the last-upload page's buttons.
#include "core/base/setting.h"
#include "windows/lastuploadwidget.h"
#include "windows/uploadwidget.h"

#include "support/pagestandins.h"
#include "support/qmlstandins.h"
#include "support/quickitems.h"

#include <QDir>
#include <QQuickItem>
#include <QSignalSpy>
#include <QtTest>

using pryx::test::itemNamed;
using pryx::test::itemsNamed;

namespace {
void clickOn(QQuickWindow *w, QQuickItem *i)
{
    QTest::qWait(30);   // positioners lay out on the next frame
    pryx::test::clickItem(w, i);
}
Setting *st() { return Setting::instance(); }
} // namespace

class TstUpload : public QObject
{
    Q_OBJECT
    PageCore core_;
    pryx::test::WarningCollector warnings_;

    template <class W> W *open()
    {
        auto *w = new W;
        if (w->status() != QQuickView::Ready)
            qWarning() << "page not ready";
        w->show();
        if (!QTest::qWaitForWindowExposed(w))
            qWarning() << "window not exposed";
        return w;
    }

private slots:
    void initTestCase() { BasicWindow::setCoreObject(&core_); }
    // Queued settings writes must not meet the database's teardown at exit.
    void cleanupTestCase() { QVERIFY(Setting::instance()->flush()); }
    void init()
    {
        core_.calls.clear();
        core_.uploads_.setJobs({});
        st()->setValue("show_upload", 1);
        st()->setValue("show_last_upload", 1);
        st()->setValue("type_upload", "pryx");
    }
    void cleanup()
    {
        // Delegates go later; the model they read must still be there.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(warnings_.take(), QStringList());
    }

    void heightFollowsTheJobs()
    {
        QScopedPointer<UploadWidget> w(open<UploadWidget>());
        QQuickItem *root = w->rootObject();
        const int m = 2 * w->shadowMargin();
        QCOMPARE(int(root->width()), 240 + m);
        QCOMPARE(int(root->height()), 155 + m);
        core_.uploads_.setJobs({{10, 100, false}, {0, 50, true}, {50, 50, false}});
        QCOMPARE(int(root->height()), 254 + m);
        core_.uploads_.setJobs({{10, 100, false}});
        QCOMPARE(int(root->height()), 188 + m);
        QCOMPARE(itemNamed(root, "titleText")->property("text").toString(), QStringLiteral("Pryx - Upload"));
    }

    void rowsShowProgress()
    {
        core_.uploads_.setJobs({{25, 100, false}, {40, 100, true}});
        QScopedPointer<UploadWidget> w(open<UploadWidget>());
        QTest::qWait(50);
        QList<QQuickItem *> bars = itemsNamed(w->rootObject(), "uploadProgress");
        const QList<QQuickItem *> archives = itemsNamed(w->rootObject(), "archiveText");
        QCOMPARE(bars.size(), 2);
        std::sort(bars.begin(), bars.end(), [](QQuickItem *a, QQuickItem *b) {
            return a->mapToScene(QPointF()).y() < b->mapToScene(QPointF()).y();
        });
        QCOMPARE(bars[0]->property("value").toInt(), 25);
        QCOMPARE(bars[0]->property("maximum").toInt(), 100);
        QCOMPARE(int(bars[0]->height()), 6);
        QCOMPARE(int(bars[0]->x()), 0);
        QCOMPARE(bars[1]->property("value").toInt(), 40);
        QVERIFY(bars[1]->x() > 10);   // beside "Archive..."
        int shownArchives = 0;
        for (QQuickItem *a : archives)
            if (a->isVisible()) {
                ++shownArchives;
                QCOMPARE(a->property("text").toString(), QStringLiteral("Archive..."));
            }
        QCOMPARE(shownArchives, 1);
        QCOMPARE(bars[1]->width() + bars[1]->x(), bars[0]->width());
        // Progress reaches the rows.
        core_.uploads_.setJobs({{75, 100, false}, {100, 100, false}});
        bars = itemsNamed(w->rootObject(), "uploadProgress");
        QList<int> values;
        for (QQuickItem *b : bars)
            values << b->property("value").toInt();
        std::sort(values.begin(), values.end());
        QCOMPARE(values, QList<int>({75, 100}));
        const QString dir = QStringLiteral(PRYX_BINARY_DIR) + "/screenshots";
        QDir().mkpath(dir);
        core_.uploads_.setJobs({{25, 100, false}, {40, 100, true}, {90, 100, false}});
        QTest::qWait(100);
        QVERIFY(w->grabWindow().save(dir + "/upload.png"));
    }

    void heading_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("text");
        QTest::newRow("service") << "pryx" << "Link already in the clipboard";
        QTest::newRow("ftp") << "ftp" << "Link already in the clipboard";
        QTest::newRow("dropbox") << "dropbox" << "Upload...";
    }
    void heading()
    {
        QFETCH(QString, type);
        QFETCH(QString, text);
        st()->setValue("type_upload", type);
        QScopedPointer<UploadWidget> w(open<UploadWidget>());
        QCOMPARE(itemNamed(w->rootObject(), "uploadHeading")->property("text").toString(), text);
    }

    void cancelAndCheckBox()
    {
        QScopedPointer<UploadWidget> w(open<UploadWidget>());
        clickOn(w.data(), itemNamed(w->rootObject(), "cancelButton"));
        QCOMPARE(core_.calls, QStringList{"cancelUpload"});
        QQuickItem *box = itemNamed(w->rootObject(), "doNotShow");
        QCOMPARE(box->property("check").toBool(), false);
        clickOn(w.data(), box);
        QCOMPARE(st()->getValue("show_upload").toBool(), false);
        clickOn(w.data(), box);
        QCOMPARE(st()->getValue("show_upload").toBool(), true);
    }

    void lastUploadButtons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("call");
        QTest::newRow("open") << "openButton" << "openLastLink";
        QTest::newRow("copy") << "copyButton" << "copyLastLink";
    }
    void lastUploadButtons()
    {
        QFETCH(QString, button);
        QFETCH(QString, call);
        QScopedPointer<LastUploadWidget> w(open<LastUploadWidget>());
        QCOMPARE(int(w->rootObject()->width()), 241 + 2 * w->shadowMargin());
        QCOMPARE(int(w->rootObject()->height()), 230 + 2 * w->shadowMargin());
        QCOMPARE(itemNamed(w->rootObject(), "lastUploadHeading")->property("text").toString(),
                 QStringLiteral("Upload complete"));
        QSignalSpy closed(w.data(), SIGNAL(closed()));
        clickOn(w.data(), itemNamed(w->rootObject(), button));
        QCOMPARE(core_.calls, QStringList{call});
        QCOMPARE(closed.count(), 1);
        QVERIFY(!w->isVisible());
    }

    void lastUploadCheckBoxFollowsTheSetting()
    {
        st()->setValue("show_last_upload", 0);
        QScopedPointer<LastUploadWidget> w(open<LastUploadWidget>());
        QQuickItem *box = itemNamed(w->rootObject(), "doNotShow");
        QCOMPARE(box->property("check").toBool(), true);
        clickOn(w.data(), box);
        QCOMPARE(st()->getValue("show_last_upload").toBool(), true);
        QCOMPARE(box->property("check").toBool(), false);
        st()->setValue("show_last_upload", 0);   // changed elsewhere, e.g. the settings window
        QCOMPARE(box->property("check").toBool(), true);
    }
};

QTEST_MAIN(TstUpload)
#include "tst_upload.moc"
