#include "support/wmdesktop.h"

#include "support/testsupport.h"
#include "support/xorgdummy.h"

#include <QDir>
#include <QThread>

#include <xcb/shape.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <cstdlib>
#include <cstring>

namespace pryx::test {

namespace {

uint32_t atom(xcb_connection_t *c, const char *name)
{
    xcb_intern_atom_reply_t *r =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(strlen(name)), name), nullptr);
    const uint32_t a = r ? r->atom : 0;
    std::free(r);
    return a;
}

QByteArray property(xcb_connection_t *c, uint32_t window, uint32_t prop, uint32_t type = XCB_GET_PROPERTY_TYPE_ANY)
{
    xcb_get_property_reply_t *r =
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, prop, type, 0, 4096), nullptr);
    QByteArray out;
    if (r && r->type != XCB_NONE) {
        const int len = xcb_get_property_value_length(r);
        out = QByteArray(static_cast<const char *>(xcb_get_property_value(r)), len);
        if (out.isEmpty())
            out = QByteArray("", 0);
    }
    std::free(r);
    return out;
}

bool hasProperty(xcb_connection_t *c, uint32_t window, uint32_t prop)
{
    xcb_get_property_reply_t *r =
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, prop, XCB_GET_PROPERTY_TYPE_ANY, 0, 1), nullptr);
    const bool has = r && r->type != XCB_NONE;
    std::free(r);
    return has;
}

QVector<uint32_t> children(xcb_connection_t *c, uint32_t window)
{
    QVector<uint32_t> out;
    xcb_query_tree_reply_t *r = xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr);
    if (r) {
        const xcb_window_t *k = xcb_query_tree_children(r);
        for (int i = 0; i < xcb_query_tree_children_length(r); ++i)
            out.append(k[i]);
    }
    std::free(r);
    return out;
}

// The client window below a top-level one: the first window carrying
// WM_STATE (set by the window manager on the windows it manages).
uint32_t clientOf(xcb_connection_t *c, uint32_t window, uint32_t wmState, int depth)
{
    if (hasProperty(c, window, wmState))
        return window;
    if (depth == 0)
        return 0;
    for (uint32_t k : children(c, window))
        if (uint32_t found = clientOf(c, k, wmState, depth - 1))
            return found;
    return 0;
}

bool startProcess(QProcess &p, const QString &program, const QStringList &args, const QString &display)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.setStandardOutputFile(QProcess::nullDevice());
    p.start(program, args);
    return p.waitForStarted(5000);
}

void endProcess(QProcess &p)
{
    if (p.state() == QProcess::NotRunning)
        return;
    p.terminate();
    if (!p.waitForFinished(3000)) {
        p.kill();
        p.waitForFinished(3000);
    }
}

} // namespace

WmDesktop::WmDesktop() : server_(new XorgDummy) {}

WmDesktop::~WmDesktop() { stop(); }

QString WmDesktop::display() const { return server_->display(); }

bool WmDesktop::start()
{
    if (!server_->start(monitors())) {
        error_ = server_->error();
        return false;
    }
    conn_ = xcb_connect(display().toLatin1().constData(), nullptr);
    if (xcb_connection_has_error(conn_)) {
        error_ = QStringLiteral("cannot connect to %1").arg(display());
        xcb_disconnect(conn_);
        conn_ = nullptr;
        return false;
    }
    root_ = xcb_setup_roots_iterator(xcb_get_setup(conn_)).data->root;
    if (!startProcess(openbox_, QStringLiteral("openbox"), {QStringLiteral("--sm-disable")}, display())) {
        error_ = QStringLiteral("openbox is not installed");
        return false;
    }
    if (!waitForWindowManager(10000)) {
        error_ = QStringLiteral("openbox did not take the screen within 10 s");
        return false;
    }
    return true;
}

bool WmDesktop::startAsDisplay(QString *skip)
{
    if (!start()) {
        *skip = QStringLiteral("no desktop with a window manager here: ") + error();
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return false;
    }
    qputenv("DISPLAY", display().toLatin1());
    qunsetenv("QT_QPA_PLATFORM");
    return true;
}

bool WmDesktop::waitForWindowManager(int timeoutMs)
{
    const uint32_t check = atom(conn_, "_NET_SUPPORTING_WM_CHECK");
    return waitUntil([&] { return openbox_.state() == QProcess::Running && hasProperty(conn_, root_, check); },
                     timeoutMs);
}

bool WmDesktop::compositorRunning() const
{
    if (!conn_)
        return false;
    const uint32_t sel = atom(conn_, "_NET_WM_CM_S0");
    xcb_get_selection_owner_reply_t *r =
        xcb_get_selection_owner_reply(conn_, xcb_get_selection_owner(conn_, sel), nullptr);
    const bool owned = r && r->owner != XCB_NONE;
    std::free(r);
    return owned;
}

bool WmDesktop::startCompositor()
{
    if (compositorRunning())
        return true;
    if (!startProcess(compositor_, QStringLiteral("xcompmgr"), {}, display()))
        return false;
    return waitUntil([this] { return compositorRunning(); }, 10000);
}

void WmDesktop::stopCompositor()
{
    endProcess(compositor_);
    waitUntil([this] { return !compositorRunning(); }, 5000);
}

bool WmDesktop::startTray()
{
    if (tray_.state() == QProcess::Running)
        return true;
    if (!startProcess(tray_, QStringLiteral("trayer"),
                      {QStringLiteral("--edge"), QStringLiteral("bottom"), QStringLiteral("--align"),
                       QStringLiteral("right"), QStringLiteral("--widthtype"), QStringLiteral("pixel"),
                       QStringLiteral("--width"), QStringLiteral("200"), QStringLiteral("--height"),
                       QStringLiteral("32"), QStringLiteral("--SetDockType"), QStringLiteral("true")},
                      display()))
        return false;
    const uint32_t sel = atom(conn_, "_NET_SYSTEM_TRAY_S0");
    return waitUntil([&] {
        xcb_get_selection_owner_reply_t *r =
            xcb_get_selection_owner_reply(conn_, xcb_get_selection_owner(conn_, sel), nullptr);
        const bool owned = r && r->owner != XCB_NONE;
        std::free(r);
        return owned;
    }, 10000);
}

void WmDesktop::stop()
{
    endProcess(tray_);
    endProcess(compositor_);
    endProcess(openbox_);
    if (conn_) {
        xcb_disconnect(conn_);
        conn_ = nullptr;
    }
    server_->stop();
}

QProcessEnvironment WmDesktop::environment(const QProcessEnvironment &base) const
{
    QProcessEnvironment env = base;
    env.insert(QStringLiteral("DISPLAY"), display());
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("XDG_CURRENT_DESKTOP"));
    return env;
}

QVector<WmDesktop::Window> WmDesktop::windows(qint64 pid) const
{
    QVector<Window> out;
    if (!conn_)
        return out;
    const uint32_t wmState = atom(conn_, "WM_STATE");
    const uint32_t netPid = atom(conn_, "_NET_WM_PID");
    const uint32_t netName = atom(conn_, "_NET_WM_NAME");
    for (uint32_t top : children(conn_, root_)) {
        xcb_get_window_attributes_reply_t *topAttr =
            xcb_get_window_attributes_reply(conn_, xcb_get_window_attributes(conn_, top), nullptr);
        if (!topAttr)
            continue;
        const bool override = topAttr->override_redirect;
        std::free(topAttr);
        uint32_t client = clientOf(conn_, top, wmState, 3);
        if (!client)
            client = top;   // unmanaged (override-redirect or never mapped)
        Window w;
        w.id = client;
        w.overrideRedirect = override;
        const QByteArray p = property(conn_, client, netPid, XCB_ATOM_CARDINAL);
        if (p.size() >= 4) {
            uint32_t v;
            std::memcpy(&v, p.constData(), 4);
            w.pid = v;
        }
        if (pid != 0 && w.pid != pid)
            continue;
        xcb_get_window_attributes_reply_t *attr =
            xcb_get_window_attributes_reply(conn_, xcb_get_window_attributes(conn_, client), nullptr);
        xcb_get_window_attributes_reply_t *frameAttr =
            xcb_get_window_attributes_reply(conn_, xcb_get_window_attributes(conn_, top), nullptr);
        w.viewable = attr && attr->map_state == XCB_MAP_STATE_VIEWABLE && frameAttr
                     && frameAttr->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(attr);
        std::free(frameAttr);
        xcb_get_geometry_reply_t *g = xcb_get_geometry_reply(conn_, xcb_get_geometry(conn_, client), nullptr);
        xcb_translate_coordinates_reply_t *t =
            xcb_translate_coordinates_reply(conn_, xcb_translate_coordinates(conn_, client, root_, 0, 0), nullptr);
        if (g && t)
            w.geometry = QRect(t->dst_x, t->dst_y, g->width, g->height);
        std::free(g);
        std::free(t);
        QByteArray name = property(conn_, client, netName);
        if (name.isEmpty())
            name = property(conn_, client, XCB_ATOM_WM_NAME);
        w.name = QString::fromUtf8(name);
        const QByteArray cls = property(conn_, client, XCB_ATOM_WM_CLASS);
        w.instance = QString::fromLatin1(cls.left(cls.indexOf('\0')));
        out.append(w);
    }
    return out;
}

QVector<WmDesktop::Window> WmDesktop::shownWindows(qint64 pid) const
{
    QVector<Window> out;
    for (const Window &w : windows(pid))
        if (w.viewable)
            out.append(w);
    return out;
}

int WmDesktop::windowsOverDesktop(qint64 pid) const
{
    int n = 0;
    for (const Window &w : shownWindows(pid))
        if (w.geometry == desktop())
            ++n;
    return n;
}

int WmDesktop::monitorOf(const QRect &r)
{
    int best = -1;
    qint64 bestArea = 0;
    const QVector<QRect> m = monitors();
    for (int i = 0; i < m.size(); ++i) {
        const QRect in = m[i].intersected(r);
        const qint64 area = qint64(in.width()) * in.height();
        if (area > bestArea) {
            best = i;
            bestArea = area;
        }
    }
    return best;
}

QImage WmDesktop::grab(const QRect &area) const
{
    if (!conn_)
        return QImage();
    QImage img(area.size(), QImage::Format_RGB32);
    img.fill(Qt::black);
    // In bands: one request's reply must stay below the server's limit.
    const int band = qMax(1, (4 << 20) / qMax(1, area.width() * 4));
    for (int y = 0; y < area.height(); y += band) {
        const int h = qMin(band, area.height() - y);
        xcb_get_image_reply_t *r = xcb_get_image_reply(
            conn_, xcb_get_image(conn_, XCB_IMAGE_FORMAT_Z_PIXMAP, root_, int16_t(area.x()), int16_t(area.y() + y),
                                 uint16_t(area.width()), uint16_t(h), ~0u),
            nullptr);
        if (!r)
            return QImage();
        const uint8_t *data = xcb_get_image_data(r);
        const int len = xcb_get_image_data_length(r);
        const int stride = h > 0 ? len / h : 0;
        for (int row = 0; row < h && stride >= area.width() * 4; ++row)
            std::memcpy(img.scanLine(y + row), data + row * stride, size_t(area.width()) * 4);
        std::free(r);
    }
    // The X pixels carry no alpha.
    for (int y = 0; y < img.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            line[x] |= 0xff000000u;
    }
    return img;
}

QImage WmDesktop::settledGrab() const
{
    QImage last = grab();
    for (int i = 0; i < 50; ++i) {
        QThread::msleep(80);
        QImage now = grab();
        if (now == last)
            return now;
        last = now;
    }
    return last;
}

bool WmDesktop::screenshot(const QString &path) const
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display());
    p.setProcessEnvironment(env);
    p.start(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), path});
    return p.waitForFinished(20000) && p.exitCode() == 0;
}

void WmDesktop::saveScreenshot(const QString &name) const
{
    const QString dir = qEnvironmentVariable("PRYX_SCREENSHOT_DIR");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    QString file = name;
    file.replace(' ', '_').remove(',');
    screenshot(dir + "/" + file + ".png");
}

void WmDesktop::movePointer(const QPoint &p)
{
    if (!conn_)
        return;
    xcb_test_fake_input(conn_, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, root_, int16_t(p.x()), int16_t(p.y()), 0);
    sync();
}

void WmDesktop::pressButton(int button)
{
    if (!conn_)
        return;
    xcb_test_fake_input(conn_, XCB_BUTTON_PRESS, uint8_t(button), XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    sync();
}

void WmDesktop::releaseButton(int button)
{
    if (!conn_)
        return;
    xcb_test_fake_input(conn_, XCB_BUTTON_RELEASE, uint8_t(button), XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    sync();
}

void WmDesktop::click(const QPoint &p, int button, int count)
{
    movePointer(p);
    for (int i = 0; i < count; ++i) {
        pressButton(button);
        releaseButton(button);
        if (i + 1 < count)
            QThread::msleep(40);
    }
}

void WmDesktop::drag(const QPoint &a, const QPoint &b, int steps)
{
    movePointer(a);
    pressButton(1);
    for (int i = 1; i <= steps; ++i) {
        QThread::msleep(15);
        movePointer(a + (b - a) * i / steps);
    }
    QThread::msleep(15);
    releaseButton(1);
}

QPoint WmDesktop::pointer() const
{
    if (!conn_)
        return QPoint();
    xcb_query_pointer_reply_t *r = xcb_query_pointer_reply(conn_, xcb_query_pointer(conn_, root_), nullptr);
    const QPoint p = r ? QPoint(r->root_x, r->root_y) : QPoint();
    std::free(r);
    return p;
}

void WmDesktop::sync() const
{
    if (conn_)
        std::free(xcb_get_input_focus_reply(conn_, xcb_get_input_focus(conn_), nullptr));
}

namespace {

QVector<QRect> shape(xcb_connection_t *c, uint32_t window, uint8_t kind)
{
    QVector<QRect> out;
    if (!c)
        return out;
    xcb_shape_get_rectangles_reply_t *r =
        xcb_shape_get_rectangles_reply(c, xcb_shape_get_rectangles(c, window, kind), nullptr);
    if (!r)
        return out;
    const xcb_rectangle_t *rects = xcb_shape_get_rectangles_rectangles(r);
    for (int i = 0; i < xcb_shape_get_rectangles_rectangles_length(r); ++i)
        out.append(QRect(rects[i].x, rects[i].y, rects[i].width, rects[i].height));
    std::free(r);
    return out;
}

QRect rootGeometry(xcb_connection_t *c, uint32_t root, uint32_t window)
{
    xcb_get_geometry_reply_t *g = xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr);
    xcb_translate_coordinates_reply_t *t =
        xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, window, root, 0, 0), nullptr);
    QRect out;
    if (g && t)
        out = QRect(t->dst_x, t->dst_y, g->width, g->height);
    std::free(g);
    std::free(t);
    return out;
}

QString instanceOf(xcb_connection_t *c, uint32_t window)
{
    const QByteArray cls = property(c, window, XCB_ATOM_WM_CLASS);
    return QString::fromLatin1(cls.left(cls.indexOf('\0')));
}

// Depth-first: the windows below `window` whose WM_CLASS instance is `name`.
void findByInstance(xcb_connection_t *c, uint32_t window, const QString &name, QVector<uint32_t> *out, int depth)
{
    for (uint32_t k : children(c, window)) {
        if (instanceOf(c, k) == name)
            out->append(k);
        if (depth > 0)
            findByInstance(c, k, name, out, depth - 1);
    }
}

bool mapped(xcb_connection_t *c, uint32_t window)
{
    xcb_get_window_attributes_reply_t *a =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr);
    const bool viewable = a && a->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(a);
    return viewable;
}

} // namespace

QVector<QRect> WmDesktop::inputShape(uint32_t window) const
{
    return shape(conn_, window, XCB_SHAPE_SK_INPUT);
}

QVector<QRect> WmDesktop::boundingShape(uint32_t window) const
{
    return shape(conn_, window, XCB_SHAPE_SK_BOUNDING);
}

uint32_t WmDesktop::topLevelAt(const QPoint &p)
{
    movePointer(p);
    if (!conn_)
        return 0;
    // The server finds the pointer's window through the input shapes.
    xcb_query_pointer_reply_t *r = xcb_query_pointer_reply(conn_, xcb_query_pointer(conn_, root_), nullptr);
    const uint32_t child = r ? r->child : 0;
    std::free(r);
    return child;
}

uint32_t WmDesktop::topLevelOf(uint32_t window) const
{
    if (!conn_)
        return 0;
    uint32_t w = window;
    for (int i = 0; i < 16; ++i) {
        xcb_query_tree_reply_t *r = xcb_query_tree_reply(conn_, xcb_query_tree(conn_, w), nullptr);
        if (!r)
            return 0;
        const uint32_t parent = r->parent;
        std::free(r);
        if (parent == root_ || parent == XCB_NONE)
            return w;
        w = parent;
    }
    return 0;
}

QRect WmDesktop::trayPanel() const
{
    if (!conn_)
        return QRect();
    QVector<uint32_t> panels;
    findByInstance(conn_, root_, QStringLiteral("panel"), &panels, 2);
    for (uint32_t p : panels)
        if (mapped(conn_, p))
            return rootGeometry(conn_, root_, p);
    return QRect();
}

QVector<QRect> WmDesktop::trayIcons(const QString &instance) const
{
    QVector<QRect> out;
    for (uint32_t i : trayIconWindows(instance))
        out.append(rootGeometry(conn_, root_, i));
    return out;
}

QVector<uint32_t> WmDesktop::trayIconWindows(const QString &instance) const
{
    QVector<uint32_t> out;
    if (!conn_)
        return out;
    QVector<uint32_t> panels;
    findByInstance(conn_, root_, QStringLiteral("panel"), &panels, 2);
    for (uint32_t p : panels) {
        QVector<uint32_t> icons;
        findByInstance(conn_, p, instance, &icons, 3);
        for (uint32_t i : icons)
            if (mapped(conn_, i))
                out.append(i);
    }
    return out;
}

void WmDesktop::setBackground(QRgb colour)
{
    if (!conn_)
        return;
    const uint32_t pixel = colour & 0xffffff;
    xcb_change_window_attributes(conn_, root_, XCB_CW_BACK_PIXEL, &pixel);
    xcb_clear_area(conn_, 0, root_, 0, 0, 0, 0);
    sync();
}

QRect boundsOfColour(const QImage &img, QRgb colour, const QRect &area)
{
    const QRect a = area.isNull() ? img.rect() : area.intersected(img.rect());
    int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;
    for (int y = a.top(); y <= a.bottom(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        for (int x = a.left(); x <= a.right(); ++x) {
            if ((line[x] & 0xffffff) != (colour & 0xffffff))
                continue;
            left = qMin(left, x);
            right = qMax(right, x);
            top = qMin(top, y);
            bottom = qMax(bottom, y);
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

QRect boundsOfChange(const QImage &before, const QImage &after, int tolerance)
{
    if (before.size() != after.size())
        return QRect();
    int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;
    for (int y = 0; y < before.height(); ++y) {
        const auto *a = reinterpret_cast<const QRgb *>(before.constScanLine(y));
        const auto *b = reinterpret_cast<const QRgb *>(after.constScanLine(y));
        for (int x = 0; x < before.width(); ++x) {
            if (qAbs(qRed(a[x]) - qRed(b[x])) <= tolerance && qAbs(qGreen(a[x]) - qGreen(b[x])) <= tolerance
                && qAbs(qBlue(a[x]) - qBlue(b[x])) <= tolerance)
                continue;
            left = qMin(left, x);
            right = qMax(right, x);
            top = qMin(top, y);
            bottom = qMax(bottom, y);
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

} // namespace pryx::test
