#!/usr/bin/env python3
"""Writes the tables of an SQL script as a Microsoft Access database: Access 2000-2003 (Jet 4),
or with --jet3 Access 97 (Jet 3).

    scripts/sql-to-mdb.py [--jet3] IN.sql OUT.mdb

IN.sql is a script in the form of data/default.sql, or the output of `sqlite3 FILE .dump`:
CREATE TABLE statements and INSERT INTO ... VALUES rows. Every column becomes a Jet text column
and every value its text (a number is written as its digits), NULL stays NULL. Other statements
(PRAGMA, BEGIN, COMMIT, CREATE INDEX, ...) are passed over.

Velmora's tests make every Access file they read with this script.

What it writes, following the published description of the Jet page format:
  page 0   the database definition page, its key block RC4-masked as Jet expects, no password
           and no encryption of the other pages;
  page 1   a data page holding every table's page-usage maps (one "pages owned" and one
           "pages with free space" map per table, both of map type 0);
  page 2   the system catalogue MSysObjects (Id, Name, Type, Flags, LvProp), then its data
           pages: one catalogue entry per table;
  then     for each table in the script's order, its definition page and its data pages, rows
           in the script's order;
  last     in Jet 4, the LVAL pages of memo values: a column holding a text over 255 characters
           is a memo column, each value of up to 1 KB kept in its record, a longer one in a chain
           of LVAL rows.
Pages are 4 KB and texts UCS-2 in Jet 4; 2 KB and code page 1252 in Jet 3.

It does not support, and says so when the script needs it:
  - Access 2007 or later (.accdb), encryption and passwords;
  - in Jet 3, texts longer than 255 characters (Jet keeps those in memo fields); in Jet 4 characters
    outside Unicode's basic plane, and a text that starts with U+FEFF (it would read as
    compressed); in Jet 3 characters outside code page 1252, and records over 255 bytes (they
    need the jump tables this script does not write);
  - a table definition larger than one page (about 150 columns in Jet 4, fewer in Jet 3), or
    more data pages per table than one usage map row holds;
  - column types: every column is text; indexes, keys, relationships, queries, forms and the
    other system tables Access itself would add are not written, so Access may want to repair
    the file before it edits it.
"""

import struct
import sys

TEXT = 0x0A
LONG = 0x04
INT = 0x03
OLE = 0x0B
MEMO = 0x0C
MAX_TEXT = 255
MEMO_INLINE = 1024  # memo bytes kept in the record itself; longer ones go to LVAL pages


class Unsupported(Exception):
    pass


# --- the SQL script -----------------------------------------------------------------------------

def tokens(sql):
    """Yields (kind, value): 'word', 'name' (a quoted identifier), 'text', 'number', 'null',
    'punct' or 'end' (of a statement)."""
    i, n = 0, len(sql)
    while i < n:
        c = sql[i]
        if c.isspace():
            i += 1
        elif sql.startswith('--', i):
            end = sql.find('\n', i)
            i = n if end < 0 else end + 1
        elif sql.startswith('/*', i):
            end = sql.find('*/', i + 2)
            i = n if end < 0 else end + 2
        elif c == ';':
            yield 'end', ';'
            i += 1
        elif c in '\'"`[':
            close = {'\'': '\'', '"': '"', '`': '`', '[': ']'}[c]
            j, value = i + 1, []
            while True:
                if j >= n:
                    raise Unsupported('an unterminated quote in the script')
                if sql[j] == close:
                    if close != ']' and j + 1 < n and sql[j + 1] == close:
                        value.append(close)
                        j += 2
                        continue
                    break
                value.append(sql[j])
                j += 1
            yield ('text' if c == '\'' else 'name'), ''.join(value)
            i = j + 1
        elif c.isdigit() or (c in '+-.' and i + 1 < n and (sql[i + 1].isdigit() or sql[i + 1] == '.')):
            j = i + 1
            while j < n and (sql[j].isalnum() or sql[j] in '.+-'):
                j += 1
            yield 'number', sql[i:j]
            i = j
        elif c.isalpha() or c == '_':
            j = i + 1
            while j < n and (sql[j].isalnum() or sql[j] in '_$'):
                j += 1
            word = sql[i:j]
            yield ('null', None) if word.upper() == 'NULL' else ('word', word)
            i = j
        else:
            yield 'punct', c
            i += 1


def statements(sql):
    current = []
    for token in tokens(sql):
        if token[0] == 'end':
            if current:
                yield current
            current = []
        else:
            current.append(token)
    if current:
        yield current


def parse(sql):
    """Returns [(table, [columns], [rows])] in the script's order."""
    tables, by_name = [], {}
    for st in statements(sql):
        words = [v.upper() if k == 'word' else None for k, v in st]
        if words[:2] == ['CREATE', 'TABLE']:
            i = 2
            if words[i:i + 3] == ['IF', 'NOT', 'EXISTS']:
                i += 3
            name = st[i][1]
            i += 1
            if st[i] != ('punct', '('):
                raise Unsupported('CREATE TABLE %s without a column list' % name)
            columns, depth, expect_name = [], 0, True
            for kind, value in st[i + 1:]:
                if kind == 'punct' and value == '(':
                    depth += 1
                elif kind == 'punct' and value == ')':
                    if depth == 0:
                        break
                    depth -= 1
                elif kind == 'punct' and value == ',' and depth == 0:
                    expect_name = True
                elif expect_name:
                    if kind == 'word' and value.upper() in ('PRIMARY', 'UNIQUE', 'CHECK', 'FOREIGN', 'CONSTRAINT'):
                        expect_name = False
                        continue
                    columns.append(value)
                    expect_name = False
            if name.lower() in by_name:
                raise Unsupported('table %s is created twice' % name)
            if len({c.lower() for c in columns}) != len(columns):
                raise Unsupported('table %s has two columns of one name' % name)
            entry = (name, columns, [])
            tables.append(entry)
            by_name[name.lower()] = entry
        elif words[:2] == ['INSERT', 'INTO']:
            name = st[2][1]
            if name.lower() not in by_name:
                raise Unsupported('rows for table %s before it is created' % name)
            _, columns, rows = by_name[name.lower()]
            i = 3
            if st[i] == ('punct', '('):
                raise Unsupported('INSERT with a column list (table %s)' % name)
            if words[i] != 'VALUES':
                raise Unsupported('INSERT without VALUES (table %s)' % name)
            i += 1
            row = None
            for kind, value in st[i:]:
                if kind == 'punct' and value == '(':
                    row = []
                elif kind == 'punct' and value == ')':
                    if len(row) != len(columns):
                        raise Unsupported('a row of %d values for the %d columns of %s' % (len(row), len(columns), name))
                    rows.append(row)
                    row = None
                elif kind in ('text', 'number', 'null') and row is not None:
                    row.append(value)
    return tables


# --- Jet pages ----------------------------------------------------------------------------------

class Format:
    """Where Jet 3 and Jet 4 differ: page size, field widths, text encoding, offsets."""

    def __init__(self, jet3):
        self.jet3 = jet3
        self.version = 0x00 if jet3 else 0x01
        self.page = 2048 if jet3 else 4096
        self.masked = 126 if jet3 else 128           # bytes of the header's RC4 block
        self.rows_at = 0x08 if jet3 else 0x0C        # row count in a data page; offsets follow
        self.width = 1 if jet3 else 2                # a row's counts and offsets
        self.text_size = MAX_TEXT if jet3 else 2 * MAX_TEXT
        # The definition page: rows, table type, the three column counts, indexes, usage maps,
        # the column entries; and inside an entry: number, variable index, row number, sort
        # order, code page, flags, fixed offset, length.
        t = (12, 20, 21, 27, 35, 43, 18) if jet3 else (16, 40, 41, 47, 55, 63, 25)
        self.t_rows, self.t_type, self.t_counts, self.t_indexes, self.t_maps, self.t_columns, self.entry = t
        c = (1, 3, 5, 7, 9, 13, 14, 16) if jet3 else (5, 7, 9, 11, None, 15, 21, 23)
        self.c_num, self.c_var, self.c_row, self.c_sort, self.c_codepage, self.c_flags, self.c_fixed, self.c_size = c

    def text(self, value, memo=False):
        if len(value) > MAX_TEXT and not memo:
            raise Unsupported('a text of %d characters (Jet text holds %d): %.40s...' % (len(value), MAX_TEXT, value))
        if self.jet3:
            try:
                return value.encode('cp1252')
            except UnicodeEncodeError:
                raise Unsupported('a character Access 97 cannot hold (code page 1252) in %r' % value)
        if any(ord(c) > 0xFFFF for c in value):
            raise Unsupported('a character outside the basic plane in %r' % value)
        if value.startswith('\ufeff'):
            raise Unsupported('a text starting with U+FEFF: %r' % value)
        return value.encode('utf-16-le')

    def number(self, n):
        return struct.pack('<B' if self.jet3 else '<H', n)


def rc4(key, data):
    state = list(range(256))
    j = 0
    for i in range(256):
        j = (j + state[i] + key[i % len(key)]) % 256
        state[i], state[j] = state[j], state[i]
    out, x, y = bytearray(), 0, 0
    for byte in data:
        x = (x + 1) % 256
        y = (y + state[x]) % 256
        state[x], state[y] = state[y], state[x]
        out.append(byte ^ state[(state[x] + state[y]) % 256])
    return bytes(out)


def header_page(fmt):
    page = bytearray(fmt.page)
    page[0:4] = b'\x00\x01\x00\x00'
    page[4:20] = b'Standard Jet DB\x00'
    struct.pack_into('<I', page, 0x14, fmt.version)
    # The block from 0x18 is masked with RC4 under a fixed key. Inside it: the sort order (0x3A in
    # Jet 3, 0x6E in Jet 4), the code page at 0x3C, and the database key at 0x3E (0: the other
    # pages are not encrypted).
    block = bytearray(fmt.masked)
    struct.pack_into('<H', block, (0x3A if fmt.jet3 else 0x6E) - 0x18, 0x0409)
    struct.pack_into('<H', block, 0x3C - 0x18, 1252)
    struct.pack_into('<I', block, 0x3E - 0x18, 0)
    page[0x18:0x18 + fmt.masked] = rc4(struct.pack('<I', 0x6B39DAC7), bytes(block))
    return page


def data_page(fmt, owner, rows):
    """A data page (type 1) owned by the table whose definition is on page `owner`; rows are
    stored from the end of the page towards its start."""
    page = bytearray(fmt.page)
    page[0], page[1] = 0x01, 0x01
    struct.pack_into('<I', page, 4, owner)
    struct.pack_into('<H', page, fmt.rows_at, len(rows))
    end = fmt.page
    for i, row in enumerate(rows):
        start = end - len(row)
        page[start:end] = row
        struct.pack_into('<H', page, fmt.rows_at + 2 + 2 * i, start)
        end = start
    struct.pack_into('<H', page, 2, end - (fmt.rows_at + 2 + 2 * len(rows)))
    return page


class LongValues:
    """Jet 4 memo values: short ones kept in the record after a 12-byte header (flag 0x80000000),
    long ones as a chain of rows on LVAL pages (a data page whose owner reads "LVAL"), each row
    the pointer to the next (page << 8 | row, 0 at the end) and a piece of the value."""

    def __init__(self, fmt, first_page):
        self.fmt, self.first_page, self.pages, self.used = fmt, first_page, [], []
        self.room = fmt.page - fmt.rows_at - 2

    def field(self, data):
        if len(data) <= MEMO_INLINE:
            return struct.pack('<III', len(data) | 0x80000000, 0, 0) + data
        piece = self.room - 2 - 4
        pieces = [data[i:i + piece] for i in range(0, len(data), piece)]
        pointers = []
        for body in pieces:
            if not self.pages or self.used[-1] + 4 + len(body) + 2 > self.room:
                self.pages.append([])
                self.used.append(0)
            self.pages[-1].append(body)
            self.used[-1] += 4 + len(body) + 2
            pointers.append(((self.first_page + len(self.pages) - 1) << 8) | (len(self.pages[-1]) - 1))
        for k, pointer in enumerate(pointers):
            rows = self.pages[(pointer >> 8) - self.first_page]
            following = pointers[k + 1] if k + 1 < len(pointers) else 0
            rows[pointer & 0xFF] = struct.pack('<I', following) + rows[pointer & 0xFF]
        return struct.pack('<III', len(data), pointers[0], 0)

    def page_bytes(self):
        out = []
        for rows in self.pages:
            page = data_page(self.fmt, 0, rows)
            page[4:8] = b'LVAL'
            out.append(page)
        return out


def pack_pages(fmt, owner, rows):
    room = fmt.page - fmt.rows_at - 2
    pages, current, left = [], [], room
    for row in rows:
        if len(row) + 2 > room:
            raise Unsupported('a row of %d bytes does not fit a page' % len(row))
        if len(row) + 2 > left:
            pages.append(current)
            current, left = [], room
        current.append(row)
        left -= len(row) + 2
    if current:
        pages.append(current)
    return [data_page(fmt, owner, p) for p in pages]


class Column:
    def __init__(self, name, kind, size=0, fixed_offset=None):
        self.name, self.kind, self.size = name, kind, size
        self.fixed = fixed_offset is not None
        self.fixed_offset = fixed_offset or 0


def row_bytes(fmt, columns, values):
    """A row: column count, fixed columns, variable columns, end of data, the variable columns'
    offsets last to first, their count, and the null mask (1: a value is present). Jet 3 keeps
    counts and offsets in one byte each (so a row stays under 256 bytes here), Jet 4 in two."""
    fixed = bytearray()
    for column, value in zip(columns, values):
        if column.fixed:
            fixed += value if value is not None else bytes(column.size)
    row = bytearray(fmt.number(len(columns))) + fixed
    offsets = []
    for column, value in zip(columns, values):
        if not column.fixed:
            offsets.append(len(row))
            if value is not None:
                row += value
    eod = len(row)
    if offsets:
        if fmt.jet3 and eod + len(offsets) + 2 + (len(columns) + 7) // 8 > 256:
            raise Unsupported('a record of %d bytes (Access 97 records over 255 bytes need jump tables)' % eod)
        row += fmt.number(eod)
        for offset in reversed(offsets):
            row += fmt.number(offset)
        row += fmt.number(len(offsets))
    mask = bytearray((len(columns) + 7) // 8)
    for i, value in enumerate(values):
        if value is not None:
            mask[i // 8] |= 1 << (i % 8)
    return bytes(row + mask)


def definition_page(fmt, columns, num_rows, used_map, free_map, system):
    page = bytearray(fmt.page)
    page[0], page[1] = 0x02, 0x01
    if fmt.jet3:
        page[2:4] = b'VC'
    struct.pack_into('<I', page, fmt.t_rows, num_rows)
    page[fmt.t_type] = 0x53 if system else 0x4E
    variable = sum(1 for c in columns if not c.fixed)
    struct.pack_into('<HHH', page, fmt.t_counts, len(columns), variable, len(columns))
    struct.pack_into('<II', page, fmt.t_indexes, 0, 0)  # logical and real indexes
    struct.pack_into('<II', page, fmt.t_maps, used_map, free_map)
    pos, var_index = fmt.t_columns, 0
    for number, column in enumerate(columns):
        entry = bytearray(fmt.entry)
        entry[0] = column.kind
        struct.pack_into('<H', entry, fmt.c_num, number)
        struct.pack_into('<H', entry, fmt.c_var, 0 if column.fixed else var_index)
        struct.pack_into('<H', entry, fmt.c_row, number)
        if column.kind in (TEXT, MEMO):
            struct.pack_into('<H', entry, fmt.c_sort, 0x0409)  # general sort order
            if fmt.c_codepage is not None:
                struct.pack_into('<H', entry, fmt.c_codepage, 1252)
        entry[fmt.c_flags] = 0x02 | (0x01 if column.fixed else 0x00)
        struct.pack_into('<H', entry, fmt.c_fixed, column.fixed_offset)
        struct.pack_into('<H', entry, fmt.c_size, column.size)
        if not column.fixed:
            var_index += 1
        page[pos:pos + fmt.entry] = entry
        pos += fmt.entry
    for column in columns:
        name = fmt.text(column.name)
        if pos + fmt.width + len(name) > fmt.page - 2:
            raise Unsupported('the definition of a table with %d columns does not fit one page' % len(columns))
        page[pos:pos + fmt.width] = fmt.number(len(name))
        page[pos + fmt.width:pos + fmt.width + len(name)] = name
        pos += fmt.width + len(name)
    struct.pack_into('<H', page, pos, 0xFFFF)
    pos += 2
    struct.pack_into('<I', page, 8, pos - 8)
    if not fmt.jet3:
        struct.pack_into('<H', page, 2, fmt.page - pos - 8)
    return page


def usage_map(first, count):
    """Map type 0: the first page it describes, then one bit per page."""
    bitmap = bytearray(max(59, (count + 7) // 8))
    for i in range(count):
        bitmap[i // 8] |= 1 << (i % 8)
    return bytes([0]) + struct.pack('<I', first) + bytes(bitmap)


def write_mdb(tables, fmt):
    catalogue_columns = [
        Column('Id', LONG, 4, 0),
        Column('Name', TEXT, fmt.text_size),
        Column('Type', INT, 2, 4),
        Column('Flags', LONG, 4, 6),
        Column('LvProp', OLE, 0),
    ]
    # Long values go on LVAL pages after everything else, whose number is known once the rest is
    # laid out: a first pass with any number gives records of the same sizes.
    def encode(long_values):
        user = []
        for name, names, rows in tables:
            memo = [not fmt.jet3 and any(v is not None and len(v) > MAX_TEXT for v in (r[i] for r in rows))
                    for i in range(len(names))]
            columns = [Column(c, MEMO if m else TEXT, 0 if m else fmt.text_size) for c, m in zip(names, memo)]
            encoded = [row_bytes(fmt, columns, [None if v is None else long_values.field(fmt.text(v, True)) if m
                                                else fmt.text(v) for v, m in zip(row, memo)])
                       for row in rows]
            user.append((name, columns, encoded))
        return user

    user = encode(LongValues(fmt, 0))

    # Page numbers first: the catalogue and every table need to know where the others are.
    catalogue_rows = lambda pages: [row_bytes(fmt, catalogue_columns, [struct.pack('<I', page), fmt.text(name),
                                                                       struct.pack('<h', 1), struct.pack('<I', 0), None])
                                    for (name, _, _), page in zip(user, pages)]
    catalogue_pages = len(pack_pages(fmt, 2, catalogue_rows([0] * len(user))))
    next_page = 3 + catalogue_pages
    layout = []
    for name, columns, encoded in user:
        tdef = next_page
        pages = pack_pages(fmt, tdef, encoded)
        if len(pages) > 8 * (fmt.page - 200):
            raise Unsupported('table %s needs more data pages than one usage map row holds' % name)
        layout.append((columns, encoded, tdef, pages))
        next_page = tdef + 1 + len(pages)

    # Page 1 holds the usage maps: rows 0 and 1 for the catalogue, 2k+2 and 2k+3 for table k.
    maps = [usage_map(3, catalogue_pages), usage_map(0, 0)]
    for _, _, tdef, pages in layout:
        maps += [usage_map(tdef + 1, len(pages)), usage_map(0, 0)]
    if len(maps) > 255:
        raise Unsupported('more than 126 tables')
    long_values = LongValues(fmt, next_page)
    for k, (name, columns, encoded) in enumerate(encode(long_values)):
        layout[k] = (columns, encoded, layout[k][2], pack_pages(fmt, layout[k][2], encoded))
    entries = catalogue_rows([tdef for _, _, tdef, _ in layout])
    out = [header_page(fmt), data_page(fmt, 0, maps),
           definition_page(fmt, catalogue_columns, len(entries), (1 << 8) | 0, (1 << 8) | 1, True)]
    out += pack_pages(fmt, 2, entries)
    assert len(out) == 3 + catalogue_pages
    for k, (columns, encoded, tdef, pages) in enumerate(layout):
        out.append(definition_page(fmt, columns, len(encoded), (1 << 8) | (2 * k + 2), (1 << 8) | (2 * k + 3), False))
        out += pages
    return b''.join(out + long_values.page_bytes())


def main(argv):
    jet3 = len(argv) == 4 and argv[1] == '--jet3'
    if jet3:
        argv = argv[:1] + argv[2:]
    if len(argv) != 3:
        sys.stderr.write('usage: sql-to-mdb.py [--jet3] IN.sql OUT.mdb\n')
        return 2
    try:
        with open(argv[1], encoding='utf-8') as f:
            tables = parse(f.read())
        data = write_mdb(tables, Format(jet3))
    except (Unsupported, IndexError) as e:
        sys.stderr.write('sql-to-mdb.py: %s: not supported: %s\n' % (argv[1], e or 'a statement it cannot read'))
        return 1
    with open(argv[2], 'wb') as f:
        f.write(data)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
