#include "TextDecoder.h"

#include <iconv.h>
#include <uchardet/uchardet.h>

#include <cerrno>

#include "TextUtils.h"

namespace sevrana {
namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

std::string_view SkipBom(std::string_view bytes)
{
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    return bytes.substr(0, kBom.size()) == kBom ? bytes.substr(kBom.size()) : bytes;
}

/// The part of a file that is judged: all of a small one; the start of a large
/// one, up to its last line end there, so no character is cut in two.
std::string_view Sample(std::string_view bytes)
{
    if (bytes.size() <= TextDecoder::kSampleBytes) return bytes;
    bytes = bytes.substr(0, TextDecoder::kSampleBytes);
    const std::size_t end = bytes.find_last_of("\r\n");
    return end == std::string_view::npos ? bytes : bytes.substr(0, end + 1);
}

/// What the detector makes of the lines that are not UTF-8 (the lines that are
/// stay as they are, and would only mislead it); empty when it has no answer.
std::string Detect(std::string_view bytes)
{
    uchardet_t detector = uchardet_new();
    if (detector == nullptr) return std::string();
    bool fed = true;
    for (std::size_t start = 0; fed && start < bytes.size();) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = bytes.size();
        const std::string_view line = bytes.substr(start, end - start);
        if (!IsValidUtf8(line))
            fed = uchardet_handle_data(detector, line.data(), line.size()) == 0 &&
                  uchardet_handle_data(detector, "\n", 1) == 0;
        start = end + 1;
    }
    std::string name;
    if (fed) {
        uchardet_data_end(detector);
        if (const char* charset = uchardet_get_charset(detector)) name = charset;
    }
    uchardet_delete(detector);
    return name;
}

/// The converter's name for the detector's answer; empty when there is nothing
/// to convert from. The detector gives no measure of its certainty: it answers
/// "ASCII" or nothing when the bytes tell too little. Its "UTF-8" for bytes that
/// are not all UTF-8 means stray bytes among UTF-8, which the Latin-1 rule
/// already reads. Windows programs write the Windows code pages, which extend
/// the standard sets the detector names (and glibc's SHIFT_JIS would even turn a
/// backslash into a yen sign).
std::string ConverterName(std::string_view detected)
{
    if (detected.empty() || EqualsIgnoreCase(detected, "ASCII") || EqualsIgnoreCase(detected, "UTF-8"))
        return std::string();
    struct Alias {
        std::string_view detected;
        std::string_view converter;
    };
    static constexpr Alias kWindowsPages[] = {{"SHIFT_JIS", "CP932"}, {"BIG5", "CP950"}, {"EUC-KR", "CP949"}};
    for (const Alias& alias : kWindowsPages)
        if (EqualsIgnoreCase(detected, alias.detected)) return std::string(alias.converter);
    return std::string(detected);
}

/// Converts text from the descriptor's encoding to UTF-8 into out. False when a
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

void TextDecoder::Closer::operator()(void* converter) const { iconv_close(static_cast<iconv_t>(converter)); }

TextDecoder::TextDecoder() = default;
TextDecoder::~TextDecoder() = default;
TextDecoder::TextDecoder(TextDecoder&& other) noexcept = default;
TextDecoder& TextDecoder::operator=(TextDecoder&& other) noexcept = default;

TextDecoder::TextDecoder(std::string_view fileBytes, std::string_view likelyEncoding)
{
    const std::string_view sample = Sample(SkipBom(fileBytes));
    if (IsValidUtf8(sample)) return;
    if (!likelyEncoding.empty() && Use(likelyEncoding)) return;
    const std::string name = ConverterName(Detect(sample));
    if (!name.empty()) Use(name);
}

bool TextDecoder::Use(std::string_view encoding)
{
    const std::string name(encoding);
    const iconv_t converter = iconv_open("UTF-8", name.c_str());
    if (converter == kNoConverter) return false;
    converter_.reset(converter);
    // Lines are split and their fields parsed as bytes, so an encoding that
    // changes ASCII (UTF-16, ...) cannot be read line by line.
    constexpr std::string_view kAscii =
        "\t !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~";
    if (!Convert(converter, kAscii, buffer_) || buffer_ != kAscii) {
        converter_.reset();
        return false;
    }
    encoding_ = name;
    return true;
}

std::string TextDecoder::Decode(std::string_view line)
{
    if (!converter_) return DecodeText(line);
    if (IsValidUtf8(line)) return std::string(line);
    if (Convert(static_cast<iconv_t>(converter_.get()), line, buffer_)) return buffer_;
    return DecodeText(line);
}

}  // namespace sevrana
