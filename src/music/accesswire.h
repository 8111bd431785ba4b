#pragma once

// What velmora-mdb-export writes on its standard output for AccessFile to read. Plain C++, so
// that the exporter links nothing but libmdb.
//
// The stream: Magic, then for each table found a Table record (its name, its number of fields,
// their names), its Row records (one cell per field: Null, or Value and its text) and a
// TableEnd; last an End, or instead a Problem (its text) when the file cannot be read. A text
// is its byte count, four bytes little-endian, then that many bytes of UTF-8.
#include <string>

namespace velmora::accesswire {

inline constexpr char Magic[] = "VELMORA-MDB 1\n";
enum Tag : unsigned char { Table = 'T', Row = 'R', TableEnd = 'E', Problem = 'X', End = 'Z' };
enum Cell : unsigned char { Null = 0, Value = 1 };

// The largest Access file read at all: far beyond any music database, well inside memory.
inline constexpr long long LargestFile = 256LL * 1024 * 1024;

// The Jet format's facts that the reader, the file check and the exporter share: where the
// version byte stands (0 for Jet 3, Access 97; 1 for Jet 4, Access 2000-2003), and the page
// sizes of the two.
inline constexpr int VersionOffset = 0x14;
inline constexpr int Jet3PageSize = 2048;
inline constexpr int Jet4PageSize = 4096;

// How long a reading may take. The exporter's own processor limit follows from it, so that it
// ends by itself soon after the reader has stopped waiting for it.
inline constexpr int ReadTimeoutSeconds = 10;

// A text holding a NUL character: an Access reader's text ends at it, SQLite's goes on, so the
// same data would read two ways. Either kind of file gives this reason.
inline std::string nulInText(const std::string &table, const std::string &field)
{
    return "table \"" + table + "\": field \"" + field + "\" holds a text with a NUL character in it; the file is damaged.";
}

} // namespace velmora::accesswire
