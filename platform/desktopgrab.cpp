#include "platform/desktopgrab.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWindow>
#include <QX11Info>

#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <sys/ipc.h>
#include <sys/mman.h>
#include <sys/shm.h>


#include <cstdlib>
#include <cstring>

namespace pryx::platform {

QVector<QRect> screenGeometries()
{
    QVector<QRect> out;
    for (QScreen *s : QGuiApplication::screens())
        out.append(s->geometry());
    return out;
}

QRect virtualDesktop()
{
    QRect r;
    for (const QRect &g : screenGeometries())
        r = r.united(g);
    return r;
}

namespace {

// One GetImage request per band of rows keeps each reply well below the
// server's maximum request size.
bool grabBand(xcb_connection_t *c, xcb_drawable_t root, const QRect &band, QImage &dst, int dstY)
{
    xcb_get_image_cookie_t ck = xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, root,
                                              int16_t(band.x()), int16_t(band.y()),
                                              uint16_t(band.width()), uint16_t(band.height()),
                                              ~0u);
    xcb_generic_error_t *err = nullptr;
    xcb_get_image_reply_t *rep = xcb_get_image_reply(c, ck, &err);
    if (!rep) {
        std::free(err);
        return false;
    }
    const int len = xcb_get_image_data_length(rep);
    const uint8_t *data = xcb_get_image_data(rep);
    const int stride = band.width() * 4;
    bool ok = (rep->depth == 24 || rep->depth == 32) && len >= stride * band.height();
    if (ok) {
        // The server leaves the pad byte of depth 24 undefined; RGB32 wants 0xff.
        for (int y = 0; y < band.height(); ++y) {
            auto *line = reinterpret_cast<uint32_t *>(dst.scanLine(dstY + y));
            const auto *src = reinterpret_cast<const uint32_t *>(data + y * stride);
            for (int x = 0; x < band.width(); ++x)
                line[x] = src[x] | 0xff000000u;
        }
    }
    std::free(rep);
    return ok;
}

#ifdef MADV_POPULATE_WRITE
constexpr int kPopulateWrite = MADV_POPULATE_WRITE;
#else
constexpr int kPopulateWrite = 23;
#endif

void detachSegment(void *mem) { shmdt(mem); }

bool depth24or32(uint8_t depth) { return depth == 24 || depth == 32; }

// `area` of the root window through a shared memory segment (MIT-SHM): the
// server draws the pixels straight into memory that becomes the image, with
// no copy through the socket and none after. Where the server shares
// pixmaps, the segment is itself the pixmap the screen is copied into;
// otherwise a server pixmap is read into it. Null when the extension or a
// segment is not available.
QImage grabShm(xcb_connection_t *c, xcb_window_t root, uint8_t depth, const QRect &area)
{
    const xcb_query_extension_reply_t *ext = xcb_get_extension_data(c, &xcb_shm_id);
    if (!ext || !ext->present)
        return QImage();
    xcb_shm_query_version_reply_t *ver = xcb_shm_query_version_reply(c, xcb_shm_query_version(c), nullptr);
    const bool sharedPixmaps = ver && ver->shared_pixmaps && ver->pixmap_format == XCB_IMAGE_FORMAT_Z_PIXMAP;
    std::free(ver);
    const size_t stride = size_t(area.width()) * 4;
    const size_t bytes = stride * size_t(area.height());
    const int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (id < 0)
        return QImage();
    void *mem = shmat(id, nullptr, 0);
    if (mem == reinterpret_cast<void *>(-1)) {
        shmctl(id, IPC_RMID, nullptr);
        return QImage();
    }
    // One call allocates and maps every page, instead of a fault per page
    // in the server and here (Linux 5.14 on; older kernels refuse it and
    // the pages are faulted in one by one).
    madvise(mem, bytes, kPopulateWrite);
    const xcb_shm_seg_t seg = xcb_generate_id(c);
    xcb_generic_error_t *err = xcb_request_check(c, xcb_shm_attach_checked(c, seg, uint32_t(id), 0));
    // The segment goes as soon as both sides have let go of it.
    shmctl(id, IPC_RMID, nullptr);
    bool ok = err == nullptr;
    std::free(err);
    if (ok) {
        // IncludeInferiors: reading the root alone leaves windows of another
        // depth (ARGB windows) undefined.
        const xcb_pixmap_t pix = xcb_generate_id(c);
        const xcb_gcontext_t gc = xcb_generate_id(c);
        const uint32_t gcValues[] = {XCB_SUBWINDOW_MODE_INCLUDE_INFERIORS};
        if (sharedPixmaps)
            xcb_shm_create_pixmap(c, pix, root, uint16_t(area.width()), uint16_t(area.height()), depth, seg, 0);
        else
            xcb_create_pixmap(c, depth, pix, root, uint16_t(area.width()), uint16_t(area.height()));
        xcb_create_gc(c, gc, pix, XCB_GC_SUBWINDOW_MODE, gcValues);
        err = xcb_request_check(c, xcb_copy_area_checked(c, root, pix, gc, int16_t(area.x()), int16_t(area.y()),
                                                         0, 0, uint16_t(area.width()), uint16_t(area.height())));
        ok = err == nullptr;
        std::free(err);
        if (ok && !sharedPixmaps) {
            xcb_shm_get_image_reply_t *rep = xcb_shm_get_image_reply(
                c,
                xcb_shm_get_image(c, pix, 0, 0, uint16_t(area.width()), uint16_t(area.height()), ~0u,
                                  XCB_IMAGE_FORMAT_Z_PIXMAP, seg, 0),
                nullptr);
            ok = rep && (rep->depth == 24 || rep->depth == 32) && rep->size >= bytes;
            std::free(rep);
        }
        xcb_free_gc(c, gc);
        xcb_free_pixmap(c, pix);
        xcb_shm_detach(c, seg);
        xcb_flush(c);
    }
    if (!ok) {
        shmdt(mem);
        return QImage();
    }
    // The server leaves the pad byte of depth 24 undefined; RGB32 wants 0xff.
    auto *px = static_cast<uint32_t *>(mem);
    for (size_t i = 0, n = bytes / 4; i < n; ++i)
        px[i] |= 0xff000000u;
    return QImage(static_cast<uchar *>(mem), area.width(), area.height(), int(stride), QImage::Format_RGB32,
                  detachSegment, mem);
}

} // namespace

QImage grabDesktop(const QRect &rect)
{
    if (rect.isEmpty())
        return QImage();
    if (QX11Info::isPlatformX11() && QX11Info::connection()) {
        auto *c = static_cast<xcb_connection_t *>(QX11Info::connection());
        const xcb_window_t root = xcb_window_t(QX11Info::appRootWindow());
        // Pixels outside the root window (a screen gap) cannot be read: clip,
        // read what exists and leave the rest black.
        QImage img(rect.size(), QImage::Format_RGB32);
        if (img.isNull())
            return QImage();
        xcb_get_geometry_reply_t *geo =
            xcb_get_geometry_reply(c, xcb_get_geometry(c, root), nullptr);
        if (!geo)
            return QImage();
        const QRect rootRect(0, 0, geo->width, geo->height);
        const uint8_t rootDepth = geo->depth;
        std::free(geo);
        const QRect src = rect.intersected(rootRect);
        if (src != rect)
            img.fill(Qt::black);
        if (src.isEmpty())
            return img;
        if (depth24or32(rootDepth)) {
            QImage shared = grabShm(c, root, rootDepth, src);
            if (!shared.isNull() && src == rect)
                return shared;
            if (!shared.isNull()) {
                const QPoint at = src.topLeft() - rect.topLeft();
                for (int y = 0; y < shared.height(); ++y)
                    std::memcpy(img.scanLine(at.y() + y) + at.x() * 4, shared.constScanLine(y),
                                size_t(shared.width() * 4));
                return img;
            }
        }
        // Copy through a server pixmap with IncludeInferiors: GetImage on the
        // root alone leaves windows of another depth (ARGB windows) undefined.
        xcb_pixmap_t pix = xcb_generate_id(c);
        xcb_gcontext_t gc = xcb_generate_id(c);
        const uint32_t gcValues[] = {XCB_SUBWINDOW_MODE_INCLUDE_INFERIORS};
        xcb_create_pixmap(c, rootDepth, pix, root, uint16_t(src.width()), uint16_t(src.height()));
        xcb_create_gc(c, gc, pix, XCB_GC_SUBWINDOW_MODE, gcValues);
        xcb_copy_area(c, root, pix, gc, int16_t(src.x()), int16_t(src.y()), 0, 0,
                      uint16_t(src.width()), uint16_t(src.height()));
        const uint32_t maxBytes = xcb_get_maximum_request_length(c) * 4u / 2u;
        int rowsPerBand = int(qMax<uint32_t>(1, maxBytes / uint32_t(src.width() * 4)));
        rowsPerBand = qMin(rowsPerBand, 512);
        // Read straight into the result when it lies wholly on the root; a
        // second handle on `img` would detach on the first write and leave
        // the result unwritten.
        QImage clipped = src == rect ? QImage() : QImage(src.size(), QImage::Format_RGB32);
        QImage &part = src == rect ? img : clipped;
        bool ok = true;
        for (int y = 0; ok && y < src.height(); y += rowsPerBand) {
            const QRect band(0, y, src.width(), qMin(rowsPerBand, src.height() - y));
            ok = grabBand(c, pix, band, part, y);
        }
        xcb_free_gc(c, gc);
        xcb_free_pixmap(c, pix);
        if (!ok)
            return QImage();
        if (src != rect) {
            const QPoint at = src.topLeft() - rect.topLeft();
            for (int y = 0; y < part.height(); ++y)
                std::memcpy(img.scanLine(at.y() + y) + at.x() * 4, part.constScanLine(y),
                            size_t(part.width() * 4));
        }
        return img;
    }
    // Other platforms (offscreen tests): the screens grab themselves.
    QImage img(rect.size(), QImage::Format_RGB32);
    img.fill(Qt::black);
    for (QScreen *s : QGuiApplication::screens()) {
        const QRect part = s->geometry().intersected(rect);
        if (part.isEmpty())
            continue;
        const QPoint local = part.topLeft() - s->geometry().topLeft();
        const QImage shot = s->grabWindow(0, local.x(), local.y(), part.width(), part.height())
                                .toImage()
                                .convertToFormat(QImage::Format_RGB32);
        if (shot.isNull())
            continue;
        const QPoint at = part.topLeft() - rect.topLeft();
        for (int y = 0; y < shot.height() && at.y() + y < img.height(); ++y)
            std::memcpy(img.scanLine(at.y() + y) + at.x() * 4, shot.constScanLine(y),
                        size_t(qMin(shot.width(), img.width() - at.x()) * 4));
    }
    return img;
}

bool isControlHeld()
{
    return QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier;
}

void setWindowMask(QWindow *window, const QRegion &region)
{
    if (!window)
        return;
    window->setMask(region);
    // The new shape holds before the caller goes on: clicks right after it
    // already see it. A plain round trip: QGuiApplication::sync() would also
    // deliver pending events (a key, a close) in the middle of the caller,
    // which may be a handler of the window's own page.
    syncDisplay();
}

void syncDisplay()
{
    if (QX11Info::isPlatformX11()) {
        if (auto *c = static_cast<xcb_connection_t *>(QX11Info::connection()))
            std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    }
}

void setStayOnTopFlags(QWindow *window)
{
    if (!window)
        return;
    Qt::WindowFlags f = Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;
    if (QX11Info::isPlatformX11())
        f |= Qt::BypassWindowManagerHint;
    window->setFlags(f);
}

void activate(QWindow *window)
{
    if (!window)
        return;
    window->raise();
    window->requestActivate();
}

} // namespace pryx::platform
