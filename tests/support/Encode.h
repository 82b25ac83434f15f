#pragma once
// Text in a recorder's code page, made from UTF-8 for tests.

#include <iconv.h>

#include <stdexcept>
#include <string>

namespace sevrana::testing {

/// UTF-8 text in another encoding, as a recorder would have written it. Throws
/// when the encoding is unknown or cannot hold the text.
inline std::string Encode(const std::string& utf8, const char* encoding)
{
    const iconv_t converter = iconv_open(encoding, "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error(encoding);
    std::string out(utf8.size() * 2 + 16, '\0');
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* next = out.data();
    std::size_t outLeft = out.size();
    const std::size_t result = iconv(converter, &in, &inLeft, &next, &outLeft);
    iconv_close(converter);
    if (result != 0) throw std::runtime_error(std::string("not all of it fits in ") + encoding);
    out.resize(out.size() - outLeft);
    return out;
}

}  // namespace sevrana::testing
