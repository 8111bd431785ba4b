#include "exercises/intervals/intervals.h"
#include "music/musicdatabase.h"
#include "music/random.h"
#include "testdata.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <QTest>

#include <cmath>

using namespace velmora;

namespace {

QByteArray digest(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

} // namespace

class TestMusicDatabase : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;

private slots:
    void init() { m_path = test::writeDefaultDatabase(m_dir.filePath(QStringLiteral("Chords-VB.mdb"))); }

    void drawIndex_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<double>("r");
        QTest::addColumn<int>("index");
        QTest::newRow("one record, r = 0") << 1 << 0.0 << 0;
        QTest::newRow("one record, r just below 1") << 1 << test::JustBelowOne << 0;
        QTest::newRow("fifteen, r just below 1") << 15 << test::JustBelowOne << 14;
        QTest::newRow("fifteen, middle") << 15 << 0.5 << 7;
        QTest::newRow("huge table, r just below 1") << 2147483647 << test::JustBelowOne << 2147483646;
        QTest::newRow("single precision's nearest to 1") << 100000 << double(std::nextafter(1.0f, 0.0f)) << 99999;
    }
    void drawIndex()
    {
        QFETCH(int, index);
        QFETCH(int, count);
        QFETCH(double, r);
        QCOMPARE(velmora::drawIndex(count, r), index);
    }

    void generatorNeverReachesOne()
    {
        QVERIFY(unitFromBits(~std::uint64_t(0)) < 1.0);
        QCOMPARE(unitFromBits(0), 0.0);
    }

    void codeStoredTwiceIsDrawnTwiceAsOften()
    {
        test::editDatabase(m_path, {"DELETE FROM \"chort-sort\"",
                                    "INSERT INTO \"chort-sort\" VALUES ('maj_3'), ('min_3'), ('min_3')"});
        MusicDatabase db;
        QVERIFY(MusicDatabase::toSay(db.open(m_path)).isEmpty());
        RecordCursor kinds(db.connectionName(), tables::ChordKinds);
        SeededRandom random(11);
        int once = 0, twice = 0;
        for (int i = 0; i < 3000; ++i) {
            const QString code = *kinds.countAndDraw(random)->field(QStringLiteral("plugin"));
            (code == QLatin1String("maj_3") ? once : twice)++;
        }
        QVERIFY2(twice > 1.7 * once && twice < 2.3 * once, qPrintable(QStringLiteral("%1 vs %2").arg(twice).arg(once)));
    }

    void cursorStepsLikeTheTable()
    {
        MusicDatabase db;
        db.open(m_path);
        RecordCursor ladders(db.connectionName(), tables::Ladders);
        // Record k of N is the (k+1)-th in the table's own order, the last one included.
        QCOMPARE(*ladders.draw(15, 0.0)->field(QStringLiteral("Toonsoort")), QStringLiteral("C"));
        QCOMPARE(*ladders.draw(15, 14.5 / 15)->field(QStringLiteral("Toonsoort")), QStringLiteral("Cb"));
        // One past the end: a count that no longer holds gives a reason, not a record.
        QVERIFY(!ladders.draw(16, 15.5 / 16));
    }

    void failuresNameTableAndField_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QStringList>("mentions");
        QTest::newRow("empty table") << "DELETE FROM \"Intervallen\"" << QStringList{"Intervallen", "no records"};
        QTest::newRow("table vanished") << "DROP TABLE \"Intervallen\"" << QStringList{"Intervallen"};
        QTest::newRow("absent value") << "UPDATE \"Intervallen\" SET \"direction\" = NULL" << QStringList{"Intervallen", "direction"};
        QTest::newRow("Top names no field") << "UPDATE \"Intervallen\" SET \"Top\" = 'b2'" << QStringList{"Ladders", "b2"};
        QTest::newRow("field vanished") << "ALTER TABLE \"Ladders\" DROP COLUMN \"Toonsoort\"" << QStringList{"Ladders", "Toonsoort"};
        QTest::newRow("a huge value, shortened") << "UPDATE \"Intervallen\" SET \"Top\" = printf('%.*c', 1048576, 'z')"
                                                 << QStringList{"zzzz..."};
    }
    void failuresNameTableAndField()
    {
        QFETCH(QStringList, mentions);
        QFETCH(QString, change);
        MusicDatabase db;
        QVERIFY(MusicDatabase::toSay(db.open(m_path)).isEmpty());
        test::editDatabase(m_path, {change});
        db.refresh();
        const Expected<IntervalQuestion> question = test::drawAnyInterval(db, 3);
        QVERIFY(!question);
        for (const QString &word : mentions)
            QVERIFY2(question.error().contains(word), qPrintable(question.error().left(300)));
        QVERIFY(question.error().size() < 300);
    }

    // Damage that an Access file's reader finds at every reading is found at a press too.
    void textWithANulWrittenAfterStartIsRefusedAtThePress()
    {
        MusicDatabase db;
        QVERIFY(MusicDatabase::toSay(db.open(m_path)).isEmpty());
        test::editDatabase(m_path, {"UPDATE \"chort-sort\" SET plugin = 'maj' || char(0) || '_3' WHERE plugin = 'maj_3'"});
        const Expected<MusicDatabase::Notice> press = db.refresh();
        QVERIFY2(MusicDatabase::toSay(press).contains(QLatin1String("NUL character")), qPrintable(MusicDatabase::toSay(press)));
    }

    void topHoldingSqlIsOnlyAFieldName()
    {
        const QString injected = QStringLiteral("5\" FROM \"Ladders\"; DROP TABLE \"Ladders\"; --");
        test::editDatabase(m_path, {QStringLiteral("UPDATE \"Intervallen\" SET \"Top\" = '%1'").arg(injected)});
        const QByteArray before = digest(m_path);
        MusicDatabase db;
        QVERIFY(MusicDatabase::toSay(db.open(m_path)).isEmpty());
        const Expected<IntervalQuestion> question = test::drawAnyInterval(db, 5);
        QVERIFY(!question);
        QVERIFY(question.error().contains(injected));
        // Nor can any statement change the data read.
        QSqlQuery query(QSqlDatabase::database(db.connectionName()));
        QVERIFY(!query.exec(QStringLiteral("DELETE FROM \"Ladders\"")));
        QCOMPARE(*RecordCursor(db.connectionName(), tables::Ladders).count(), 15);
        QCOMPARE(digest(m_path), before);
    }
};

QTEST_GUILESS_MAIN(TestMusicDatabase)
#include "tst_musicdatabase.moc"
