#include "ui/look.h"

#include "ui/style.h"
#include "ui/twips.h"

#include <QApplication>
#include <QEvent>
#include <QFont>
#include <QFontDatabase>
#include <QIcon>

namespace velmora {

QFont formFont()
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(ui::scaled(8.25));
    font.setStretch(92);
    return font;
}

namespace {

// A palette or a font the desktop sets on the application (a dark theme, qt6ct's own font, a
// theme change while the program runs) overrides ours, and the fixed layout has room only for
// its own, so ours is put back whenever one arrives.
class LookKeeper : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != qApp)
            return false;
        if (event->type() == QEvent::ApplicationPaletteChange) {
            const QPalette ours = VelmoraStyle::fixedPalette();
            if (!(QApplication::palette() == ours))
                QApplication::setPalette(ours);
        } else if (event->type() == QEvent::ApplicationFontChange) {
            const QFont ours = formFont();
            if (QApplication::font() != ours)
                QApplication::setFont(ours);
        }
        return false;
    }
};

} // namespace

void applyLook(QApplication &app)
{
    // Owned by the application it keeps: another application object gets its own.
    const QString keeperName = QStringLiteral("velmora-look-keeper");
    if (!app.findChild<QObject *>(keeperName, Qt::FindDirectChildrenOnly)) {
        auto *keeper = new LookKeeper(&app);
        keeper->setObjectName(keeperName);
        app.installEventFilter(keeper);
    }
    for (const char *face : {"Regular", "Bold", "Italic", "BoldItalic"})
        QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/LiberationSans-%1.ttf").arg(QLatin1String(face)));
    app.setStyle(new VelmoraStyle);
    app.setPalette(VelmoraStyle::fixedPalette());
    // Liberation Sans has Arial's metrics, the closest to the form's font among free fonts.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
    app.setFont(formFont());
    app.setWindowIcon(QIcon(QStringLiteral(":/icon.png")));
}

} // namespace velmora
