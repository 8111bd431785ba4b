#include "music/schema.h"

namespace velmora {

// Names here are exact text like every other comparison.
int exactFieldIndex(const QSqlRecord &record, const QString &name)
{
    for (int i = 0; i < record.count(); ++i) {
        if (record.fieldName(i) == name)
            return i;
    }
    return -1;
}

const QStringList &musicTables()
{
    static const QStringList names{tables::Ladders, tables::ChordKinds, tables::Intervals};
    return names;
}

const QStringList &degreeFields()
{
    static const QStringList fields{"1", "b3", "3", "4", "5", "b5", "+5", "6", "b7",
                                    "bb7", "7", "9", "b9", "11", "+11", "13", "b13"};
    return fields;
}

QString quotedIdentifier(const QString &name)
{
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString noRecordsMessage(const QString &table)
{
    return QStringLiteral("Table \"%1\" holds no records.").arg(table);
}

} // namespace velmora
