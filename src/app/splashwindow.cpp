#include "app/splashwindow.h"

#include "app/mainwindow.h"
#include "app/screenfit.h"
#include "ui/animatedpicture.h"
#include "ui/clock.h"
#include "ui/controls.h"
#include "ui/twips.h"

#include <QFrame>
#include <QLayout>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QTimer>

namespace velmora {

namespace {

template <typename Caption>
QLabel *splashLabel(QWidget *parent, const char *name, const Caption &caption, const QRect &geometry, const QFont &font,
                    Qt::Alignment alignment)
{
    QLabel *label = ui::label(parent, name, caption, geometry);
    label->setFont(font);
    label->setAlignment(alignment | Qt::AlignVCenter);
    ui::setTextColour(label, Qt::white);
    return label;
}

QFont arial(qreal points)
{
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(ui::scaled(points));
    font.setBold(true);
    font.setStretch(QFont::Unstretched); // the narrowing is for the "MS Sans Serif" stand-in only
    return font;
}

} // namespace

SplashWindow::SplashWindow(Clock &clock, LoadMainWindow loadMainWindow, QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), m_loadMainWindow(std::move(loadMainWindow))
{
    setObjectName(QStringLiteral("frmSplash"));
    setFixedSize(ui::twipsRect(0, 0, 7380, 4245).size());
    ui::setBackground(this, Qt::black);
    // The fixed dialog frame of the layout, drawn by us: the window itself has none.
    auto *edge = new QFrame(this);
    edge->setFrameStyle(QFrame::Panel | QFrame::Raised);
    edge->setLineWidth(2);
    edge->setGeometry(rect());

    auto *frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setGeometry(ui::twipsRect(120, 60, 7080, 4050));
    ui::setBackground(frame, Qt::black);

    splashLabel(frame, "lblCompanyProduct", QStringLiteral("Velmora"), ui::twipsRect(2640, 705, 2010, 510),
                arial(21.75), Qt::AlignHCenter)
        ->adjustSize();
    m_version = splashLabel(frame, "lblVersion", QStringLiteral("Version"), ui::twipsRect(2640, 1320, 1875, 285),
                            arial(12), Qt::AlignRight);
    splashLabel(frame, "lblPlatform", QStringLiteral("Windows98 "), ui::twipsRect(3000, 1680, 1395, 285), arial(12),
                Qt::AlignRight)
        ->adjustSize();
    animatedPicture(frame, ui::twipsRect(240, 960, 1740, 1305));
    QFont loadingFont = font();
    loadingFont.setBold(true);
    loadingFont.setItalic(true);
    splashLabel(frame, "Label2", QT_TRANSLATE_NOOP("Velmora", "Velmora is now loading............"),
                ui::twipsRect(120, 2760, 6855, 255), loadingFont, Qt::AlignHCenter);

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(100);
    // The splash goes after the first tick; a timer that outlived it would load a second window.
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &SplashWindow::Timer1_Timer);

    Form_Load();
    clock.start(*m_timer);
}

void SplashWindow::Form_Load()
{
    m_version->setText(QStringLiteral("Version ") + versionNumber());
    m_version->adjustSize();
}

void SplashWindow::Timer1_Timer()
{
    m_timer->stop();
    // The splash stays on the screen while the start sound plays.
    m_loadMainWindow([splash = QPointer<SplashWindow>(this)](QWidget *mainWindow) {
        centreOnScreen(mainWindow);
        mainWindow->show();
        // Closing the splash only now keeps a window open throughout, so the program does not end.
        if (splash)
            splash->close();
    });
}

} // namespace velmora
