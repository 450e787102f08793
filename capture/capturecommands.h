#pragma once
// What the capture surface and the panorama editor hand to Core: the
// capture commands. A null image means "pull it from the surface"; the
// panorama editor passes its own rendering. Core implements them; tests
// pass a stand-in.

#include <QObject>
#include <QPixmap>

namespace pryx::capture {

class CaptureCommands : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    virtual void screenUpload(int type, bool quick, QPixmap pxm) = 0;
    virtual void screenSaveToDisk(QPixmap pxm) = 0;
    virtual void screenSaveToClipboard() = 0;
    virtual void screenPostVK(QPixmap pxm) = 0;
    virtual void screenPostFacebook(QPixmap pxm) = 0;
    virtual void screenPostTwitter(QPixmap pxm) = 0;
    virtual void screenPostOdnoklassniki(QPixmap pxm) = 0;
    virtual void screenPostMail(QPixmap pxm) = 0;
};

} // namespace pryx::capture
