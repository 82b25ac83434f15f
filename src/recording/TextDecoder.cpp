#include "TextDecoder.h"

#include <iconv.h>
#include <uchardet/uchardet.h>

#include <array>
#include <cerrno>
#include <vector>

#include "TextPlausibility.h"
#include "TextUtils.h"

namespace sevrana {
namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

constexpr std::array<CodePage, 9> kCodePages = {{{"UTF-8", "UTF-8"},
                                                 {"Windows-1251", "CP1251"},
                                                 {"IBM866", "CP866"},
                                                 {"KOI8-R", "KOI8-R"},
                                                 {"GB18030", "GB18030"},
                                                 {"Big5", "CP950"},
                                                 {"Shift-JIS", "CP932"},
                                                 {"EUC-KR", "CP949"},
                                                 {"Windows-1252", "CP1252"}}};

/// Other names of the code pages, as people and the detection library write them,
/// without "-" and "_", in capitals.
struct Alias {
    std::string_view alias;
    std::string_view name;
};
constexpr Alias kAliases[] = {{"UTF8", "UTF-8"},
                              {"CP1251", "Windows-1251"},
                              {"CP866", "IBM866"},
                              {"GBK", "GB18030"},
                              {"GB2312", "GB18030"},
                              {"CP936", "GB18030"},
                              {"CP950", "Big5"},
                              {"SJIS", "Shift-JIS"},
                              {"CP932", "Shift-JIS"},
                              {"CP949", "EUC-KR"},
                              {"UHC", "EUC-KR"},
                              {"CP1252", "Windows-1252"},
                              {"LATIN1", "Windows-1252"},
                              {"ISO88591", "Windows-1252"},
                              {"ISO885915", "Windows-1252"}};

std::string Folded(std::string_view name)
{
    std::string folded;
    for (const char c : name)
        if (c != '-' && c != '_') folded += c;
    return ToUpperAscii(folded);
}

bool IsAscii(std::string_view bytes)
{
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

std::size_t NonAsciiBytes(std::string_view bytes)
{
    std::size_t count = 0;
    for (const char c : bytes) count += static_cast<unsigned char>(c) >= 0x80 ? 1 : 0;
    return count;
}

std::string_view SkipBom(std::string_view bytes)
{
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    return bytes.substr(0, kBom.size()) == kBom ? bytes.substr(kBom.size()) : bytes;
}

/// The lines of text that hold bytes beyond ASCII, each ended by LF: the only ones
/// that tell code pages apart.
std::string NonAsciiLines(std::string_view text)
{
    // Enough to judge by; a file with more of such text says the same at its start.
    constexpr std::size_t kEnough = std::size_t{64} << 10;
    std::string lines;
    for (std::size_t start = 0; start < text.size() && lines.size() < kEnough;) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(start, end - start);
        if (!IsAscii(line)) {
            lines += line;
            lines += '\n';
        }
        start = end + 1;
    }
    return lines;
}

/// The detection library's answer for the text, among the known code pages; nullptr
/// when it has none or names another.
const CodePage* Vote(std::string_view text)
{
    uchardet_t detector = uchardet_new();
    if (detector == nullptr) return nullptr;
    const CodePage* page = nullptr;
    if (uchardet_handle_data(detector, text.data(), text.size()) == 0) {
        uchardet_data_end(detector);
        if (const char* charset = uchardet_get_charset(detector)) page = FindCodePage(charset);
    }
    uchardet_delete(detector);
    return page;
}

/// Reads text in a code page character by character; a byte that does not start
/// a character of it reads as kUnreadable and the reading goes on after it.
std::u32string Reading(iconv_t converter, std::string_view text)
{
    std::u32string read;
    read.reserve(text.size());
    char* in = const_cast<char*>(text.data());  // iconv does not write through it
    std::size_t inLeft = text.size();
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    while (inLeft > 0) {
        char32_t chunk[256];
        char* out = reinterpret_cast<char*>(chunk);
        std::size_t outLeft = sizeof chunk;
        const std::size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
        read.append(chunk, (sizeof chunk - outLeft) / sizeof(char32_t));
        if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
            read += kUnreadable;
            ++in;
            --inLeft;
            iconv(converter, nullptr, nullptr, nullptr, nullptr);
        }
    }
    return read;
}

/// Converts text from the descriptor's code page to UTF-8 into out. False when a
/// byte sequence is invalid or cut short there: nothing is ever skipped or
/// replaced.
bool Convert(iconv_t converter, std::string_view in, std::string& out)
{
    iconv(converter, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
    out.resize(in.size() * 3 + 16);
    char* inPtr = const_cast<char*>(in.data());  // iconv does not write through it
    std::size_t inLeft = in.size();
    std::size_t written = 0;
    bool flushing = false;  // the input is consumed; a stateful encoding may still owe its last bytes
    for (;;) {
        char* outPtr = out.data() + written;
        std::size_t outLeft = out.size() - written;
        const std::size_t result = flushing ? iconv(converter, nullptr, nullptr, &outPtr, &outLeft)
                                            : iconv(converter, &inPtr, &inLeft, &outPtr, &outLeft);
        written = out.size() - outLeft;
        if (result == static_cast<std::size_t>(-1)) {
            if (errno != E2BIG) return false;
            out.resize(out.size() * 2);
            continue;
        }
        if (result != 0) return false;  // something was approximated
        if (flushing) break;
        flushing = true;
    }
    out.resize(written);
    return true;
}

}  // namespace

std::span<const CodePage> KnownCodePages() { return kCodePages; }

const CodePage* FindCodePage(std::string_view name)
{
    std::string folded = Folded(name);
    for (const Alias& alias : kAliases)
        if (folded == alias.alias) folded = Folded(alias.name);
    for (const CodePage& page : kCodePages)
        if (folded == Folded(page.name)) return &page;
    return nullptr;
}

void TextDecoder::Closer::operator()(void* converter) const { iconv_close(static_cast<iconv_t>(converter)); }

TextDecoder::TextDecoder() = default;
TextDecoder::~TextDecoder() = default;
TextDecoder::TextDecoder(TextDecoder&& other) noexcept = default;
TextDecoder& TextDecoder::operator=(TextDecoder&& other) noexcept = default;

TextDecoder::TextDecoder(const CodePage& page)
{
    const std::string name(page.converter);
    const iconv_t converter = iconv_open("UTF-8", name.c_str());
    if (converter == kNoConverter) return;  // then lines are read as DecodeText reads them
    converter_.reset(converter);
    page_ = &page;
    encoding_ = std::string(page.name);
}

TextDecoder TextDecoder::Judge(std::string_view text)
{
    const std::string lines = NonAsciiLines(SkipBom(text));
    if (lines.empty()) return TextDecoder();
    const bool utf8 = IsValidUtf8(lines);
    const CodePage* vote = Vote(lines);
    // The vote weighs as much as a fraction of a letter per byte beyond ASCII: it tips
    // a close call, but a reading that makes no sense as text is not saved by it. The
    // ASCII bytes around them tell code pages nothing, and long lines of them would
    // let the vote outweigh a clear reading of a few short words.
    const double voteWeight = 0.25 * static_cast<double>(NonAsciiBytes(lines));

    const CodePage* best = nullptr;
    double bestPoints = 0;
    for (const CodePage& page : kCodePages) {
        // Valid UTF-8 is the other pages' text only by rare chance; invalid is never UTF-8.
        const bool isUtf8 = &page == &kCodePages[0];
        if (isUtf8 && !utf8) continue;
        const std::string name(page.converter);
        const iconv_t converter = iconv_open("UTF-32LE", name.c_str());
        if (converter == kNoConverter) continue;
        const std::u32string reading = Reading(converter, lines);
        iconv_close(converter);
        double points = Plausibility(reading);
        if (isUtf8) points += static_cast<double>(lines.size() - reading.size());
        if (&page == vote) points += voteWeight;
        if (best == nullptr || points > bestPoints) {
            best = &page;
            bestPoints = points;
        }
    }
    return best != nullptr ? TextDecoder(*best) : TextDecoder();
}

std::string TextDecoder::Decode(std::string_view line)
{
    if (!converter_) return DecodeText(line);
    if (IsAscii(line)) return std::string(line);
    if (Convert(static_cast<iconv_t>(converter_.get()), line, buffer_)) return buffer_;
    return Latin1Text(line);
}

}  // namespace sevrana
