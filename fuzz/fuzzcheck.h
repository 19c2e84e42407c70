#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// The entry point libFuzzer calls with each input; the replay driver calls it
// with every file of a corpus.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

// A broken property ends the run as a crash does, so libFuzzer keeps the input
// and the replay test fails on it.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

namespace fuzz {

inline QByteArray bytesOf(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

// For failure messages: the string's UTF-16 code units in hex, as it really is.
inline QByteArray unitsOf(const QString &s)
{
    return QByteArray(reinterpret_cast<const char *>(s.utf16()), s.size() * 2).toHex(' ');
}

} // namespace fuzz
