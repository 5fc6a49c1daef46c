#include "AppUpdates/ReleaseNotes.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

namespace {

// Only spaces and tabs count as white space inside a line; line breaks are
// gone by the time a line is trimmed.
bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

QString trimBlanks(const QString &text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && isBlank(text.at(start)))
        ++start;
    while (end > start && isBlank(text.at(end - 1)))
        --end;
    return text.mid(start, end - start);
}

bool isLineBreak(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x0A && u <= 0x0D) || u == 0x85 || u == 0x2028 || u == 0x2029;
}

// Three dot-separated numbers; empty pieces (two dots in a row) do not count.
bool isThreePartVersion(const QString &version)
{
    const QStringList pieces = version.split(QLatin1Char('.'), Qt::SkipEmptyParts);
    if (pieces.size() != 3)
        return false;
    for (const QString &piece : pieces) {
        for (const char32_t c : piece.toUcs4()) {
            if (!QChar::isNumber(c))
                return false;
        }
    }
    return true;
}

} // namespace

QString ReleaseNotes::mainBundle()
{
    return QStringLiteral(":/");
}

const QSet<QString> &ReleaseNotes::skippedSectionTitles()
{
    static const QSet<QString> titles{QStringLiteral("Installation"), QStringLiteral("System requirements")};
    return titles;
}

std::optional<QString> ReleaseNotes::loadMarkdown(const QString &name, const QString &bundle)
{
    QFile file(QDir(bundle).filePath(name + QStringLiteral(".md")));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    // Strict: a file that is not valid UTF-8 is no notes, not notes with
    // replacement characters in them. A leading byte-order mark is skipped.
    QStringDecoder decoder(QStringConverter::Utf8);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

QStringList ReleaseNotes::splitLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isLineBreak(text.at(i)))
            continue;
        lines.append(text.mid(start, i - start));
        // A CR LF pair ends one line: files written on other systems must not
        // gain a blank line after every line (which would split paragraphs).
        if (text.at(i) == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    lines.append(text.mid(start));
    return lines;
}

QList<ReleaseNotes::Section> ReleaseNotes::parseSections(const QStringList &lines, const QString &headingPrefix)
{
    QList<Section> sections;
    std::optional<QString> title;
    QStringList items;
    QStringList paragraph;

    const auto flushParagraph = [&] {
        if (paragraph.isEmpty())
            return;
        items.append(paragraph.join(QLatin1Char(' ')));
        paragraph.clear();
    };
    const auto finishSection = [&] {
        if (title && !items.isEmpty())
            sections.append(Section{*title, items});
    };

    for (const QString &line : lines) {
        const QString trimmed = trimBlanks(line);
        if (!headingPrefix.isEmpty() && trimmed.startsWith(headingPrefix)) {
            flushParagraph();
            finishSection();
            title = trimBlanks(trimmed.mid(headingPrefix.size()));
            items.clear();
        } else if (!title) {
            // Text before the first heading is not part of any section.
        } else if (trimmed.isEmpty()) {
            flushParagraph();
        } else if (trimmed.startsWith(QLatin1String("- ")) || trimmed.startsWith(QLatin1String("* "))) {
            flushParagraph();
            items.append(trimmed.mid(2));
        } else if (line.startsWith(QLatin1String("  ")) && !items.isEmpty() && paragraph.isEmpty()) {
            // The continuation of the bullet above.
            items.last() += QLatin1Char(' ') + trimmed;
        } else if (trimmed.startsWith(QLatin1Char('#'))) {
            // A heading of another level: dropped with its text.
        } else {
            paragraph.append(trimmed);
        }
    }
    flushParagraph();
    finishSection();
    return sections;
}

std::optional<ReleaseNotes> ReleaseNotes::parseDocument(const QString &markdown)
{
    const QStringList lines = splitLines(markdown);
    QStringList body;
    std::optional<QString> version;
    for (const QString &line : lines) {
        const QString trimmed = trimBlanks(line);
        if (!version && trimmed.startsWith(QLatin1String("# "))) {
            const QStringList words = trimmed.mid(2).split(QLatin1Char(' '), Qt::SkipEmptyParts);
            version = words.isEmpty() ? QString() : words.last();
            continue;
        }
        body.append(line);
    }
    if (!version || !isThreePartVersion(*version))
        return std::nullopt;
    QList<Section> sections = parseSections(body, QStringLiteral("## "));
    if (sections.isEmpty())
        return std::nullopt;
    return ReleaseNotes{*version, sections};
}

std::optional<ReleaseNotes> ReleaseNotes::parseChangelogBlock(const QString &markdown, const QString &version)
{
    const QString blockHeading = QStringLiteral("## [") + version + QLatin1Char(']');
    bool entered = false;
    bool inside = false;
    QStringList block;
    for (const QString &line : splitLines(markdown)) {
        const QString trimmed = trimBlanks(line);
        if (trimmed.startsWith(QLatin1String("## "))) {
            if (inside)
                break;
            inside = trimmed.startsWith(blockHeading);
            entered = entered || inside;
            continue;
        }
        if (inside)
            block.append(line);
    }
    if (!entered)
        return std::nullopt;
    QList<Section> sections = parseSections(block, QStringLiteral("### "));
    if (sections.isEmpty())
        return std::nullopt;
    return ReleaseNotes{version, sections};
}

std::optional<ReleaseNotes> ReleaseNotes::load(const QString &resource, const QString &version, const QString &bundle)
{
    const std::optional<QString> markdown = loadMarkdown(resource, bundle);
    if (!markdown)
        return std::nullopt;
    std::optional<ReleaseNotes> notes = parseDocument(*markdown);
    if (!notes || notes->version != version)
        return std::nullopt;
    return notes;
}

std::optional<ReleaseNotes> ReleaseNotes::current(const QString &version, const QString &bundle)
{
    std::optional<ReleaseNotes> notes = load(QStringLiteral("ReleaseNotes"), version, bundle);
    if (!notes)
        return std::nullopt;
    QList<Section> kept;
    for (const Section &section : notes->sections) {
        if (!skippedSectionTitles().contains(section.title))
            kept.append(section);
    }
    notes->sections = kept;
    return notes;
}

std::optional<ReleaseNotes> ReleaseNotes::fromChangelog(const QString &resource, const QString &version, const QString &bundle)
{
    const std::optional<QString> markdown = loadMarkdown(resource, bundle);
    if (!markdown)
        return std::nullopt;
    return parseChangelogBlock(*markdown, version);
}
