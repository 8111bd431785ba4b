// The look on any desktop: exact button colours, greyed disabled text, whole check boxes, one face
// colour, and a desktop palette (a dark one) that changes nothing.
#include "testsupport.h"
#include "app/screenfit.h"
#include "app/splashwindow.h"
#include "ui/captions.h"
#include "ui/twips.h"
#include "ui/look.h"
#include "ui/style.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFontInfo>
#include <QLabel>
#include <QScopeGuard>
#include <QScreen>
#include <QGroupBox>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QTabWidget>
#include <QTemporaryDir>

using namespace velmora;
using velmora::test::Harness;

namespace {

QPalette darkDesktopPalette()
{
    QPalette dark(QColor(0xEE, 0xEE, 0xEE), QColor(0x2A, 0x2E, 0x32));
    dark.setColor(QPalette::WindowText, QColor(0xFC, 0xFC, 0xFC));
    dark.setColor(QPalette::Text, QColor(0xFC, 0xFC, 0xFC));
    dark.setColor(QPalette::Base, QColor(0x1B, 0x1E, 0x20));
    return dark;
}

bool near(QColor a, QColor b, int within = 3)
{
    return std::abs(a.red() - b.red()) <= within && std::abs(a.green() - b.green()) <= within
        && std::abs(a.blue() - b.blue()) <= within;
}

QColor pixel(QWidget *widget, QPoint at)
{
    return widget->grab().toImage().pixelColor(at * widget->devicePixelRatioF());
}

} // namespace

class TestLook : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { applyLook(*qApp); }
    void cleanup() { QApplication::setPalette(darkDesktopPalette()); QApplication::setPalette(QPalette()); }

    void buttonFacesShowTheirColour_data()
    {
        QTest::addColumn<QString>("button");
        for (const char *name : {"Command2", "Command7", "Command12", "Command29", "Command26", "Option_D", "Option_C", "Command1"})
            QTest::newRow(name) << name;
    }
    void buttonFacesShowTheirColour()
    {
        QFETCH(QString, button);
        Harness h;
        QVERIFY(h.show());
        auto *widget = h.find<QPushButton>(button);
        widget->clearFocus(); // the opening go button starts with the focus ring over its face
        const QColor face = pixel(widget, QPoint(3, widget->height() / 2));
        QVERIFY2(near(face, widget->palette().color(QPalette::Button)), qPrintable(face.name()));
    }

    void disabledButtonTextIsGrey()
    {
        Harness h;
        QVERIFY(h.show());
        auto *disabled = h.find<QPushButton>("Command23");
        QVERIFY(!disabled->isEnabled());
        const QImage image = disabled->grab().toImage();
        int darkest = 255;
        for (int y = 3; y < image.height() - 3; ++y) {
            for (int x = 3; x < image.width() - 3; ++x)
                darkest = std::min(darkest, qGray(image.pixel(x, y)));
        }
        QVERIFY2(darkest > 0x60, qPrintable(QString::number(darkest))); // no black text
        QVERIFY(darkest < qGray(disabled->palette().color(QPalette::Button).rgb())); // but some text
    }

    void checkBoxesAreWhole()
    {
        Harness h;
        for (QCheckBox *box : h.window.findChildren<QCheckBox *>()) {
            QStyleOptionButton option;
            option.initFrom(box);
            const QRect indicator = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
            QVERIFY2(indicator.top() >= 0 && indicator.bottom() < box->height(), qPrintable(box->objectName()));
        }
    }

    void oneFaceWhateverTheDesktopPalette_data()
    {
        QTest::addColumn<bool>("before"); // the desktop's palette arrives before the window is built
        QTest::newRow("dark palette before") << true;
        QTest::newRow("dark palette after") << false;
    }
    void oneFaceWhateverTheDesktopPalette()
    {
        QFETCH(bool, before);
        if (before)
            QApplication::setPalette(darkDesktopPalette());
        QTemporaryDir dir;
        const QString data = test::writeDefaultDatabase(dir.filePath(QStringLiteral("one-chord.sqlite")));
        test::editDatabase(data, {"DELETE FROM \"Ladders\" WHERE \"Toonsoort\" <> 'D'",
                                  "DELETE FROM \"chort-sort\" WHERE plugin <> 'dom13_b5'"});
        Harness h(false, data);
        QVERIFY(h.show());
        if (!before)
            QApplication::setPalette(darkDesktopPalette());
        QCoreApplication::processEvents();
        const QColor face(VelmoraStyle::Face);
        auto *tabs = h.find<QTabWidget>("SSTab1");
        // Seen as the window paints them: a page and a frame show what lies behind them.
        QWidget *client = h.window.centralWidget();
        const QColor strip = pixel(client, h.find("Label20")->geometry().topRight() + QPoint(20, 2));
        QVERIFY2(near(strip, face), qPrintable(strip.name()));
        const QColor page = pixel(client, tabs->currentWidget()->mapTo(client, QPoint(10, 10)));
        QVERIFY2(near(page, face, 0), qPrintable(QStringLiteral("tab page ") + page.name()));
        auto *frame = h.find<QGroupBox>("Frame1");
        const QColor inFrame = pixel(client, frame->mapTo(client, QPoint(frame->width() - 10, frame->height() - 10)));
        QVERIFY2(near(inFrame, face, 0), qPrintable(QStringLiteral("frame ") + inFrame.name()));
        // A chord with signs (D "Dom    13   b5": F# and Ab): each sign shown is drawn dark on the staff.
        h.click("Command1");
        QWidget *staff = h.find("Picture1");
        const QImage picture = staff->grab().toImage();
        int signs = 0;
        for (QLabel *sign : staff->findChildren<QLabel *>()) {
            if (sign->isHidden())
                continue;
            ++signs;
            int darkest = 255;
            const QRect at(sign->geometry().topLeft() * staff->devicePixelRatioF(), sign->size() * staff->devicePixelRatioF());
            for (int y = at.top(); y <= at.bottom(); ++y) {
                for (int x = at.left(); x <= at.right(); ++x)
                    darkest = std::min(darkest, qGray(picture.pixel(x, y)));
            }
            QVERIFY2(darkest < 80, qPrintable(sign->objectName()));
        }
        QVERIFY(signs >= 2);
    }

    // Run again with the machine's Liberation fonts masked (see CMakeLists.txt): the font comes
    // from the program. A platform theme (qt6ct, a desktop's settings) sets its own font on the
    // application, at start or while the program runs.
    void captionsFitTheirControls_data()
    {
        QTest::addColumn<int>("themeFont"); // 0: none, 1: before the window is built, 2: after it is shown
        QTest::newRow("the program's font") << 0;
        QTest::newRow("a theme's font at start") << 1;
        QTest::newRow("a theme's font while running") << 2;
        QTest::newRow("plain English captions") << 3;
    }
    void captionsFitTheirControls()
    {
        QFETCH(int, themeFont);
        const QFont theme(QStringLiteral("DejaVu Sans"), 14);
        if (themeFont == 1)
            QApplication::setFont(theme);
        if (themeFont == 3)
            QVERIFY(ui::setPlainEnglish(true));
        const auto original = qScopeGuard([] { ui::setPlainEnglish(false); });
        Harness h;
        QVERIFY(h.show());
        // The tab strip keeps its row, whatever its captions say.
        QVERIFY(h.find<QTabWidget>("SSTab1")->tabBar()->sizeHint().width() <= h.find("SSTab1")->width());
        if (themeFont == 2) {
            QApplication::setFont(theme);
            QCoreApplication::processEvents();
        }
        QCOMPARE(QFontInfo(h.find("Label5")->font()).family(), QStringLiteral("Liberation Sans"));
        const QStringList tooWide = captionsTooWide(h.window);
        QVERIFY2(tooWide.isEmpty(), qPrintable(tooWide.join(QStringLiteral(", "))));
    }

    // Run again on a 1366 x 768 screen at 150 % (see CMakeLists.txt), whose available area a panel
    // makes shorter still: the window is laid out smaller, and nothing of it is cut, the score bar
    // included.
    void theWindowFitsTheScreen_data()
    {
        QTest::addColumn<bool>("scoreShown");
        QTest::newRow("as made") << false;
        QTest::newRow("with the score bar") << true;
    }
    void theWindowFitsTheScreen()
    {
        QFETCH(bool, scoreShown);
        const int staffWidth = Harness().find("Picture1")->width(); // at 100 %
        const QScreen *screen = QGuiApplication::primaryScreen();
        const QRect available = screen->availableGeometry().adjusted(0, 0, 0, -40);
        ui::setLayoutScale(fittingLayoutScale(available, screen->geometry().size(), screen->devicePixelRatio()));
        QApplication::setFont(formFont());
        const auto restore = qScopeGuard([] {
            ui::setLayoutScale(1);
            QApplication::setFont(formFont());
        });
        Harness h;
        h.window.findChild<QAction *>("ShowScore")->setChecked(scoreShown);
        centreIn(&h.window, available);
        QVERIFY(h.show());
        QVERIFY2(available.contains(h.window.frameGeometry()) && h.window.height() + FrameHeightAllowance <= available.height(),
                 qPrintable(QStringLiteral("%1x%2 at %3,%4").arg(h.window.frameGeometry().width()).arg(h.window.frameGeometry().height())
                                .arg(h.window.frameGeometry().x()).arg(h.window.frameGeometry().y())));
        const QStringList tooWide = captionsTooWide(h.window);
        QVERIFY2(tooWide.isEmpty(), qPrintable(tooWide.join(QStringLiteral(", "))));
        // Scaled together: the staff keeps its place in its frame, the status line its row.
        const double scale = ui::layoutScale();
        QVERIFY(std::abs(h.find("Picture1")->width() - staffWidth * scale) <= 1);
        QVERIFY(h.find("Label20")->geometry().bottom() < h.window.centralWidget()->height());
        if (screen->devicePixelRatio() > 1)
            QVERIFY2(scale < 1, qPrintable(QString::number(scale)));
        else
            QCOMPARE(scale, 1.0); // a screen of 800 x 600 or more at 100 %: nothing changes
    }

private:
    static QStringList captionsTooWide(QWidget &window)
    {
        QStringList tooWide;
        for (QWidget *widget : window.findChildren<QWidget *>()) {
            QString text;
            int room = widget->width();
            if (auto *label = qobject_cast<QLabel *>(widget); label && !label->wordWrap() && !label->text().contains(QLatin1Char('\n'))) {
                text = label->text();
            } else if (auto *box = qobject_cast<QCheckBox *>(widget)) {
                QStyleOptionButton option;
                option.initFrom(box);
                text = box->text();
                room = box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box).width();
            } else if (auto *button = qobject_cast<QPushButton *>(widget)) {
                text = button->text();
                room -= 4; // the bevel
            }
            // The layout itself cuts these two.
            if (text.trimmed().isEmpty() || widget->objectName() == QLatin1String("check1_mixup"))
                continue;
            const int width = QFontMetrics(widget->font()).horizontalAdvance(text);
            if (width > room)
                tooWide << QStringLiteral("%1 (%2 > %3)").arg(widget->objectName()).arg(width).arg(room);
        }
        return tooWide;
    }

private slots:

    void splashHasARaisedDialogFrame()
    {
        test::ManualClock clock; // never ticks: no main window to load here
        SplashWindow splash(clock, [](auto) {});
        const QImage image = splash.grab().toImage();
        const QColor topLeft = image.pixelColor(0, 0), bottomRight = image.pixelColor(image.width() - 1, image.height() - 1);
        QVERIFY2(topLeft.lightness() > 200, qPrintable(topLeft.name()));      // lit edge
        QVERIFY2(bottomRight.lightness() < 160 && bottomRight != QColor(Qt::black), qPrintable(bottomRight.name())); // shaded edge
    }
};

QTEST_MAIN(TestLook)
#include "tst_look.moc"
