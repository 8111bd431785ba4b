#include "app/commandline.h"
#include "ui/captions.h"
#include "ui/clock.h"
#include "ui/look.h"
#include "app/mainwindow.h"
#include "ui/prompter.h"
#include "music/random.h"
#include "sound/soundplayer.h"
#include "app/screenfit.h"
#include "app/splashwindow.h"
#include "app/terminationsignals.h"
#include "music/files/privatefolder.h"
#include "ui/twips.h"

#include <QApplication>
#include <QScreen>

#include <cstdio>
#include <memory>

int main(int argc, char *argv[])
{
    // Answered before any window system is needed.
    QStringList raw;
    for (int i = 0; i < argc; ++i)
        raw << QString::fromLocal8Bit(argv[i]);
    if (const velmora::CommandLine asked = velmora::CommandLine::parse(raw); asked.help || asked.version) {
        if (asked.help)
            std::fputs(velmora::Usage, stdout);
        else
            std::printf("velmora %s\n", VELMORA_VERSION);
        return 0;
    }
    // Before any folder of this start's own exists.
    velmora::removeLeftPrivateFolders();
    QApplication app(argc, argv);
    velmora::TerminationSignals termination;
    QObject::connect(&termination, &velmora::TerminationSignals::endRequested, &app, [] { QCoreApplication::exit(0); });
    // The desktop entry's name lets window managers and Wayland compositors match the window to
    // its entry and icon. No display name: Qt would append it to every window title.
    QApplication::setApplicationName(QStringLiteral("velmora"));
    QApplication::setApplicationVersion(velmora::versionNumber());
    QGuiApplication::setDesktopFileName(QStringLiteral(VELMORA_APP_ID));
    velmora::applyLook(app);
    // A window too large for the screen at its scale (150 % on a laptop) is laid out smaller.
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        velmora::ui::setLayoutScale(
            velmora::fittingLayoutScale(screen->availableGeometry(), screen->geometry().size(), screen->devicePixelRatio()));
        QApplication::setFont(velmora::formFont());
    }
    const velmora::CommandLine line = velmora::CommandLine::parse(QApplication::arguments());
    // Before the splash, so that every window opens in the captions asked for.
    if (line.plainEnglish)
        velmora::ui::setPlainEnglish(true);

    velmora::MessageBoxPrompter prompter;
    velmora::ServerSoundPlayer sound;
    velmora::ClockSeededRandom random;
    velmora::Clock clock;
    std::unique_ptr<velmora::MainWindow> mainWindow;

    auto *splash = new velmora::SplashWindow(clock, [&](auto loaded) {
        mainWindow = std::make_unique<velmora::MainWindow>(velmora::Services{prompter, sound, random, clock}, line.cheatMode,
                                                           line.listen);
        prompter.setParent(mainWindow.get());
        QObject::connect(mainWindow.get(), &velmora::MainWindow::quitRequested, &app, &QApplication::quit);
        mainWindow->Form_Load([window = mainWindow.get(), loaded] { loaded(window); });
    });
    splash->setAttribute(Qt::WA_DeleteOnClose);
    velmora::centreOnScreen(splash);
    splash->show();
    return app.exec();
}
