#pragma once
// Start-up helpers of the program entry.

#include <QString>
#include <QStringList>

// Registers every font held in the resources (":/font/font/").
void installFont();
// Takes over the installer's language choice once, else picks the language
// from the process locale when none is stored, then reloads the translation.
void checkLanguage();
void checkLanguage(const QString &localeName);

namespace pryx {

// Sets the process locale from the environment and remembers its name.
// When the C library cannot set it (the locale is not installed) the name
// asked for by LC_ALL, LC_MESSAGES or LANG is kept instead.
QString initProcessLocale();
QString processLocaleName();

// Chooses Qt Quick's software scene graph unless the environment names a
// backend (QT_QUICK_BACKEND or QMLSCENE_DEVICE). The pages are flat images
// and text: drawn in software they need no OpenGL context, render thread or
// GL driver, neither while shown nor afterwards, and the capture surface
// shows its picture at least as fast. Call before the first window exists.
void chooseSceneGraphBackend();

// The command line as the program understands it. Option words ("-debug",
// "-beta" with its two values, "-z", "-o", "-updcomp", "-help", the capture
// options) are never files.
struct CommandLine {
    bool help = false;
    bool betaHelp = false;       // "-beta" with fewer than two values
    bool beta = false;
    QString authHost;
    QString apiHost;
    bool updcomp = false;
    bool open = false;           // "-o": openFile is opened in the player
    QString openFile;            // empty when no argument but option words
    bool zip = false;            // "-z": files go into one zip upload
    bool fullScreen = false;     // "-full-screen"
    bool quickScreen = false;    // "-quick-screen"
    bool screen = false;         // "-screen": a region capture
    QStringList files;           // files to upload
    QStringList skipped;         // macOS temporary screenshots left out
};

// What a start asks the program to do, tested in this order.
enum class StartAction { None, Open, Zip, FullScreen, QuickScreen, Screen, Upload };

// args is the application's argument list, the program path first.
CommandLine parseCommandLine(const QStringList &args);
StartAction startAction(const CommandLine &cl);
// args with every file argument made absolute against workingDir, so that
// another process finds the same files.
QStringList absoluteFileArguments(const QStringList &args, const QString &workingDir);
bool isMacTemporaryScreenshot(const QString &path);

QStringList helpLines();
QStringList betaHelpLines();

} // namespace pryx
