#include "support/xorgdummy.h"
#include "support/testsupport.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStringList>

#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/uio.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

xcb_extension_t randrExtension = {"RANDR", 0};

void put16(std::vector<uint8_t> &b, uint16_t v) { b.resize(b.size() + 2); std::memcpy(&b[b.size() - 2], &v, 2); }
void put32(std::vector<uint8_t> &b, uint32_t v) { b.resize(b.size() + 4); std::memcpy(&b[b.size() - 4], &v, 4); }
uint16_t get16(const uint8_t *p) { uint16_t v; std::memcpy(&v, p, 2); return v; }
uint32_t get32(const uint8_t *p) { uint32_t v; std::memcpy(&v, p, 4); return v; }

// One RandR request with a reply; `body` follows the 4-byte request header.
// The reply is freed by the caller (free), null on error.
uint8_t *randrRequest(xcb_connection_t *c, uint8_t minor, const std::vector<uint8_t> &body)
{
    std::vector<uint8_t> data(4, 0);
    data[1] = minor;
    data.insert(data.end(), body.begin(), body.end());
    while (data.size() % 4)
        data.push_back(0);
    iovec parts[3];
    parts[2].iov_base = data.data();
    parts[2].iov_len = data.size();
    xcb_protocol_request_t req = {1, &randrExtension, minor, 0};
    const unsigned int seq = xcb_send_request(c, XCB_REQUEST_CHECKED, parts + 2, &req);
    xcb_generic_error_t *err = nullptr;
    void *rep = xcb_wait_for_reply(c, seq, &err);
    std::free(err);
    return static_cast<uint8_t *>(rep);
}

// xrandr keeps the outputs' bounding box at (0, 0); the CRTCs are moved by
// hand afterwards so that the desktop starts elsewhere.
bool shiftCrtcs(const char *display, int dx, int dy, QString *error)
{
    xcb_connection_t *c = xcb_connect(display, nullptr);
    if (xcb_connection_has_error(c)) {
        *error = QStringLiteral("cannot connect to %1").arg(QString::fromLatin1(display));
        xcb_disconnect(c);
        return false;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    bool ok = false;
    std::vector<uint8_t> v;
    put32(v, 1);
    put32(v, 5);
    std::free(randrRequest(c, 0, v));  // QueryVersion
    std::vector<uint8_t> r;
    put32(r, root);
    uint8_t *res = randrRequest(c, 8, r);  // GetScreenResources
    if (res) {
        const uint32_t configTs = get32(res + 12);
        const int nCrtcs = get16(res + 16);
        ok = true;
        for (int i = 0; i < nCrtcs && ok; ++i) {
            const uint32_t crtc = get32(res + 32 + 4 * i);
            std::vector<uint8_t> q;
            put32(q, crtc);
            put32(q, configTs);
            uint8_t *info = randrRequest(c, 20, q);  // GetCrtcInfo
            if (!info) {
                ok = false;
                break;
            }
            const int16_t x = int16_t(get16(info + 12));
            const int16_t y = int16_t(get16(info + 14));
            const uint32_t mode = get32(info + 20);
            const uint16_t rotation = get16(info + 24);
            const int nOutputs = get16(info + 28);
            if (mode != 0) {
                std::vector<uint8_t> s;
                put32(s, crtc);
                put32(s, 0);  // CurrentTime
                put32(s, configTs);
                put16(s, uint16_t(x + dx));
                put16(s, uint16_t(y + dy));
                put32(s, mode);
                put16(s, rotation);
                put16(s, 0);
                for (int o = 0; o < nOutputs; ++o)
                    put32(s, get32(info + 32 + 4 * o));
                uint8_t *set = randrRequest(c, 21, s);  // SetCrtcConfig
                ok = set && set[1] == 0;
                std::free(set);
            }
            std::free(info);
        }
        std::free(res);
    }
    if (!ok)
        *error = QStringLiteral("RandR could not move the monitors");
    xcb_disconnect(c);
    return ok;
}

bool run(const QString &command)
{
    return std::system(command.toLocal8Bit().constData()) == 0;
}

} // namespace

namespace pryx::test {

bool XorgDummy::start(const QVector<QRect> &monitors)
{
    if (access("/usr/lib/xorg/modules/drivers/dummy_drv.so", R_OK) != 0) {
        error_ = QStringLiteral("the Xorg dummy video driver is not installed");
        return false;
    }
    char tmpl[] = "/tmp/pryx-xorg.XXXXXX";
    if (!mkdtemp(tmpl)) {
        error_ = QStringLiteral("no temporary folder");
        return false;
    }
    dir_ = QString::fromLatin1(tmpl);
    QRect all;
    for (const QRect &m : monitors)
        all = all.united(m);
    const QString conf = dir_ + QStringLiteral("/xorg.conf");
    QFile f(conf);
    if (!f.open(QIODevice::WriteOnly)) {
        error_ = QStringLiteral("cannot write %1").arg(conf);
        return false;
    }
    f.write(QStringLiteral(
                "Section \"Device\"\n  Identifier \"dummy\"\n  Driver \"dummy\"\n  VideoRam 256000\nEndSection\n"
                "Section \"Monitor\"\n  Identifier \"monitor\"\n  HorizSync 5.0-1000.0\n  VertRefresh 5.0-200.0\nEndSection\n"
                "Section \"Screen\"\n  Identifier \"screen\"\n  Device \"dummy\"\n  Monitor \"monitor\"\n"
                "  DefaultDepth 24\n  SubSection \"Display\"\n    Depth 24\n    Virtual %1 %2\n  EndSubSection\nEndSection\n"
                "Section \"ServerFlags\"\n  Option \"AutoAddDevices\" \"false\"\n  Option \"AutoEnableDevices\" \"false\"\nEndSection\n")
                .arg(all.right() + 65).arg(all.bottom() + 65)
                .toLatin1());
    f.close();

    // The server writes its display number once it accepts connections, so
    // a busy machine gets as long as it needs.
    int fds[2];
    if (pipe(fds) != 0) {
        error_ = QStringLiteral("pipe failed");
        return false;
    }
    const QByteArray fdArg = QByteArray::number(fds[1]);
    const QByteArray confPath = conf.toLocal8Bit();
    const QByteArray logPath = (dir_ + QStringLiteral("/xorg.log")).toLocal8Bit();
    const QByteArray dirPath = dir_.toLocal8Bit();
    const QByteArray displayArg = freshDisplay().toLatin1();
    pid_ = fork();
    if (pid_ == 0) {
        close(fds[0]);
        const int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        execlp("Xorg", "Xorg", displayArg.constData(), "-displayfd", fdArg.constData(), "-noreset", "-nolisten", "tcp",
               "-config", confPath.constData(), "-logfile", logPath.constData(), "-configdir",
               dirPath.constData(), static_cast<char *>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    if (pid_ < 0) {
        close(fds[0]);
        error_ = QStringLiteral("fork failed");
        return false;
    }
    QByteArray number;
    pollfd p{fds[0], POLLIN, 0};
    while (!number.endsWith('\n') && poll(&p, 1, 60000) > 0) {
        char c;
        if (read(fds[0], &c, 1) != 1)
            break;   // the server ended
        number.append(c);
    }
    close(fds[0]);
    if (!number.endsWith('\n')) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            QFile log(dir_ + QStringLiteral("/xorg.log"));
            QString last;
            if (log.open(QIODevice::ReadOnly))
                last = QString::fromLocal8Bit(log.readAll()).trimmed().section(QLatin1Char('\n'), -1);
            error_ = WIFEXITED(status) && WEXITSTATUS(status) == 127
                         ? QStringLiteral("Xorg is not installed")
                         : QStringLiteral("Xorg ended at once (it needs root): %1").arg(last);
        } else {
            error_ = QStringLiteral("Xorg gave no display number within 60 s");
        }
        stop();
        return false;
    }
    display_ = QStringLiteral(":%1").arg(QString::fromLatin1(number.trimmed()));
    const QByteArray disp = display_.toLatin1();
    if (!layOut(monitors)) {
        stop();
        return false;
    }
    qputenv("DISPLAY", disp);
    return true;
}

bool XorgDummy::layOut(const QVector<QRect> &monitors)
{
    QRect all;
    for (const QRect &m : monitors)
        all = all.united(m);
    const QString env = QStringLiteral("DISPLAY=%1 ").arg(display_);
    QString cmd = env + QStringLiteral("xrandr --fb %1x%2").arg(all.right() + 1).arg(all.bottom() + 1);
    for (int i = 0; i < monitors.size(); ++i) {
        const QRect m = monitors[i];
        const QString out = QStringLiteral("DUMMY%1").arg(i);
        const QString mode = QStringLiteral("%1x%2").arg(m.width()).arg(m.height());
        if (i > 0)
            run(env + QStringLiteral("xrandr --addmode %1 %2 >/dev/null 2>&1").arg(out, mode));
        // xrandr moves the bounding box to (0, 0); the offset follows below.
        cmd += QStringLiteral(" --output %1 --mode %2 --pos %3x%4").arg(out, mode)
                   .arg(m.x() - all.x()).arg(m.y() - all.y());
        if (i == 0)
            cmd += QStringLiteral(" --primary");
    }
    if (!run(cmd + QStringLiteral(" >/dev/null 2>&1"))) {
        error_ = QStringLiteral("xrandr could not set the monitors up");
        return false;
    }
    return shiftCrtcs(display_.toLatin1().constData(), all.x(), all.y(), &error_);
}

void XorgDummy::stop()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int status = 0;
        for (int i = 0; i < 50 && waitpid(pid_, &status, WNOHANG) == 0; ++i)
            usleep(100 * 1000);
        if (waitpid(pid_, &status, WNOHANG) == 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
        }
        pid_ = -1;
    }
    if (!dir_.isEmpty()) {
        QDir(dir_).removeRecursively();
        dir_.clear();
    }
}

} // namespace pryx::test
