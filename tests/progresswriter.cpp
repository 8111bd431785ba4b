// Keeps answers in the progress file named on its command line, one after another, saying on its
// standard output how many are committed, until it is killed.
#include "practice/progressstore.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    velmora::ProgressStore store;
    if (argc != 2 || !store.open(QString::fromLocal8Bit(argv[1])).isEmpty())
        return 1;
    for (int kept = 1;; ++kept) {
        const velmora::KeptAnswer answer{QDateTime::currentDateTime(), QStringLiteral("Chords"), {QStringLiteral("C"), QStringLiteral("maj_3")},
                                         QStringLiteral("C, Majeur 3"), true, true, false, 1000};
        if (!store.keep(answer).isEmpty())
            return 1;
        std::printf("%d\n", kept - store.waitingAnswers()); // committed, not those waiting for a lock
        std::fflush(stdout);
    }
}
