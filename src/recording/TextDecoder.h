#pragma once
// Reads the lines of a recording's text as UTF-8. Recorders write names in their
// system's code page (Windows-1251, IBM866, GB18030, Shift-JIS, ...), and nothing
// in the files says which, so the code page is judged once from all of the text
// that is read the same way, and every line is then read in that one code page.

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace sevrana {

/// A code page that recorders write: the name a person sees and chooses, and the
/// converter's name for it (Windows' own tables, which extend the standard sets).
struct CodePage {
    std::string_view name;
    std::string_view converter;
};

/// The code pages weighed by the judging and offered for choosing, UTF-8 first.
std::span<const CodePage> KnownCodePages();

/// The code page of that name or a usual alias ("cp1251", "Shift_JIS", "latin1"),
/// letter case, "-" and "_" ignored; nullptr when it is none of them.
const CodePage* FindCodePage(std::string_view name);

/// What the judging says when there is nothing to judge: all of the text is ASCII.
inline constexpr std::string_view kAsciiText = "ASCII";

class TextDecoder {
public:
    /// At most this many bytes of a file are judged; a longer file is judged by its start.
    static constexpr std::size_t kSampleBytes = std::size_t{1} << 20;

    /// Knows no code page: lines are read as DecodeText reads them.
    TextDecoder();

    /// Judges the text's code page from its non-ASCII lines all together: they are
    /// read in each known code page and the reading that is most plausible as
    /// text of a script wins (the detection library's answer is one vote in it).
    /// Several files read alike may be joined into text, one after the other.
    static TextDecoder Judge(std::string_view text);

    /// Reads every line in the given code page, whatever the text.
    explicit TextDecoder(const CodePage& page);

    ~TextDecoder();
    TextDecoder(TextDecoder&& other) noexcept;
    TextDecoder& operator=(TextDecoder&& other) noexcept;
    TextDecoder(const TextDecoder&) = delete;
    TextDecoder& operator=(const TextDecoder&) = delete;

    /// The code page lines are read in, by its name; kAsciiText when the judged
    /// text was all ASCII.
    const std::string& Encoding() const { return encoding_; }
    /// The code page lines are read in; nullptr when the judged text was all ASCII.
    const CodePage* Page() const { return page_; }

    /// One line, without its line end, as UTF-8. A line that is not text of the
    /// code page (a byte it lacks, a character cut short) is read as Latin-1, so
    /// no byte is ever lost.
    std::string Decode(std::string_view line);

private:
    struct Closer {
        void operator()(void* converter) const;
    };

    std::string encoding_{kAsciiText};
    const CodePage* page_ = nullptr;
    std::unique_ptr<void, Closer> converter_;  // an iconv descriptor
    std::string buffer_;                       // conversion output, reused between lines
};

}  // namespace sevrana
