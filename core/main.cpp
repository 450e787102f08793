#include <QApplication>
#include <QDebug>

#include <cstdio>
#include <cstring>

#include "core/core.h"
#include "core/startup.h"
#include "platform/debugoutput.h"
#include "core/corelog.h"

namespace {
void printLines(const QStringList &lines)
{
    for (const QString &line : lines)
        fprintf(stdout, "%s\n", line.toLocal8Bit().constData());
    fflush(stdout);
}
} // namespace

int main(int argc, char **argv)
{
    pryx::initProcessLocale();

    bool debugMode = false;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "-debug") == 0)
            debugMode = true;
    }
    pryx::installMessageHandler(debugMode);
    if (debugMode)
        qCDebug(pryx::lcCore) << "=== PRYX DEBUG MODE ENABLED ===";

    QApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    pryx::chooseSceneGraphBackend();
    auto *app = new QApplication(argc, argv);

    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setApplicationVersion(PRYX_VERSION);
    QApplication::setApplicationName("Pryx");
    qCDebug(pryx::lcCore) << "SingleApplication disabled for debugging...";

    const QStringList args = QApplication::arguments();
    const pryx::CommandLine cl = pryx::parseCommandLine(args);
    if (args.size() > 1) {
        qCDebug(pryx::lcCore) << "indexOf help" << args.indexOf("-help");
        if (cl.help) {
            printLines(pryx::helpLines());
            delete app;
            return 0;
        }
        if (cl.betaHelp) {
            printLines(pryx::betaHelpLines());
            delete app;
            return 0;
        }
        if (cl.beta) {
            printLines({"!!!!!!! ------------------- START BETA MODE --------------------- !!!!!!",
                        "!!!!!!! ------------------- " + cl.authHost + " " + cl.apiHost
                            + "  --------------------- !!!!!!"});
            Core::instance()->setApiHost(cl.apiHost);
            Core::instance()->setAuthHost(cl.authHost);
        }
    }

    qCDebug(pryx::lcCore) << "Calling Core::instance()->updateHook()...";
    Core::instance()->updateHook();
    // The fonts are for the pages: registered once the tray icon is up,
    // before the first page loads.
    installFont();

    qCDebug(pryx::lcCore) << "Setting up signal/slot connections...";
    qCDebug(pryx::lcCore) << "Processing command line arguments...";
    if (args.size() > 1 && !cl.updcomp) {
        if (cl.open) {
            qCDebug(pryx::lcCore) << "Opening image with audio:" << cl.openFile;
            if (!cl.openFile.isEmpty())
                Core::instance()->openAudioImage(cl.openFile);
        } else if (!cl.zip) {
            for (const QString &path : cl.skipped)
                qCDebug(pryx::lcCore) << "Ignoring macOS temporary screenshot:" << path;
            qCDebug(pryx::lcCore) << "Arguments:" << args;
            qCDebug(pryx::lcCore) << "Files to upload:" << cl.files;
            if (!cl.files.isEmpty())
                Core::instance()->uploadData(cl.files);
        } else {
            qCDebug(pryx::lcCore) << "Files to upload in zip:" << cl.files;
            Core::instance()->uploadDataZip(cl.files);
        }
    }

    qCDebug(pryx::lcCore) << "Calling checkLanguage()...";
    checkLanguage();

    qCDebug(pryx::lcCore) << "About to call checkAutorization()";
    Core::instance()->checkAutorization();

    qCDebug(pryx::lcCore) << "About to start main event loop with gApp.exec()";
    if (QApplication::instance()) {
        qCDebug(pryx::lcCore) << "QApplication is valid, starting event loop...";
        return QApplication::exec();
    }
    qCDebug(pryx::lcCore) << "ERROR: QApplication instance is null!";
    return -1;
}
