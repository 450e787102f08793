#include <QApplication>
#include <QDebug>

#include <cstdio>
#include <cstring>

#include "core/core.h"
#include "core/singleapplication.h"
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
    }

    // A program that already runs takes this start's command line.
    SingleApplication guard;
    switch (guard.start(args)) {
    case SingleApplication::HandedOver:
        qCDebug(pryx::lcCore) << "SingleApplication: Pryx already runs, the command line was handed to it";
        delete app;
        return 0;
    case SingleApplication::Alone:
        qCDebug(pryx::lcCore) << "SingleApplication: another instance runs but does not answer";
        break;
    case SingleApplication::First:
        break;
    }

    if (cl.beta) {
        printLines({"!!!!!!! ------------------- START BETA MODE --------------------- !!!!!!",
                    "!!!!!!! ------------------- " + cl.authHost + " " + cl.apiHost
                        + "  --------------------- !!!!!!"});
        Core::instance()->setApiHost(cl.apiHost);
        Core::instance()->setAuthHost(cl.authHost);
    }

    qCDebug(pryx::lcCore) << "Calling Core::instance()->updateHook()...";
    Core::instance()->updateHook();
    // The fonts are for the pages: registered once the tray icon is up,
    // before the first page loads.
    installFont();

    qCDebug(pryx::lcCore) << "Setting up signal/slot connections...";
    Core *core = Core::instance();
    QObject::connect(&guard, &SingleApplication::runnigSecondCopy, core, &Core::showMainWindow);
    QObject::connect(&guard, &SingleApplication::uploadFile, core, &Core::uploadData);
    QObject::connect(&guard, &SingleApplication::uploadFileInZip, core, &Core::uploadDataZip);
    QObject::connect(&guard, &SingleApplication::openAudioImageFile, core, &Core::openAudioImage);
    QObject::connect(&guard, &SingleApplication::fullScreen, core, &Core::fullScreen);
    QObject::connect(&guard, &SingleApplication::quickScreen, core, &Core::quickScreen);
    QObject::connect(&guard, &SingleApplication::screen, core, &Core::fragmentScreen);
    qCDebug(pryx::lcCore) << "Processing command line arguments...";
    if (args.size() > 1 && !cl.updcomp) {
        switch (pryx::startAction(cl)) {
        case pryx::StartAction::Open:
            qCDebug(pryx::lcCore) << "Opening image with audio:" << cl.openFile;
            if (!cl.openFile.isEmpty())
                core->openAudioImage(cl.openFile);
            break;
        case pryx::StartAction::Zip:
            qCDebug(pryx::lcCore) << "Files to upload in zip:" << cl.files;
            core->uploadDataZip(cl.files);
            break;
        case pryx::StartAction::FullScreen:
            qCDebug(pryx::lcCore) << "Full screen capture at start";
            core->captureAtStart(&Core::fullScreen);
            break;
        case pryx::StartAction::QuickScreen:
            qCDebug(pryx::lcCore) << "Quick capture at start";
            core->captureAtStart(&Core::quickScreen);
            break;
        case pryx::StartAction::Screen:
            qCDebug(pryx::lcCore) << "Region capture at start";
            core->captureAtStart(&Core::fragmentScreen);
            break;
        case pryx::StartAction::Upload:
        case pryx::StartAction::None:
            for (const QString &path : cl.skipped)
                qCDebug(pryx::lcCore) << "Ignoring macOS temporary screenshot:" << path;
            qCDebug(pryx::lcCore) << "Arguments:" << args;
            qCDebug(pryx::lcCore) << "Files to upload:" << cl.files;
            if (!cl.files.isEmpty())
                core->uploadData(cl.files);
            break;
        }
    }

    qCDebug(pryx::lcCore) << "Calling checkLanguage()...";
    checkLanguage();

    qCDebug(pryx::lcCore) << "About to call checkAutorization()";
    Core::instance()->checkAutorization();

    guard.acceptMessages();

    qCDebug(pryx::lcCore) << "About to start main event loop with gApp.exec()";
    if (QApplication::instance()) {
        qCDebug(pryx::lcCore) << "QApplication is valid, starting event loop...";
        return QApplication::exec();
    }
    qCDebug(pryx::lcCore) << "ERROR: QApplication instance is null!";
    return -1;
}
