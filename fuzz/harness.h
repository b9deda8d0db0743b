#pragma once

// What every harness shares: the libFuzzer entry point, a reader that takes the input apart,
// and a failure that stops the run with a readable reason (libFuzzer then keeps the input).

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace lectorix::fuzz {

// Stops the run: a property of the code under test does not hold for this input.
[[noreturn]] inline void fail(const char* property, const QString& detail = QString())
{
    std::fprintf(stderr, "fuzz: %s\n", property);
    if (!detail.isEmpty())
        std::fprintf(stderr, "fuzz: %s\n", detail.toUtf8().constData());
    std::abort();
}

inline void require(bool holds, const char* property, const QString& detail = QString())
{
    if (!holds)
        fail(property, detail);
}

// The input read front to back: single bytes for choices, the rest as bytes or text.
class InputReader
{
public:
    InputReader(const uint8_t* data, size_t size)
        : m_bytes(QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)))
    {
    }

    // The next byte, or 0 once the input is used up.
    uint8_t byte() { return m_pos < m_bytes.size() ? uint8_t(m_bytes.at(m_pos++)) : 0; }

    // A whole number in [low, high] from the next byte.
    int number(int low, int high) { return low + int(byte()) % (high - low + 1); }

    // Everything not read yet, as a deep copy.
    QByteArray rest()
    {
        QByteArray bytes(m_bytes.constData() + m_pos, m_bytes.size() - m_pos);
        m_pos = m_bytes.size();
        return bytes;
    }

private:
    QByteArray m_bytes;
    qsizetype m_pos = 0;
};

// A private folder for the files a harness writes, removed when the run ends.
QString scratchFolder();

} // namespace lectorix::fuzz
