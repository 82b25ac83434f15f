#pragma once
// Reads the lines of one text file as UTF-8. Recorders write names in their
// system's code page (Windows-1251, GB18030, Shift-JIS, ...), so the file's
// encoding is judged once from its bytes and every line is read by the same rule.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace sevrana {

class TextDecoder {
public:
    /// At most this many bytes of a file are judged; a longer file is judged by its start.
    static constexpr std::size_t kSampleBytes = std::size_t{1} << 20;

    /// Knows no encoding: lines are read as DecodeText reads them.
    TextDecoder();

    /// Judges a file from its bytes (the first kSampleBytes of it are enough).
    /// When they are all UTF-8 there is nothing to convert. Otherwise the lines
    /// are converted from likelyEncoding when one is given, else from what the
    /// detector names; an answer it cannot back ("ASCII", nothing) or that the
    /// converter does not know leaves the decoder knowing no encoding.
    explicit TextDecoder(std::string_view fileBytes, std::string_view likelyEncoding = {});

    ~TextDecoder();
    TextDecoder(TextDecoder&& other) noexcept;
    TextDecoder& operator=(TextDecoder&& other) noexcept;
    TextDecoder(const TextDecoder&) = delete;
    TextDecoder& operator=(const TextDecoder&) = delete;

    /// The converter's name of the encoding lines are converted from; empty when none.
    const std::string& Encoding() const { return encoding_; }

    /// One line, without its line end, as UTF-8. A line that is UTF-8 already
    /// stays as it is (a file edited by a newer tool mixes the two); one that does
    /// not convert cleanly is read as Latin-1, so no byte is ever lost.
    std::string Decode(std::string_view line);

private:
    struct Closer {
        void operator()(void* converter) const;
    };

    bool Use(std::string_view encoding);

    std::string encoding_;
    std::unique_ptr<void, Closer> converter_;  // an iconv descriptor
    std::string buffer_;                       // conversion output, reused between lines
};

}  // namespace sevrana
