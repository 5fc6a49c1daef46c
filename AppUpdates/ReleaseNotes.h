#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

// The notes of one version: titled sections of items, read from Markdown.
//
// Two forms are understood. The notes document of one version (the
// application's own "ReleaseNotes.md" resource):
//
//     # Triagon 1.0.0
//     ## Added
//     - An item, *with inline Markdown* kept as written
//       and a continuation line.
//
// and a changelog of many versions, where one version's block starts at a
// "## [1.0.0]" heading (anything may follow the bracket) and its sections are
// "### " headings.
//
// A "bundle" is the folder the resource is looked up in: the application's own
// resources (mainBundle()) or any directory on disk. Every failure (missing or
// unreadable file, text that is not UTF-8, no version, another version, no
// section with items) gives no notes, silently.
struct ReleaseNotes
{
    struct Section
    {
        QString title;
        // One entry per bullet or paragraph, inline Markdown left in place.
        QStringList items;

        // A section is identified by its title.
        const QString &id() const { return title; }
        friend bool operator==(const Section &, const Section &) = default;
    };

    QString version;
    QList<Section> sections;

    friend bool operator==(const ReleaseNotes &, const ReleaseNotes &) = default;

    // The folder of the application's own resources.
    static QString mainBundle();
    // Section titles left out of the running version's notes: "Installation"
    // and "System requirements" (whole title, case-sensitive).
    static const QSet<QString> &skippedSectionTitles();

    // The text of `<bundle>/<name>.md`, decoded as strict UTF-8.
    static std::optional<QString> loadMarkdown(const QString &name, const QString &bundle);

    // The text split into lines at every line break; a carriage return and
    // line feed pair is one break, so files with either ending read alike.
    static QStringList splitLines(const QString &text);
    // Reads "<headingPrefix>Title" sections of bullets and paragraphs; text
    // before the first heading and sections without items are dropped.
    static QList<Section> parseSections(const QStringList &lines, const QString &headingPrefix);

    // The notes-document form: the first "# " line names the version (its last
    // word, three dot-separated numbers), "## " lines start sections.
    static std::optional<ReleaseNotes> parseDocument(const QString &markdown);
    // The block of `version` in a changelog.
    static std::optional<ReleaseNotes> parseChangelogBlock(const QString &markdown, const QString &version);

    // The running version's notes from the resource "ReleaseNotes", without the
    // skipped sections; nothing unless the resource describes `version` exactly.
    static std::optional<ReleaseNotes> current(const QString &version, const QString &bundle = mainBundle());
    // Like current() for any resource name, without leaving sections out.
    static std::optional<ReleaseNotes> load(const QString &resource, const QString &version, const QString &bundle = mainBundle());
    // The named resource read as a changelog: the block of `version`.
    static std::optional<ReleaseNotes> fromChangelog(const QString &resource, const QString &version, const QString &bundle = mainBundle());
};
