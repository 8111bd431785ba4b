#include "music/notename.h"

#include <QTest>

using namespace velmora;

namespace {

QStringList acceptingButtons(const QString &answer, QStringList PitchClassAnswer::*family)
{
    QStringList captions;
    for (const PitchClassAnswer &b : pitchClassAnswers()) {
        if (acceptsAnswer(b.*family, answer))
            captions << QLatin1String(b.caption);
    }
    return captions;
}

} // namespace

class TestNoteNames : public QObject
{
    Q_OBJECT
private slots:
    void equality_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("equal");
        QTest::newRow("identical") << "Db" << "Db" << true;
        QTest::newRow("enharmonic is not equal") << "Db" << "C#" << false;
        QTest::newRow("lower-case letter") << "db" << "Db" << false;
        QTest::newRow("trailing blank") << "Db " << "Db" << false;
        QTest::newRow("empty equals nothing") << "" << "" << false;
    }
    void equality()
    {
        QFETCH(bool, equal);
        QFETCH(QString, a);
        QFETCH(QString, b);
        QCOMPARE(sameNote(a, b), equal);
    }

    // Each answer, by which buttons of each family accept it.
    void acceptance_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QStringList>("intervalButtons");
        QTest::addColumn<QStringList>("transposeButtons");
        QTest::newRow("Fx: interval G only") << "Fx" << QStringList{"G"} << QStringList{};
        QTest::newRow("B#: interval C only") << "B#" << QStringList{"C"} << QStringList{};
        QTest::newRow("Dbb: interval C only") << "Dbb" << QStringList{"C"} << QStringList{};
        QTest::newRow("Ebb: both families") << "Ebb" << QStringList{"D"} << QStringList{"D"};
        QTest::newRow("Cb: both B buttons") << "Cb" << QStringList{"B"} << QStringList{"B"};
        QTest::newRow("Gb: both F# buttons") << "Gb" << QStringList{"F#"} << QStringList{"F#"};
        QTest::newRow("triple flat: none") << "Bbbb" << QStringList{} << QStringList{};
        QTest::newRow("lower case: none") << "db" << QStringList{} << QStringList{};
        QTest::newRow("trailing blank: none") << "C# " << QStringList{} << QStringList{};
        QTest::newRow("empty: none") << "" << QStringList{} << QStringList{};
    }
    void acceptance()
    {
        QFETCH(QStringList, intervalButtons);
        QFETCH(QStringList, transposeButtons);
        QFETCH(QString, answer);
        QCOMPARE(acceptingButtons(answer, &PitchClassAnswer::intervalSpellings), intervalButtons);
        QCOMPARE(acceptingButtons(answer, &PitchClassAnswer::transposeSpellings), transposeButtons);
    }

    void everyButtonAcceptsItsCaption()
    {
        for (const PitchClassAnswer &b : pitchClassAnswers()) {
            QVERIFY2(acceptsAnswer(b.intervalSpellings, QString::fromLatin1(b.caption)), b.caption);
            QVERIFY2(acceptsAnswer(b.transposeSpellings, QString::fromLatin1(b.caption)), b.caption);
        }
    }
};

QTEST_GUILESS_MAIN(TestNoteNames)
#include "tst_notenames.moc"
