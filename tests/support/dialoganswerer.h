#pragma once
// Answers the next modal dialogs of the program under test: a save dialog
// with a name (Cancel when the name is empty), and the overwrite question
// that may follow with Yes.

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace pryx::test {

class DialogAnswerer : public QObject
{
public:
    QString name;
    bool sawOverwriteQuestion = false;
    bool sawSaveDialog = false;
    QString dialogTitle;
    QString dialogFilter;
    void start() { timer_.start(50); }
    DialogAnswerer()
    {
        connect(&timer_, &QTimer::timeout, this, [this] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal || answered_.contains(modal))
                return;
            answered_ << modal;
            if (auto *dialog = qobject_cast<QFileDialog *>(modal)) {
                sawSaveDialog = true;
                dialogTitle = dialog->windowTitle();
                dialogFilter = dialog->nameFilters().join(";;");
                if (name.isEmpty()) {
                    dialog->reject();
                    return;
                }
                // The overwrite question opens inside accept(): answer it
                // from a timer of its own.
                QTimer::singleShot(300, this, [this] {
                    if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                        sawOverwriteQuestion = true;
                        box->button(QMessageBox::Yes)->click();
                    }
                });
                auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
                if (QFileInfo(QFileInfo(name).absolutePath()).isDir()) {
                    dialog->setDirectory(QFileInfo(name).absolutePath());
                    edit->setText(QFileInfo(name).fileName());
                } else {
                    edit->setText(name);   // a folder that is no folder
                }
                QMetaObject::invokeMethod(dialog, "accept");
            }
        });
    }

private:
    QTimer timer_;
    QList<QWidget *> answered_;
};

} // namespace pryx::test
