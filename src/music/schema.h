#pragma once

// The music data as the exercises read it: its three tables and the fields they use.
#include <QSqlRecord>
#include <QString>
#include <QStringList>

namespace velmora {

namespace tables {
inline const QString Ladders = QStringLiteral("Ladders");
inline const QString ChordKinds = QStringLiteral("chort-sort");
inline const QString Intervals = QStringLiteral("Intervallen");
} // namespace tables

// The fields the exercises read, beside the degree fields of "Ladders" below.
namespace fields {
inline const QString Key = QStringLiteral("Toonsoort");          // Ladders
inline const QString ChordKind = QStringLiteral("plugin");       // chort-sort
inline const QString IntervalName = QStringLiteral("Interval_uk"); // Intervallen
inline const QString Top = QStringLiteral("Top");                // Intervallen: the Ladders field that answers
inline const QString Direction = QStringLiteral("direction");    // Intervallen
} // namespace fields

// The message for a table without records, wherever it is found.
QString noRecordsMessage(const QString &table);

// The scale-degree fields of "Ladders" that the exercises read; a usable database has them all.
const QStringList &degreeFields();

QString quotedIdentifier(const QString &name);

// A field's index by its exact name (QSqlRecord::indexOf ignores case), or -1.
int exactFieldIndex(const QSqlRecord &record, const QString &name);

// The tables the exercises read, in the order the data checker reports them.
const QStringList &musicTables();

} // namespace velmora
