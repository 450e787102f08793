#include "support/xtray.h"
#include "support/testsupport.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QStringList>
#include <QThread>

namespace pryx::test {

TrayDisplay::~TrayDisplay() { stop(); }

bool TrayDisplay::start(int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    xvfb_.setProcessChannelMode(QProcess::SeparateChannels);
    xvfb_.start("Xvfb", {freshDisplay(), "-displayfd", "1", "-screen", "0", "1280x800x24", "-nolisten", "tcp", "-noreset"});
    if (!xvfb_.waitForStarted(5000)) {
        error_ = "Xvfb did not start: " + xvfb_.errorString();
        return false;
    }
    QByteArray number;
    while (!number.contains('\n') && clock.elapsed() < timeoutMs) {
        xvfb_.waitForReadyRead(100);
        number += xvfb_.readAllStandardOutput();
        if (xvfb_.state() != QProcess::Running)
            break;
    }
    if (!number.contains('\n')) {
        error_ = "Xvfb gave no display number: " + QString::fromLocal8Bit(xvfb_.readAllStandardError());
        return false;
    }
    display_ = ":" + QString::fromLatin1(number.trimmed());

    trayer_.setProcessEnvironment(environment());
    trayer_.start("trayer", {"--edge", "top", "--widthtype", "pixel", "--width", "200",
                             "--heighttype", "pixel", "--height", "26"});
    if (!trayer_.waitForStarted(5000)) {
        error_ = "trayer did not start: " + trayer_.errorString();
        return false;
    }
    while (clock.elapsed() < timeoutMs) {
        if (tree().contains("(\"panel\" \"trayer\")"))
            return true;
        if (trayer_.state() != QProcess::Running) {
            error_ = "trayer ended before it showed its panel: "
                + QString::fromLocal8Bit(trayer_.readAllStandardError());
            return false;
        }
        QThread::msleep(50);
    }
    error_ = QString("trayer shows no panel after %1 ms").arg(clock.elapsed());
    return false;
}

void TrayDisplay::stop()
{
    for (QProcess *p : {&trayer_, &xvfb_}) {
        if (p->state() != QProcess::NotRunning) {
            p->terminate();
            if (!p->waitForFinished(3000)) {
                p->kill();
                p->waitForFinished(3000);
            }
        }
    }
}

QProcessEnvironment TrayDisplay::environment(const QProcessEnvironment &base) const
{
    QProcessEnvironment env = base;
    env.insert("DISPLAY", display_);
    env.remove("WAYLAND_DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    return env;
}

namespace {

// The whole window tree. xwininfo gives up when a window goes while it walks
// the tree (a program opening or closing windows meanwhile): it is asked
// again.
QString windowTree(const QProcessEnvironment &env)
{
    for (int attempt = 0; attempt < 20; ++attempt) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start("xwininfo", {"-root", "-tree"});
        if (!p.waitForFinished(5000)) {
            p.kill();
            p.waitForFinished(1000);
            continue;
        }
        if (p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
            return QString::fromLocal8Bit(p.readAllStandardOutput());
    }
    return QString();
}

} // namespace

QVector<QPoint> trayIconsOn(const QProcessEnvironment &env, const QString &instanceName)
{
    QVector<QPoint> icons;
    const QStringList lines = windowTree(env).split('\n');
    int panelIndent = -1;
    static const QRegularExpression geometry(
        R"((\d+)x(\d+)[+-]-?\d+[+-]-?\d+\s+\+(-?\d+)\+(-?\d+)\s*$)");
    const QString marker = "(\"" + instanceName + "\" ";
    for (const QString &line : lines) {
        const int indent = line.size() - line.trimmed().size();
        if (line.contains("(\"panel\" \"trayer\")")) {
            panelIndent = indent;
            continue;
        }
        if (panelIndent < 0)
            continue;
        if (indent <= panelIndent && !line.trimmed().isEmpty()
            && !line.trimmed().endsWith("children:") && !line.trimmed().endsWith("child:")) {
            panelIndent = -1;
            continue;
        }
        if (!line.contains(marker))
            continue;
        const QRegularExpressionMatch m = geometry.match(line);
        if (!m.hasMatch())
            continue;
        const int w = m.captured(1).toInt(), h = m.captured(2).toInt();
        icons << QPoint(m.captured(3).toInt() + w / 2, m.captured(4).toInt() + h / 2);
    }
    return icons;
}

QString TrayDisplay::tree() const { return windowTree(environment()); }

QVector<QPoint> TrayDisplay::trayIcons(const QString &instanceName) const
{
    return trayIconsOn(environment(), instanceName);
}

bool TrayDisplay::waitForTrayIcons(const QString &instanceName, int count, int timeoutMs) const
{
    return waitUntil([&] { return trayIcons(instanceName).size() == count; }, timeoutMs, 50);
}

bool TrayDisplay::click(const QPoint &pos, int button, int repeat) const
{
    QProcess p;
    p.setProcessEnvironment(environment());
    p.start("xdotool", {"mousemove", QString::number(pos.x()), QString::number(pos.y()), "click",
                        "--repeat", QString::number(repeat), "--delay", "60",
                        QString::number(button)});
    return p.waitForFinished(5000) && p.exitCode() == 0;
}

} // namespace pryx::test
