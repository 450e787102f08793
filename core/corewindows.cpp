// The windows Core creates: which live for the whole run, which are made for
// one use, the reminder balloon, the help box and the save offer that follows
// a missing network.
#include "core/core.h"
#include "core/keptwindow.h"
#include "core/corelog.h"

#include <QApplication>
#include <QDateTime>
#include <QDebug>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QSaveFile>
#include <QTextDocument>
#include <QTimer>

#include <cerrno>
#include <cstdio>

#include "core/base/setting.h"
#include "network/networkexchange.h"
#include "network/uploadmodel.h"
#include "windows/autorizationwidget.h"
#include "windows/errorwidget.h"
#include "windows/lastuploadwidget.h"
#include "windows/maintoolwidget.h"
#include "windows/messagedialog.h"
#include "windows/proxywidget.h"
#include "windows/settingwidget.h"
#include "windows/uploadwidget.h"

namespace {
// Set by a cancel: the model's "all over" that follows the stopped jobs is no
// upload that completed. Cleared when the next upload starts.
bool s_uploadsCancelled = false;

// The capture a save question is about.
const char kCaptureFileProperty[] = "captureFile";

// Captures of failed uploads waiting for their save question; one question
// is open at a time.
struct PendingSave {
    QString file;
    QString title;
    QString question;
};
QList<PendingSave> s_pendingSaves;
QPointer<MessageDialog> s_saveQuestion;

void askNextSave(Core *core)
{
    if (s_saveQuestion)
        return;
    while (!s_pendingSaves.isEmpty()) {
        const PendingSave next = s_pendingSaves.takeFirst();
        if (!QFileInfo::exists(next.file)) {
            qCDebug(pryx::lcCore) << "capture gone before its save question:" << next.file;
            continue;
        }
        auto *dialog = new MessageDialog();
        s_saveQuestion = dialog;
        // Each question saves the capture of the job that failed.
        dialog->setProperty(kCaptureFileProperty, next.file);
        dialog->showQuestion(next.title, next.question);
        QObject::connect(dialog, SIGNAL(closed()), dialog, SLOT(deleteLater()));
        QObject::connect(dialog, SIGNAL(result(int)), core, SLOT(internetNotAvailableResult(int)));
        // The next question comes once this one, and its save dialog, is done.
        QObject::connect(dialog, &BasicWindow::closed, core, [core] {
            s_saveQuestion = nullptr;
            QTimer::singleShot(0, core, [core] { askNextSave(core); });
        });
        dialog->show();
        return;
    }
}

// Moves source onto target, replacing a file there. The old target stays
// untouched until the new content is complete in its place.
bool moveReplacing(const QString &source, const QString &target)
{
    const QByteArray from = QFile::encodeName(source);
    const QByteArray to = QFile::encodeName(target);
    if (std::rename(from.constData(), to.constData()) == 0)
        return true;
    if (errno != EXDEV)
        return false;
    // Another file system: QSaveFile writes beside the target and renames
    // over it only when everything was written.
    QFile in(source);
    QSaveFile out(target);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
        return false;
    out.setPermissions(in.permissions());
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(1 << 20);
        if (chunk.isEmpty() || out.write(chunk) != chunk.size())
            return false;   // the save file is dropped unwritten
    }
    if (!out.commit())
        return false;
    in.close();
    QFile::remove(source);
    return true;
}

// "PNG" or "JPG" for a name of either image format, else nothing.
QByteArray imageFormatOf(const QString &name)
{
    const QString suffix = QFileInfo(name).suffix().toLower();
    if (suffix == QLatin1String("png"))
        return "PNG";
    if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg"))
        return "JPG";
    return QByteArray();
}

// Writes the picture of source to target in the format target's name asks
// for, then drops source. The old target stays whole until the new one is.
bool convertReplacing(const QString &source, const QString &target)
{
    const QImage image(source);
    if (image.isNull())
        return false;
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    const QByteArray format = imageFormatOf(target);
    if (!image.save(&out, format.constData(), format == "PNG" ? -1 : 100) || !out.commit())
        return false;
    QFile::remove(source);
    return true;
}

} // namespace

void Core::showMainWindow()
{
    qCDebug(pryx::lcCore) << Q_FUNC_INFO;
    pryx::ensureWindow(mainToolWidget_);
    mainToolWidget_->show();
    mainToolWidget_->raise();
}

void Core::showSetting()
{
    qCDebug(pryx::lcCore) << Q_FUNC_INFO;
    if (pryx::ensureWindow(settingWidget_))
        connect(settingWidget_, SIGNAL(closed()), this, SLOT(deleteSettingWindow()));
    settingWidget_->show();
    settingWidget_->raise();
}

void Core::deleteSettingWindow()
{
    if (settingWidget_)
        settingWidget_->deleteLater();
    settingWidget_ = nullptr;
}

void Core::showUploadPage()
{
    qCDebug(pryx::lcCore) << Q_FUNC_INFO;
    s_uploadsCancelled = false;
    pryx::ensureWindow(mainToolWidget_);
    mainToolWidget_->hide();
    if (!Setting::instance()->flag(QStringLiteral("show_upload")))
        return;
    pryx::ensureWindow(uploadWidget_);
    uploadWidget_->show();
}

void Core::showLastUploadPage()
{
    qCDebug(pryx::lcCore) << Q_FUNC_INFO;
    pryx::ensureWindow(uploadWidget_);
    uploadWidget_->hide();
    if (!s_uploadsCancelled && uploadModel_ && uploadModel_->roundEndedWithoutCompletion()) {
        // Every job failed and has said so: nothing to announce.
        return;
    }
    pryx::ensureWindow(mainToolWidget_);
    mainToolWidget_->hide();
    if (s_uploadsCancelled) {
        // Stopped by the user: nothing was completed.
        s_uploadsCancelled = false;
        return;
    }
    if (!Setting::instance()->flag(QStringLiteral("show_last_upload")))
        return;
    pryx::ensureWindow(lastUploadWidget_);
    lastUploadWidget_->showTimed();
}

void Core::cancelUpload()
{
    qCDebug(pryx::lcCore) << Q_FUNC_INFO;
    pryx::ensureWindow(uploadWidget_);
    uploadWidget_->hide();
    s_uploadsCancelled = true;
    if (networkExchange_)
        networkExchange_->stopUploads();
}

void Core::showProxyWidget()
{
    qCDebug(pryx::lcCore) << Q_FUNC_INFO;
    if (pryx::ensureWindow(proxyWidget_))
        connect(proxyWidget_, SIGNAL(closed()), this, SIGNAL(closeProxyWindow()));
    proxyWidget_->show();
}

void Core::showErrorWidget(QString text)
{
    qCDebug(pryx::lcCore) << Q_FUNC_INFO << text;
    // One window at a time: errors that come while it is open (each of a
    // row of failed uploads) replace its text instead of stacking windows.
    if (!errorWidget_ || !errorWidget_->isVisible()) {
        if (errorWidget_)
            errorWidget_->deleteLater();
        errorWidget_ = new ErrorWidget(QString());
        connect(errorWidget_.data(), SIGNAL(closed()), errorWidget_.data(), SLOT(deleteLater()));
    }
    errorWidget_->setErrorText(text);
    errorWidget_->show();
    errorWidget_->raise();
}

void Core::registrationWidgetDestroy()
{
    qCDebug(pryx::lcCore) << Q_FUNC_INFO;
    if (!autorizationWidget_)
        return;
    autorizationWidget_->close();
    autorizationWidget_->deleteLater();
    autorizationWidget_ = nullptr;
}

void Core::internetNotAvailable(QString captureFile)
{
    qCDebug(pryx::lcCore) << Q_FUNC_INFO << "show message dialog" << captureFile;
    offerCaptureSave(captureFile, tr("Internet is not available. Save file to disk ?"),
                     tr("Internet is not available"));
}

void Core::captureNotUploaded(QString text, QString captureFile)
{
    qCDebug(pryx::lcCore) << Q_FUNC_INFO << text << captureFile;
    offerCaptureSave(captureFile, tr("%1. Save file to disk ?").arg(text), text);
}

void Core::offerCaptureSave(const QString &captureFile, const QString &question, const QString &errorText)
{
    // Only a capture upload has a file of its own to save; a failed files
    // upload leaves the user's files where they are.
    if (captureFile.isEmpty() || !QFileInfo::exists(captureFile)) {
        qCDebug(pryx::lcCore) << Q_FUNC_INFO << "no capture file to save";
        showErrorWidget(errorText);
        return;
    }
    // Failures that come while a question is open wait for their turn:
    // one window at a time, and no capture goes without its question.
    s_pendingSaves.append({captureFile, tr("Warning"), question});
    askNextSave(this);
}

void Core::internetNotAvailableResult(int result)
{
    if (result != 0)
        return;
    const QString source = sender() ? sender()->property(kCaptureFileProperty).toString() : QString();
    if (source.isEmpty()) {
        qCDebug(pryx::lcCore) << Q_FUNC_INFO << "not answered by a save question";
        return;
    }
    if (!QFileInfo::exists(source)) {
        showErrorWidget(tr("The capture file is no longer there"));
        return;
    }
    // The dialog opens on the capture's own format; it asks itself before an
    // existing file is replaced.
    const QStringList filters{QStringLiteral("PNG (*.png)"), QStringLiteral("JPG (*.jpg)"),
                              QStringLiteral("JPEG (*.jpeg)")};
    QFileDialog dialog(nullptr, tr("Save file"), QString(), filters.join(QLatin1String(";;")));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.selectNameFilter(imageFormatOf(source) == "PNG" ? filters.at(0) : filters.at(1));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString target = dialog.selectedFiles().constFirst();
    if (QFileInfo(target).absoluteFilePath() == QFileInfo(source).absoluteFilePath())
        return;
    const bool existed = QFileInfo::exists(target);
    // A name of the other format gets a file of that format, not the
    // capture's bytes under a misleading ending.
    const QByteArray wanted = imageFormatOf(target);
    const bool sameFormat = wanted.isEmpty() || wanted == imageFormatOf(source);
    if (!(sameFormat ? moveReplacing(source, target) : convertReplacing(source, target))) {
        showErrorWidget(existed ? tr("Cannot replace the file %1").arg(target)
                                : tr("Cannot save the file %1").arg(target));
        return;
    }
    qCDebug(pryx::lcCore) << Q_FUNC_INFO << "moved" << source << "to" << target;
}

void Core::showReminderMessage()
{
    Setting *setting = Setting::instance();
    const QDateTime last = setting->getValue(QStringLiteral("date_last_screen")).toDateTime();
    const QDateTime now = QDateTime::currentDateTime();
    if (!last.isValid()) {
        setting->setValue(QStringLiteral("date_last_screen"), now);
        return;
    }
    if (last.addDays(10) >= now || !trayIcon_)
        return;
    qCDebug(pryx::lcCore) << Q_FUNC_INFO << "reminder since" << last;
    showTrayMessage(QStringLiteral("Pryx - best screenshoter"),
                    tr("Hey! I Pryx. The faster program to create screenshots and transfer files "
                       "over a network. Are you forgot for me ? Let`s do screenshot!"));
}

void Core::openHelp()
{
    qCDebug(pryx::lcCore) << Q_FUNC_INFO;
    QMessageBox box;
    box.setWindowTitle(tr("Support"));
    box.setText(tr("Support and Help"));
    box.setTextFormat(Qt::RichText);
    box.setInformativeText(
        tr("News and answers in our Telegram channel: %1<br>"
           "Write to the support team: %2<br>"
           "Ask the community on the help forum: %3")
            .arg(QStringLiteral("<a href=\"https://t.me/pryx_app\">t.me/pryx_app</a>"),
                 QStringLiteral("<a href=\"mailto:support@pryx.app\">support@pryx.app</a>"),
                 QStringLiteral("<a href=\"https://forum.pryx.app\">forum.pryx.app</a>")));
    box.setStandardButtons(QMessageBox::Ok);
    box.setTextInteractionFlags(Qt::TextBrowserInteraction);
    if (auto *info = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_informativelabel"))) {
        info->setTextInteractionFlags(Qt::TextBrowserInteraction);
        info->setOpenExternalLinks(true);
        // Wide enough for its longest line: no address broken in two.
        QTextDocument doc;
        doc.setHtml(info->text());
        int widest = 0;
        for (const QString &line : doc.toPlainText().split(QLatin1Char('\n')))
            widest = qMax(widest, info->fontMetrics().horizontalAdvance(line));
        info->setMinimumWidth(widest + 8);
    }
    box.exec();
}
