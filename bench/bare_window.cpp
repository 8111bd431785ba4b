// The yardstick for Velmora's start-up: a bare Qt program linking the same modules, loading the
// same plugins, and showing one tab window with the given number of widgets.
#include <QApplication>
#include <QLabel>
#include <QMovie>
#include <QPushButton>
#include <QSqlDatabase>
#include <QTabWidget>
#include <QWindow>

#include <cstdio>

class ExposeReporter : public QObject
{
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Expose && static_cast<QWindow *>(watched)->isExposed()) {
            std::fprintf(stderr, "main window exposed\n");
            watched->removeEventFilter(this);
        }
        return false;
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int widgets = argc > 1 ? std::atoi(argv[1]) : 200;
    QSqlDatabase::addDatabase(QStringLiteral("QSQLITE")).setDatabaseName(QStringLiteral(":memory:"));

    QTabWidget window;
    window.resize(640, 489);
    QWidget *page = new QWidget;
    window.addTab(page, QStringLiteral("Page"));
    auto *picture = new QLabel(page);
    auto *movie = new QMovie(QStringLiteral(":/trumpet.gif"), QByteArray(), picture);
    picture->setMovie(movie);
    movie->start();
    for (int i = 3; i < widgets; ++i) {
        auto *button = new QPushButton(QString::number(i), page);
        button->setGeometry(20 * (i % 30), 16 * (i / 30), 20, 16);
    }
    ExposeReporter reporter;
    window.show();
    window.windowHandle()->installEventFilter(&reporter);
    return app.exec();
}
