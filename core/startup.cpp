#include "core/startup.h"
#include "core/corelog.h"

#include <QDebug>
#include <QDir>
#include <QFontDatabase>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QtGlobal>

#include <clocale>

#include "core/base/localregistry.h"
#include "core/base/setting.h"

namespace {
QString g_localeName;
}

void installFont()
{
    const QString folder = QStringLiteral(":/font/font/");
    const QStringList entries = QDir(folder).entryList(QDir::NoFilter, QDir::Unsorted);
    for (const QString &entry : entries) {
        if (QFontDatabase::addApplicationFont(folder + entry) == -1)
            qCDebug(pryx::lcCore) << "can`t add " << entry;
    }
}

void checkLanguage() { checkLanguage(pryx::processLocaleName()); }

void checkLanguage(const QString &localeName)
{
    const QString key = QStringLiteral("language");
    const QString chosen = pryx::localRegistryValue(key, QString()).toString();
    Setting *setting = Setting::instance();
    if (!chosen.isEmpty()) {
        pryx::setLocalRegistryValue(key, QString());
        setting->setLanguage(chosen);
    } else if (setting->getValue(key).toString().isEmpty()) {
        setting->setLanguage(localeName.toLower().contains("ru") ? QStringLiteral("ru")
                                                                  : QStringLiteral("en"));
    }
    setting->loadTranslation();
}

namespace pryx {

QString initProcessLocale()
{
    const char *name = setlocale(LC_ALL, "");
    if (name) {
        g_localeName = QString::fromLocal8Bit(name);
    } else {
        g_localeName.clear();
        for (const char *var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
            const QString value = qEnvironmentVariable(var);
            if (!value.isEmpty()) {
                g_localeName = value;
                break;
            }
        }
        if (g_localeName.isEmpty())
            g_localeName = QStringLiteral("C");
    }
    return g_localeName;
}

void chooseSceneGraphBackend()
{
    if (!qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND") || !qEnvironmentVariableIsEmpty("QMLSCENE_DEVICE"))
        return;
    QQuickWindow::setSceneGraphBackend(QSGRendererInterface::Software);
}

QString processLocaleName()
{
    if (g_localeName.isEmpty()) {
        const char *name = setlocale(LC_ALL, nullptr);
        return name ? QString::fromLocal8Bit(name) : QString();
    }
    return g_localeName;
}

bool isMacTemporaryScreenshot(const QString &path)
{
    return (path.contains("/TemporaryItems/") || path.contains("/var/folders/"))
        && path.contains("screencaptureui");
}

namespace {

const QStringList &optionWords()
{
    static const QStringList words = {"-debug", "-beta", "-z", "-o", "-updcomp", "-help",
                                      "-full-screen", "-quick-screen", "-screen"};
    return words;
}

// Positions of the arguments that are neither option words nor "-beta" values.
QList<int> plainPositions(const QStringList &args, int *beta = nullptr)
{
    QList<int> optionPositions;
    const int b = args.indexOf("-beta");
    if (beta)
        *beta = b;
    if (b >= 0 && b < args.size() - 2)
        optionPositions << b + 1 << b + 2;
    QList<int> plain;
    for (int i = 1; i < args.size(); ++i) {
        if (optionPositions.contains(i) || optionWords().contains(args.at(i)))
            continue;
        plain << i;
    }
    return plain;
}

} // namespace

CommandLine parseCommandLine(const QStringList &args)
{
    CommandLine cl;
    if (args.size() <= 1)
        return cl;
    cl.help = args.contains("-help");
    int beta = -1;
    const QList<int> positions = plainPositions(args, &beta);
    if (beta >= 0) {
        if (beta >= args.size() - 2) {
            cl.betaHelp = true;
        } else {
            cl.beta = true;
            cl.authHost = args.at(beta + 1);
            cl.apiHost = args.at(beta + 2);
        }
    }
    cl.updcomp = args.contains("-updcomp");
    cl.open = args.contains("-o");
    cl.zip = args.contains("-z");
    cl.fullScreen = args.contains("-full-screen");
    cl.quickScreen = args.contains("-quick-screen");
    cl.screen = args.contains("-screen");

    QStringList plain;
    for (int i : positions)
        plain << args.at(i);
    if (cl.updcomp)
        return cl;
    if (cl.open) {
        cl.openFile = plain.value(0);
        return cl;
    }
    for (const QString &arg : plain) {
        if (!cl.zip && isMacTemporaryScreenshot(arg))
            cl.skipped << arg;
        else
            cl.files << arg;
    }
    return cl;
}

StartAction startAction(const CommandLine &cl)
{
    if (cl.updcomp)
        return StartAction::None;
    if (cl.open)
        return StartAction::Open;
    if (cl.zip)
        return StartAction::Zip;
    if (cl.fullScreen)
        return StartAction::FullScreen;
    if (cl.quickScreen)
        return StartAction::QuickScreen;
    if (cl.screen)
        return StartAction::Screen;
    if (!cl.files.isEmpty())
        return StartAction::Upload;
    return StartAction::None;
}

QStringList absoluteFileArguments(const QStringList &args, const QString &workingDir)
{
    QStringList out = args;
    const QDir dir(workingDir);
    for (int i : plainPositions(args)) {
        const QString arg = args.at(i);
        if (!arg.isEmpty() && QDir::isRelativePath(arg))
            out[i] = QDir::cleanPath(dir.absoluteFilePath(arg));
    }
    return out;
}

QStringList helpLines()
{
    return {"Pryx help -----------------------------",
            "-full-screen - capture full screen",
            "-quick-screen - capture screen and send to pryx",
            "-screen - capture fragment screen",
            "<filename> - send file to pryx",
            "<filename> -z - send file to pryx in zip",
            "-debug - enable debug console output"};
}

QStringList betaHelpLines()
{
    return {"Pryx beta help -----------------------------",
            "-beta <auth url> <api url> - for use beta server"};
}

} // namespace pryx
