#include "app/aboutpage.h"

#include "ui/animatedpicture.h"
#include "ui/captions.h"
#include "ui/shapes.h"
#include "sound/soundplayer.h"
#include "ui/pressgate.h"
#include "ui/controls.h"
#include "ui/twips.h"

#include <QFrame>
#include <QLabel>
#include <QMouseEvent>

namespace velmora {

AboutPage::AboutPage(QTabWidget *tabControl, PressGate &presses) : TabPage(tabControl), m_presses(presses)
{
    auto *frame = new QFrame(canvas());
    frame->setObjectName(QStringLiteral("Frame8"));
    frame->setGeometry(ui::twipsRect(240, 840, 9015, 5655));
    frame->setFrameShape(QFrame::NoFrame);
    ui::setAccessibleCaption(frame, QT_TRANSLATE_NOOP("Velmora", "About Velmora"));
    ui::setBackground(frame, Qt::black);

    const QColor red(0xFF, 0, 0);
    m_productName = ui::label(frame, "Label6", QT_TRANSLATE_NOOP("Velmora", "Velmora"), ui::twipsRect(240, 360, 1815, 735));
    QFont big = m_productName->font();
    big.setPointSizeF(ui::scaled(18));
    m_productName->setFont(big);
    m_productName->setAlignment(Qt::AlignLeft | Qt::AlignTop); // where Windows puts a label's text
    ui::setTextColour(m_productName, red);
    ui::setToolTipCaption(m_productName, QT_TRANSLATE_NOOP("Velmora", "Play Tune?"));
    m_productName->setCursor(Qt::WhatsThisCursor);
    m_productName->installEventFilter(this);

    m_version = ui::label(frame, "Version", QT_TRANSLATE_NOOP("Velmora", "Version:  "), ui::twipsRect(6240, 600, 1455, 255));
    ui::setTextColour(m_version, red);

    const QColor grey(0xC0, 0xC0, 0xC0);
    new LineShape(frame, "Line2", {240, 960}, {8760, 960}, grey);
    animatedPicture(frame, ui::twipsRect(360, 2520, 1740, 1305));
    new LineShape(frame, "Line3", {240, 4800}, {8760, 4800}, grey);
}

void AboutPage::setVersionText(const QString &text)
{
    m_version->setText(text);
}

void AboutPage::Label6_Click()
{
    m_presses.playHeld(sounds::Start);
}

bool AboutPage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_productName && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton
        && m_productName->rect().contains(static_cast<QMouseEvent *>(event)->position().toPoint())) {
        m_presses.run(this, [this] { Label6_Click(); });
        return true;
    }
    return TabPage::eventFilter(watched, event);
}

} // namespace velmora
