#pragma once

// How a music file Velmora cannot use must end, whatever is wrong with it: named once with its
// cause, the built-in data serving, the data checker naming the same cause, soon, and nothing
// written beside it.
#include "dbcheck/dbcheck.h"
#include "music/musicdatabase.h"
#include "testdata.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTest>

namespace velmora::test {

inline void expectNamedOnce(const QString &path, const QString &cause, int withinMs)
{
    const QString dir = QFileInfo(path).absolutePath();
    const QStringList before = listing(dir);
    QElapsedTimer clock;
    clock.start();
    {
        MusicDatabase db(builtExporter());
        const QString problem = MusicDatabase::toSay(db.open(path));
        QVERIFY2(problem.contains(cause) && problem.contains(path), qPrintable(problem));
        QVERIFY2(!problem.contains(QLatin1String("Unable to")), qPrintable(problem));
        QVERIFY(db.usingBuiltIn());
        QVERIFY2(problem.contains(QLatin1String("built-in music data")), qPrintable(problem));
        const Expected<MusicDatabase::Notice> press = db.refresh();
        QCOMPARE(MusicDatabase::toSay(press), QString()); // said once
        QVERIFY(press.ok());
        QCOMPARE(*RecordCursor(db.connectionName(), tables::ChordKinds).count(), 28);
    }
    QStringList output;
    QVERIFY(runDbCheck(path, &output, builtExporter()) != 0);
    QVERIFY2(output.join(QLatin1Char('\n')).contains(cause), qPrintable(output.join(QLatin1Char('\n'))));
    QVERIFY2(clock.elapsed() < withinMs, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(listing(dir), before);
}

} // namespace velmora::test
