#pragma once
// What velmora-mdb-export does with an Access file once it is in memory: the tables asked for, or
// why they cannot be read, in the form music/accesswire.h describes. Apart from the program's
// main(), which reads the file and shuts the process off first, so that a fuzz target can run it.

#include "music/accesswire.h"

#include <cstdint>
#include <string>
#include <vector>

namespace velmora::mdbexport {

// The stream to Velmora, written through in blocks.
class Output
{
public:
    explicit Output(int fd) : m_fd(fd) {}

    void tag(accesswire::Tag tag) { m_buffer.push_back(char(tag)); }
    void cell(accesswire::Cell cell) { m_buffer.push_back(char(cell)); }
    void number(std::uint32_t n)
    {
        for (int shift = 0; shift < 32; shift += 8)
            m_buffer.push_back(char((n >> shift) & 0xff));
    }
    void text(const char *bytes, std::size_t length)
    {
        number(std::uint32_t(length));
        m_buffer.append(bytes, length);
        if (m_buffer.size() > 1 << 16)
            flush();
    }
    void text(const std::string &s) { text(s.data(), s.size()); }
    void raw(const char *s) { m_buffer.append(s); }
    bool flush();

private:
    int m_fd;
    std::string m_buffer;
};

// Writes why the file cannot be read: 0, or 1 when the stream cannot be written.
int problem(Output &out, const std::string &reason);

// Reads `data` as an Access file and writes those of the `count` tables named in `tables` that it
// holds, then the stream's end, or a problem. Returns as problem() does.
int exportTables(std::vector<char> &data, const char *const *tables, int count, Output &out);

} // namespace velmora::mdbexport
