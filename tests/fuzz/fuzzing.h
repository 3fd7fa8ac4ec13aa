#pragma once
// Shared by the fuzz targets: the input as the kinds of text the code meets, and a
// check that stops the run with a message when a property does not hold.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

inline std::string Bytes(const std::uint8_t* data, std::size_t size)
{
    return std::string(reinterpret_cast<const char*>(data), size);
}

// Pairs of bytes as UTF-16 code units (lone surrogates included), as window texts come.
inline std::wstring Utf16Units(const std::uint8_t* data, std::size_t size)
{
    std::wstring out;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        out += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
    return out;
}

#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (0)
