#pragma once
// Reads a printed PDF back for the tests: the words with their boxes (points from
// the page's top left) through poppler's pdftotext, grouped into lines, and the
// fonts the document uses.

#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <vector>

namespace sevrana::testing {

struct PdfWord {
    QString text;
    int page = 0;  // from 1
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
};

struct PdfLine {
    int page = 0;
    double x = 0, y = 0;  // the first word's left and top
    QStringList words;
    QString Text() const { return words.join(QLatin1Char(' ')); }
};

struct PdfText {
    std::vector<PdfWord> words;
    int pages = 0;
    double pageWidth = 0, pageHeight = 0;

    /// Words of one height band, left to right; bands top to bottom, page by page.
    std::vector<PdfLine> Lines() const
    {
        std::vector<PdfWord> sorted = words;
        std::stable_sort(sorted.begin(), sorted.end(), [](const PdfWord& a, const PdfWord& b) {
            return a.page != b.page ? a.page < b.page : a.yMin < b.yMin - 1.0;
        });
        std::vector<PdfLine> lines;
        std::vector<std::vector<const PdfWord*>> bands;
        for (const PdfWord& w : sorted) {
            if (bands.empty() || bands.back().front()->page != w.page || std::abs(bands.back().front()->yMin - w.yMin) > 1.0)
                bands.emplace_back();
            bands.back().push_back(&w);
        }
        for (auto& band : bands) {
            std::stable_sort(band.begin(), band.end(), [](const PdfWord* a, const PdfWord* b) { return a->xMin < b->xMin; });
            PdfLine line{band.front()->page, band.front()->xMin, band.front()->yMin, {}};
            for (const PdfWord* w : band) line.words << w->text;
            lines.push_back(line);
        }
        return lines;
    }
};

inline QString RunTool(const QString& tool, const QStringList& arguments)
{
    QProcess process;
    process.start(tool, arguments);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

inline PdfText ReadPdf(const QString& path)
{
    PdfText text;
    const QString html = RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    static constexpr const char* kTags =
        R"re(<page width="([\d.]+)" height="([\d.]+)">|<word xMin="([\d.-]+)" yMin="([\d.-]+)" )re"
        R"re(xMax="([\d.-]+)" yMax="([\d.-]+)">([^<]*)</word>)re";
    static const QRegularExpression tag(QString::fromLatin1(kTags));
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        if (!m.captured(1).isEmpty()) {
            ++text.pages;
            text.pageWidth = m.captured(1).toDouble();
            text.pageHeight = m.captured(2).toDouble();
            continue;
        }
        QString word = m.captured(7);
        using Entity = std::pair<const char*, const char*>;
        for (const auto& [entity, character] : {Entity{"&amp;", "&"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}})
            word.replace(QLatin1String(entity), QLatin1String(character));
        text.words.push_back({word, text.pages, m.captured(3).toDouble(), m.captured(4).toDouble(),
                              m.captured(5).toDouble(), m.captured(6).toDouble()});
    }
    return text;
}

/// Page p (from 1) as an image of dpi dots per inch, without smoothing, so every
/// pixel has one of the colours drawn (or white).
inline QImage RenderPdfPage(const QString& path, int page, int dpi)
{
    const QString base = path + QStringLiteral(".page");
    const QString options = QStringLiteral("-r %1 -aa no -aaVector no -f %2 -l %2 -png -singlefile").arg(dpi).arg(page);
    RunTool(QStringLiteral("pdftoppm"), options.split(QLatin1Char(' ')) << path << base);
    return QImage(base + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

/// The font names of the document, as pdffonts lists them.
inline QString PdfFonts(const QString& path) { return RunTool(QStringLiteral("pdffonts"), {path}); }

}  // namespace sevrana::testing
