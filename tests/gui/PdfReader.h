#pragma once
// Reads a printed PDF back for the tests: the words with their boxes (points from
// the page's top left) through poppler's pdftotext, grouped into lines, and the
// fonts the document uses.

#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

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

    /// Words of one height band, left to right, in reading order.
    std::vector<PdfLine> Lines() const
    {
        std::vector<PdfLine> lines;
        for (const PdfWord& w : words) {
            if (lines.empty() || lines.back().page != w.page || std::abs(lines.back().y - w.yMin) > 1.0)
                lines.push_back({w.page, w.xMin, w.yMin, {}});
            lines.back().words << w.text;
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
        word.replace(QStringLiteral("&amp;"), QStringLiteral("&"))
            .replace(QStringLiteral("&lt;"), QStringLiteral("<"))
            .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
            .replace(QStringLiteral("&quot;"), QStringLiteral("\""));
        text.words.push_back({word, text.pages, m.captured(3).toDouble(), m.captured(4).toDouble(),
                              m.captured(5).toDouble(), m.captured(6).toDouble()});
    }
    return text;
}

/// The font names of the document, as pdffonts lists them.
inline QString PdfFonts(const QString& path) { return RunTool(QStringLiteral("pdffonts"), {path}); }

}  // namespace sevrana::testing
