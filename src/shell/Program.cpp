// Program entry: one copy per user, the main window, and every way out.

#include "CommandLineRunner.h"
#include "DataFolder.h"
#include "SignalWatcher.h"
#include "StartupProfile.h"
#include "SingleInstance.h"
#include "MainWindow.h"

#include <QApplication>
#include <chrono>
#include <QSessionManager>

#include <csignal>

using namespace morvane;
using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    // A save past a file-size limit must fail like a full disk and be
    // reported, not kill the program half way.
    std::signal(SIGXFSZ, SIG_IGN);
    // The ffmpeg sound back end fails on machines without an audio device.
    if (!qEnvironmentVariableIsSet("QT_MEDIA_BACKEND"))
        qputenv("QT_MEDIA_BACKEND", "gstreamer");
    // The start, for MORVANE_PROFILE_STARTUP.
    const qint64 started = std::chrono::duration_cast<std::chrono::milliseconds>(
                               std::chrono::steady_clock::now().time_since_epoch())
                               .count();
    StartupMark("main entered (libraries loaded)");
    // Commands from a terminal need no display: they run before anything
    // that would open one.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    if (WantsCommandLine(args)) {
        QCoreApplication core(argc, argv);
        QCoreApplication::setOrganizationName(u"Helmsworth Corporation"_s);
        QCoreApplication::setApplicationName(u"Task"_s);
        QCoreApplication::setApplicationVersion(QStringLiteral(MORVANE_VERSION));
        (void)PrepareProgramFolder();
        return RunCommandLine(ParseCommandLine(args), ProgramFolder());
    }
    QApplication app(argc, argv);
    StartupMark("QApplication");
    app.setProperty("morvaneStartMs", started);
    QApplication::setOrganizationName(u"Helmsworth Corporation"_s);
    QApplication::setApplicationName(u"Task"_s);
    QApplication::setApplicationDisplayName(u"Morvane"_s);
    // Hiding the window to the notification area must not end the program.
    QApplication::setQuitOnLastWindowClosed(false);

    SingleInstance instance;
    if (instance.start() != SingleInstance::Start::First)
        return 0;  // handed over to the running copy, or another copy is stuck starting
    StartupMark("single-instance check");

    // An installed copy's first start fills the person's data folder with
    // the shipped files. A file that could not be copied is reported by what
    // needs it: the task files at once, the alarm sound by the sound.
    (void)PrepareProgramFolder();
    StartupMark("data folder");
    SettingsStore settings;
    SystemClock clock;
    WidgetPrompts prompts;
    ExecRunner runner;
    QtSoundPlayer sound;
    DBusNotifier notifier;
    DesktopFileLauncher launcher;
    const bool autoStart = settings.read(BoolSetting{"Options", "AutoStart", false});
    StartupMark("services (settings, sound, notifier)");

    // Made before the main window, so that the grace time of a way out keeps
    // running while the window is taken down.
    SignalWatcher watcher;
    TfrmMain frmMain({clock, prompts, runner, settings, sound, ProgramFolder(),
                      QCoreApplication::applicationFilePath(), ReleaseDate(),
                      [](int code) { QCoreApplication::exit(code); }, &notifier, &launcher});
    prompts.setParent(&frmMain);
    if (!frmMain.created())
        return 1;
    instance.releaseStartLock();
    StartupMark("main window made");
    instance.setRequestHandler([&](const QByteArray &request) { return frmMain.answerRequest(request); });
    QObject::connect(&instance, &SingleInstance::activateRequested, &frmMain,
                     [&] { frmMain.guard([&] { frmMain.Showcalendar1Click(); }); });

    QObject::connect(&watcher, &SignalWatcher::endRequested, &frmMain, [&] { frmMain.endSession(); });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &frmMain,
                     [&](QSessionManager &) { frmMain.endSession(); });

    if (autoStart && frmMain.trayAvailable())
        frmMain.ReadSettings(true);  // sits in the notification area until shown
    else if (autoStart)
        frmMain.showMinimized();
    else
        frmMain.show();
    StartupMark("shown");
    return app.exec();
}
