// Uploads of the real Core that fail or are cancelled, against the HTTPS
// stand-in, on an X display of their own: the failed job leaves the upload
// list, a capture that was not uploaded is offered for saving, and the link
// of such an upload leaves the clipboard, as a second X client sees it.
#include "core/base/setting.h"
#include "core/core.h"
#include "network/uploadmodel.h"
#include "windows/errorwidget.h"
#include "windows/lastuploadwidget.h"
#include "windows/maintoolwidget.h"
#include "windows/messagedialog.h"
#include "windows/uploadwidget.h"

#include "support/dialoganswerer.h"
#include "support/privatedisplay.h"
#include "support/quickitems.h"
#include "support/standin.h"
#include "support/testsupport.h"
#include "support/topwindows.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonObject>
#include <QPixmap>
#include <QProcess>
#include <QQuickItem>
#include <QSignalSpy>
#include <QTcpServer>
#include <QtTest>

using pryx::test::DialogAnswerer;
using pryx::test::itemNamed;
using pryx::test::itemsNamed;
using pryx::test::StandIn;
using pryx::test::windowsOf;

namespace {
template <class T> T *visible() { return pryx::test::shownWindowsOf<T>().value(0); }
void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}
Setting *st() { return Setting::instance(); }

// The clipboard as another X client reads it; empty when nobody holds text.
QString xClipboard()
{
    QProcess xclip;
    xclip.start("xclip", {"-selection", "clipboard", "-o"});
    if (!xclip.waitForStarted())
        return QStringLiteral("<xclip did not start>");
    // This process may own the selection: it answers while the loop spins.
    if (!QTest::qWaitFor([&] { return xclip.state() == QProcess::NotRunning; }, 10000))
        return QStringLiteral("<xclip hangs>");
    return xclip.exitCode() == 0 ? QString::fromUtf8(xclip.readAllStandardOutput()) : QString();
}

// Another X client that copies text, as the user would in another program;
// it serves the clipboard until it loses it or this object goes.
struct OtherClient {
    QProcess xclip;
    bool copy(const QString &text)
    {
        xclip.start("xclip", {"-selection", "clipboard", "-quiet", "-i"});
        if (!xclip.waitForStarted())
            return false;
        xclip.write(text.toUtf8());
        xclip.closeWriteChannel();
        return QTest::qWaitFor([&] { return xClipboard() == text; }, 10000);
    }
    ~OtherClient()
    {
        if (xclip.state() != QProcess::NotRunning) {
            xclip.kill();
            xclip.waitForFinished();
        }
    }
};

QString closedHost()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const QString host = QStringLiteral("127.0.0.1:%1").arg(probe.serverPort());
    probe.close();
    return host;
}

QJsonObject putRule(const QJsonObject &more)
{
    QJsonObject o = more;
    o["method"] = "PUT";
    o["path"] = "^/upload/";
    return o;
}
} // namespace

class TstFailedUpload : public QObject
{
    Q_OBJECT
    Core *core_ = nullptr;
    StandIn standIn_;

    QList<QQuickItem *> visibleBars(UploadWidget *w)
    {
        QList<QQuickItem *> out;
        for (QQuickItem *i : itemsNamed(w->rootObject(), QStringLiteral("uploadProgress")))
            if (i->isVisible())
                out << i;
        return out;
    }
    // Uploads a capture of one colour; how: "refused" (the server goes away
    // after the create), "transfer error" (the bytes are held, then answered
    // 500), "create error" (the create is answered 500). Returns its file.
    QString startCapture(const QString &how, Qt::GlobalColor colour)
    {
        if (how == "transfer error")
            standIn_.setScript(QJsonArray{putRule({{"hold", "bytes"}, {"status", 500}})});
        else if (how == "create error")
            standIn_.setScript(QJsonArray{
                QJsonObject{{"method", "POST"}, {"path", "^/drive/v1/files"}, {"status", 500}}});
        QPixmap pxm(20, 12);
        pxm.fill(colour);
        core_->screenUpload(0, false, pxm);
        // The create went out to the stand-in; what follows goes nowhere.
        if (how == "refused")
            core_->setApiHost(closedHost());
        return core_->lastCaptureFile();
    }
    // The link the stand-in gave, once it reached the clipboard.
    QString waitForLink(const QString &before)
    {
        const bool came = QTest::qWaitFor(
            [&] { return core_->lastLink() != before && !core_->lastLink().isEmpty(); }, 15000);
        return came ? core_->lastLink() : QString();
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(standIn_.start(), qPrintable(standIn_.error()));
        core_ = Core::instance();
        QVERIFY(core_);
        core_->setApiHost(standIn_.host());
        st()->setValue("type_upload", "pryx");
        st()->setValue("show_upload", 1);
        st()->setValue("show_last_upload", 1);
        st()->setValue("useSaveScreen", 0);
        st()->setValue("max_post_size", "1000000000");
        st()->setValue("token", QStringLiteral("stored-token"));
        // The main tool window comes 500 ms after start; uploads hide it.
        QTRY_VERIFY_WITH_TIMEOUT(visible<MainToolWidget>(), 3000);
    }
    void cleanupTestCase() { QVERIFY(st()->flush()); }
    void init()
    {
        core_->setApiHost(standIn_.host());
        standIn_.setScript({});
        standIn_.clearLog();
    }
    void cleanup()
    {
        core_->cancelUpload();
        standIn_.release("bytes");
        QTRY_COMPARE(core_->uploadModel()->rowCount(), 0);
        for (MessageDialog *d : windowsOf<MessageDialog>())
            d->close();
        for (ErrorWidget *e : windowsOf<ErrorWidget>())
            e->close();
        for (LastUploadWidget *w : windowsOf<LastUploadWidget>())
            w->hide();
        flushDeletes();
    }

    // A refused transfer: the job says so and leaves the list; the upload
    // window goes and no "Upload complete" comes. The next upload lists
    // itself alone and ends with "Upload complete".
    void failedJobLeavesTheList()
    {
        UploadModel *model = core_->uploadModel();
        QSignalSpy over(model, SIGNAL(uploadComplete()));
        const QString capture = startCapture("refused", Qt::red);
        QTRY_VERIFY_WITH_TIMEOUT(visible<MessageDialog>(), 15000);
        QCOMPARE(visible<MessageDialog>()->data("message").toString(),
                 QStringLiteral("Connection refused. Save file to disk ?"));
        QTRY_COMPARE(model->rowCount(), 0);
        QCOMPARE(over.count(), 1);
        QVERIFY(!visible<UploadWidget>());
        QVERIFY(!visible<LastUploadWidget>());
        QVERIFY(!visible<ErrorWidget>());
        visible<MessageDialog>()->done(1);   // not saved: the capture stays
        flushDeletes();
        QVERIFY(QFile::exists(capture));

        core_->setApiHost(standIn_.host());
        standIn_.setScript(QJsonArray{putRule({{"hold", "bytes"}})});
        QPixmap pxm(20, 12);
        pxm.fill(Qt::blue);
        core_->screenUpload(0, false, pxm);
        QTRY_VERIFY_WITH_TIMEOUT(visible<UploadWidget>(), 15000);
        UploadWidget *upload = visible<UploadWidget>();
        QCOMPARE(model->rowCount(), 1);
        QTRY_COMPARE(visibleBars(upload).size(), 1);
        QCOMPARE(int(upload->rootObject()->height()), 155 + 33 + 2 * upload->shadowMargin());
        standIn_.release("bytes");
        QTRY_VERIFY_WITH_TIMEOUT(visible<LastUploadWidget>(), 15000);
        QCOMPARE(itemNamed(visible<LastUploadWidget>()->rootObject(), "lastUploadHeading")
                     ->property("text").toString(),
                 QStringLiteral("Upload complete"));
        QVERIFY(!upload->isVisible());
        QCOMPARE(over.count(), 2);
    }

    // Every failure of a capture offers it for saving, with the reason;
    // Ok and a name move it there. A link already given leaves the
    // clipboard; without one, what the user copied stays.
    void failedCaptureIsOfferedForSaving_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<bool>("linked");
        // The JPEG capture saved under a name of the other format, of its own
        // format, and with no ending (kept as typed).
        QTest::addColumn<QString>("saveAs");
        QTest::addColumn<QString>("savedAs");
        QTest::addColumn<QByteArray>("format");
        QTest::newRow("refused") << "refused" << "Connection refused" << true << "kept.png" << "kept.png"
                                 << QByteArray("png");
        QTest::newRow("server error, transfer") << "transfer error" << "Uncknown error" << true
                                                << "kept.jpeg" << "kept.jpeg" << QByteArray("jpeg");
        QTest::newRow("server error, create") << "create error" << "Uncknown error" << false << "kept"
                                              << "kept" << QByteArray("jpeg");
    }
    void failedCaptureIsOfferedForSaving()
    {
        QFETCH(QString, how);
        QFETCH(QString, reason);
        QFETCH(bool, linked);
        QFETCH(QString, saveAs);
        QFETCH(QString, savedAs);
        QFETCH(QByteArray, format);
        OtherClient other;
        QVERIFY(other.copy("copied before"));
        const QString before = core_->lastLink();
        QSignalSpy linkChanges(core_, &Core::lastLinkChanged);
        const QString capture = startCapture(how, Qt::darkGreen);
        QFile captured(capture);
        QVERIFY(captured.open(QIODevice::ReadOnly));
        const QByteArray bytes = captured.readAll();
        captured.close();
        if (how == "transfer error") {
            // The link is on the clipboard while the bytes travel.
            const QString link = waitForLink(before);
            QVERIFY(!link.isEmpty());
            QTRY_COMPARE_WITH_TIMEOUT(xClipboard(), link, 10000);
            standIn_.release("bytes");
        }
        QTRY_VERIFY_WITH_TIMEOUT(visible<MessageDialog>(), 15000);
        MessageDialog *question = visible<MessageDialog>();
        QCOMPARE(question->data("type").toString(), QStringLiteral("questions"));
        QCOMPARE(question->data("title").toString(), QStringLiteral("Warning"));
        QCOMPARE(question->data("message").toString(), reason + ". Save file to disk ?");
        QVERIFY(!visible<ErrorWidget>());
        QTRY_COMPARE(core_->uploadModel()->rowCount(), 0);
        // A link given for the capture is taken back: the last link is again
        // the one before.
        QStringList given;
        for (const QList<QVariant> &change : linkChanges)
            given << change.at(0).toString();
        given.removeAll(before);
        given.removeDuplicates();
        QCOMPARE(given.size(), linked ? 1 : 0);
        QCOMPARE(core_->lastLink(), before);
        QCOMPARE(xClipboard(), linked ? QString() : QStringLiteral("copied before"));

        const QString folder = pryx::test::testRoot() + "/" + how;
        QVERIFY(QDir().mkpath(folder));
        const QString target = folder + "/" + savedAs;
        QFile::remove(target);
        DialogAnswerer answer;
        answer.name = folder + "/" + saveAs;
        answer.start();
        question->done(0);
        flushDeletes();
        QVERIFY(answer.sawSaveDialog);
        QVERIFY(!QFile::exists(capture));
        QVERIFY(QFile::exists(target));
        QImageReader saved(target);
        QCOMPARE(saved.format(), format);
        const QImage image = saved.read();
        QCOMPARE(image.size(), QSize(20, 12));
        if (format == "png") {
            // Made from the JPEG's pixels, without a second loss.
            QCOMPARE(image.convertToFormat(QImage::Format_RGB32),
                     QImage::fromData(bytes).convertToFormat(QImage::Format_RGB32));
        } else {
            QFile file(target);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), bytes);   // the capture itself, moved
        }
        QVERIFY(!visible<ErrorWidget>());
    }

    // A files upload has no capture to save: the error window tells why.
    void failedFilesUploadShowsTheError()
    {
        const QString own = pryx::test::testRoot() + "/notes.txt";
        {
            QFile f(own);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("the user's own file");
        }
        core_->setApiHost(closedHost());
        core_->uploadData({own});
        QTRY_VERIFY_WITH_TIMEOUT(visible<ErrorWidget>(), 15000);
        QCOMPARE(visible<ErrorWidget>()->errorText(), QStringLiteral("Connection refused"));
        QVERIFY(!visible<MessageDialog>());
        QTRY_COMPARE(core_->uploadModel()->rowCount(), 0);
        QVERIFY(QFile::exists(own));
    }

    // A cancelled or failed upload takes its link from the clipboard, but
    // only while the clipboard still holds it.
    void linkLeavesTheClipboard_data()
    {
        QTest::addColumn<QString>("end");
        QTest::addColumn<bool>("copiedMeanwhile");
        QTest::newRow("cancel") << "cancel" << false;
        QTest::newRow("cancel, other text copied") << "cancel" << true;
        QTest::newRow("failure, other text copied") << "failure" << true;
    }
    void linkLeavesTheClipboard()
    {
        QFETCH(QString, end);
        QFETCH(bool, copiedMeanwhile);
        standIn_.setScript(QJsonArray{
            putRule(end == "cancel" ? QJsonObject{{"hold", "bytes"}}
                                    : QJsonObject{{"hold", "bytes"}, {"status", 500}})});
        const QString before = core_->lastLink();
        QPixmap pxm(20, 12);
        pxm.fill(Qt::yellow);
        core_->screenUpload(0, false, pxm);
        const QString link = waitForLink(before);
        QVERIFY(!link.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(xClipboard(), link, 10000);
        OtherClient other;
        if (copiedMeanwhile)
            QVERIFY(other.copy("mine"));
        if (end == "cancel") {
            QTRY_VERIFY(visible<UploadWidget>());
            core_->cancelUpload();
        } else {
            standIn_.release("bytes");
            QTRY_VERIFY_WITH_TIMEOUT(visible<MessageDialog>(), 15000);
        }
        QTRY_COMPARE(core_->uploadModel()->rowCount(), 0);
        QCOMPARE(xClipboard(), copiedMeanwhile ? QStringLiteral("mine") : QString());
        QCOMPARE(core_->lastLink(), before);
        QVERIFY(!visible<LastUploadWidget>());
    }
};

int main(int argc, char **argv)
{
    // The clipboard and the windows are this test's alone.
    return pryx::test::execOnPrivateDisplay<TstFailedUpload>(argc, argv);
}

#include "tst_failedupload.moc"
