#pragma once
// Stand-ins for the capture surface's partners: Core (records the commands it
// is given), the annotation area and one of its items, and a window that
// paints a known pattern on the desktop.

#include <QImage>
#include <QPainter>
#include <QPointer>
#include <QQuickItem>
#include <QRasterWindow>
#include <QStringList>

#include "capture/capturecommands.h"
#include "capture/surfacewidget.h"

class FakeCore : public pryx::capture::CaptureCommands
{
    Q_OBJECT
public:
    QStringList calls;
    QPointer<SurfaceWidget> surface;

    // Behaves like Core's deleteSurfaceScreen: deletes later, forgets it.
    void attach(SurfaceWidget *s)
    {
        surface = s;
        connect(s, &SurfaceWidget::closed, this, &FakeCore::deleteSurfaceScreen);
        connect(s, &SurfaceWidget::uploadedScreen, this, [this] { calls << "uploadedScreen"; });
    }

public slots:
    void deleteSurfaceScreen()
    {
        calls << "closed";
        if (surface) {
            surface->deleteLater();
            surface = nullptr;
        }
    }
    void screenUpload(int type, bool quick, QPixmap) override
    {
        calls << QStringLiteral("screenUpload(%1,%2)").arg(type).arg(quick);
    }
    void screenSaveToDisk(QPixmap) override { calls << "screenSaveToDisk"; }
    void screenSaveToClipboard() override { calls << (surface ? "screenSaveToClipboard" : "screenSaveToClipboard without surface"); }
    void screenPostVK(QPixmap) override { calls << "screenPostVK"; }
    void screenPostOdnoklassniki(QPixmap) override { calls << "screenPostOdnoklassniki"; }
    void screenPostFacebook(QPixmap) override { calls << "screenPostFacebook"; }
    void screenPostTwitter(QPixmap) override { calls << "screenPostTwitter"; }
    void screenPostMail(QPixmap) override { calls << "screenPostMail"; }
};

class FakeItem : public QQuickItem
{
    Q_OBJECT
    Q_PROPERTY(bool checked MEMBER checked)
public:
    using QQuickItem::QQuickItem;
    bool checked = false;
    QString itemName = QStringLiteral("Rect");
    QString selection;
    Q_INVOKABLE QString name() const { return itemName; }
    Q_INVOKABLE QString selectedText() const { return selection; }
};

class FakeArea : public QQuickItem
{
    Q_OBJECT
    Q_PROPERTY(QString currentModule MEMBER currentModule)
    Q_PROPERTY(QObject *currentItem MEMBER currentItem)
public:
    using QQuickItem::QQuickItem;
    QString currentModule;
    QObject *currentItem = nullptr;
    QStringList calls;
    Q_INVOKABLE void clearSelection()
    {
        calls << "clearSelection";
        for (QQuickItem *c : childItems())
            c->setProperty("checked", false);
    }
    Q_INVOKABLE void checkUndo() { calls << "checkUndo"; }
    Q_INVOKABLE void checkRedo() { calls << "checkRedo"; }
    Q_INVOKABLE void selectLastModule() { calls << "selectLastModule"; }
};

class PatternWindow : public QRasterWindow
{
public:
    explicit PatternWindow(const QImage &img) : image(img)
    {
        setFlags(Qt::Window | Qt::FramelessWindowHint | Qt::BypassWindowManagerHint);
        resize(img.size());
    }
    QImage image;
    int presses = 0;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.drawImage(0, 0, image);
    }
    void mousePressEvent(QMouseEvent *) override { ++presses; }
};
