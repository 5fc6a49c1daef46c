#include "AppUpdates/ReleaseNotes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using Section = ReleaseNotes::Section;

// A folder standing in for the application's resources.
class Bundle
{
public:
    bool write(const QString &name, const QByteArray &bytes)
    {
        QFile file(dir.filePath(name + QStringLiteral(".md")));
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }
    QString path() const { return dir.path(); }

private:
    QTemporaryDir dir;
};

const QByteArray kDocument = "# Triagon 1.4.0\n"
                             "## Added\n"
                             "- One\n"
                             "- Two\n"
                             "\n"
                             "## Installation\n"
                             "- Drag it\n";

TEST(ReleaseNotes, currentNotesLeaveOutInstallationAndMatchTheVersionExactly)
{
    Bundle bundle;
    ASSERT_TRUE(bundle.write(QStringLiteral("ReleaseNotes"), kDocument));
    const auto notes = ReleaseNotes::current(QStringLiteral("1.4.0"), bundle.path());
    ASSERT_TRUE(notes);
    EXPECT_EQ(*notes,
              (ReleaseNotes{QStringLiteral("1.4.0"), {Section{QStringLiteral("Added"), {QStringLiteral("One"), QStringLiteral("Two")}}}}));

    EXPECT_FALSE(ReleaseNotes::current(QStringLiteral("1.4.1"), bundle.path()));
    EXPECT_FALSE(ReleaseNotes::current(QStringLiteral("v1.4.0"), bundle.path()));
    // Unfiltered, the installation section is there.
    const auto all = ReleaseNotes::load(QStringLiteral("ReleaseNotes"), QStringLiteral("1.4.0"), bundle.path());
    ASSERT_TRUE(all);
    ASSERT_EQ(all->sections.size(), 2);
    EXPECT_EQ(all->sections[1], (Section{QStringLiteral("Installation"), {QStringLiteral("Drag it")}}));
    // No such resource, or a resource in a folder that is not there.
    EXPECT_FALSE(ReleaseNotes::load(QStringLiteral("Missing"), QStringLiteral("1.4.0"), bundle.path()));
    EXPECT_FALSE(ReleaseNotes::current(QStringLiteral("1.4.0"), bundle.path() + QStringLiteral("/nowhere")));
}

TEST(ReleaseNotes, onlySkippedSectionsGiveNotesWithoutSections)
{
    Bundle bundle;
    ASSERT_TRUE(bundle.write(QStringLiteral("ReleaseNotes"),
                             "# 2.0.0\n## Installation\n- a\n## System requirements\n- b\n## installation\n- kept\n"));
    const auto notes = ReleaseNotes::current(QStringLiteral("2.0.0"), bundle.path());
    ASSERT_TRUE(notes);
    // The title must match exactly to be left out.
    EXPECT_EQ(notes->sections, (QList<Section>{Section{QStringLiteral("installation"), {QStringLiteral("kept")}}}));

    ASSERT_TRUE(bundle.write(QStringLiteral("Only"), "# 2.0.0\n## Installation\n- a\n## System requirements\n- b\n"));
    ASSERT_TRUE(bundle.write(QStringLiteral("ReleaseNotes"), "# 2.0.0\n## Installation\n- a\n## System requirements\n- b\n"));
    const auto empty = ReleaseNotes::current(QStringLiteral("2.0.0"), bundle.path());
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->version, QStringLiteral("2.0.0"));
    EXPECT_TRUE(empty->sections.isEmpty());
}

TEST(ReleaseNotes, versionLineRules)
{
    const QString body = QStringLiteral("\n## Added\n- x\n");
    const auto version = [&](const QString &line) -> QString {
        const auto notes = ReleaseNotes::parseDocument(line + body);
        return notes ? notes->version : QStringLiteral("<none>");
    };
    EXPECT_EQ(version(QStringLiteral("# Triagon 1.4.0")), QStringLiteral("1.4.0"));
    // Blanks around the line and between the words do not count.
    EXPECT_EQ(version(QStringLiteral("  #   1.4.0  ")), QStringLiteral("1.4.0"));
    EXPECT_EQ(version(QStringLiteral("# 1.4")), QStringLiteral("<none>"));
    EXPECT_EQ(version(QStringLiteral("# 1.4.0.1")), QStringLiteral("<none>"));
    EXPECT_EQ(version(QStringLiteral("# v1.4.0")), QStringLiteral("<none>"));
    EXPECT_EQ(version(QStringLiteral("# 1.4.0-beta")), QStringLiteral("<none>"));
    EXPECT_EQ(version(QStringLiteral("# Triagon 1.4.0 (512)")), QStringLiteral("<none>"));
    EXPECT_EQ(version(QStringLiteral("# 1..4.0")), QStringLiteral("1..4.0"));
    // A tab does not separate words: "Triagon\t1.4.0" is one word.
    EXPECT_EQ(version(QStringLiteral("# Triagon\t1.4.0")), QStringLiteral("<none>"));
    // Only the first "# " line counts, even when a later one is valid.
    EXPECT_EQ(version(QStringLiteral("# Release notes\n# 1.4.0")), QStringLiteral("<none>"));
    EXPECT_EQ(version(QStringLiteral("No heading")), QStringLiteral("<none>"));
    // A section before the version line is read like the others.
    const auto early = ReleaseNotes::parseDocument(QStringLiteral("## Fixed\n- early\n# 1.0.0\n## Added\n- late\n"));
    ASSERT_TRUE(early);
    EXPECT_EQ(early->sections.size(), 2);
    EXPECT_EQ(early->sections[0].title, QStringLiteral("Fixed"));
}

TEST(ReleaseNotes, sectionReaderBulletsParagraphsAndContinuations)
{
    const QStringList lines = ReleaseNotes::splitLines(QStringLiteral("Intro before any heading\n"
                                                                      "## Added \n"
                                                                      "- First bullet\n"
                                                                      "  continues here\n"
                                                                      "not indented\n"
                                                                      "* Star bullet\n"
                                                                      "-   spaced\n"
                                                                      "    - nested\n"
                                                                      "### Sub heading dropped\n"
                                                                      "Plain one\n"
                                                                      "plain two\n"
                                                                      "\n"
                                                                      "Third paragraph\n"
                                                                      "## Empty\n"
                                                                      "\n"
                                                                      "#### only a heading\n"
                                                                      "## Added\n"
                                                                      "- again"));
    const QList<Section> sections = ReleaseNotes::parseSections(lines, QStringLiteral("## "));
    ASSERT_EQ(sections.size(), 2);
    EXPECT_EQ(sections[0].title, QStringLiteral("Added"));
    EXPECT_EQ(sections[0].items, (QStringList{QStringLiteral("First bullet continues here"), QStringLiteral("not indented"),
                                              QStringLiteral("Star bullet"), QStringLiteral("  spaced"), QStringLiteral("nested"),
                                              QStringLiteral("Plain one plain two"), QStringLiteral("Third paragraph")}));
    // Equal titles are not merged; an empty section is dropped.
    EXPECT_EQ(sections[1], (Section{QStringLiteral("Added"), {QStringLiteral("again")}}));

    // Inline Markdown is kept as written.
    const auto notes = ReleaseNotes::parseDocument(QStringLiteral("# 1.0.0\n## New\n- **Bold** and *soft*\n"));
    ASSERT_TRUE(notes);
    EXPECT_EQ(notes->sections[0].items, QStringList{QStringLiteral("**Bold** and *soft*")});
    // Sections all empty: no notes.
    EXPECT_FALSE(ReleaseNotes::parseDocument(QStringLiteral("# 1.0.0\n## New\n\n## Fixed\n### x\n")));
}

// Files saved with Windows line ends must read exactly like the same file with
// plain line feeds: a carriage return must not become a blank line that splits
// paragraphs or breaks continuations.
TEST(ReleaseNotes, crlfLineEndsReadAsLineFeeds)
{
    const QString lf = QStringLiteral("# Triagon 1.4.0\n"
                                      "## Added\n"
                                      "- Bullet\n"
                                      "  continued\n"
                                      "Paragraph one\n"
                                      "paragraph two\n"
                                      "\n"
                                      "## Fixed\n"
                                      "- Done\n");
    QString crlf = lf;
    crlf.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    const auto expected = ReleaseNotes::parseDocument(lf);
    ASSERT_TRUE(expected);
    EXPECT_EQ(expected->sections[0].items,
              (QStringList{QStringLiteral("Bullet continued"), QStringLiteral("Paragraph one paragraph two")}));
    EXPECT_EQ(ReleaseNotes::parseDocument(crlf), expected);
    EXPECT_EQ(ReleaseNotes::splitLines(crlf), ReleaseNotes::splitLines(lf));
    // A lone carriage return (old Mac files) still ends a line.
    EXPECT_EQ(ReleaseNotes::splitLines(QStringLiteral("a\rb\n\nc")),
              (QStringList{QStringLiteral("a"), QStringLiteral("b"), QString(), QStringLiteral("c")}));

    Bundle bundle;
    ASSERT_TRUE(bundle.write(QStringLiteral("ReleaseNotes"), crlf.toUtf8()));
    EXPECT_EQ(ReleaseNotes::current(QStringLiteral("1.4.0"), bundle.path()), expected);
}

TEST(ReleaseNotes, textThatIsNotUtf8GivesNoNotes)
{
    Bundle bundle;
    // "Caf\xe9" is Latin-1, not UTF-8.
    ASSERT_TRUE(bundle.write(QStringLiteral("ReleaseNotes"), "# 1.4.0\n## Added\n- Caf\xe9\n"));
    EXPECT_FALSE(ReleaseNotes::loadMarkdown(QStringLiteral("ReleaseNotes"), bundle.path()));
    EXPECT_FALSE(ReleaseNotes::current(QStringLiteral("1.4.0"), bundle.path()));

    // Valid UTF-8, with a byte-order mark, reads.
    ASSERT_TRUE(bundle.write(QStringLiteral("ReleaseNotes"), "\xEF\xBB\xBF# 1.4.0\n## Added\n- Caf\xC3\xA9\n"));
    const auto notes = ReleaseNotes::current(QStringLiteral("1.4.0"), bundle.path());
    ASSERT_TRUE(notes);
    EXPECT_EQ(notes->sections[0].items, QStringList{QStringLiteral("Caf\u00e9")});
}

TEST(ReleaseNotes, changelogBlockOfOneVersion)
{
    const QString changelog = QStringLiteral("# Changelog\n"
                                             "Intro\n"
                                             "## [1.4.0] - 2024-05-01\n"
                                             "### Added\n"
                                             "- New thing\n"
                                             "### Fixed\n"
                                             "- A crash\n"
                                             "## [1.3.0]\n"
                                             "### Added\n"
                                             "- Old thing\n");
    const auto block = ReleaseNotes::parseChangelogBlock(changelog, QStringLiteral("1.4.0"));
    ASSERT_TRUE(block);
    EXPECT_EQ(*block, (ReleaseNotes{QStringLiteral("1.4.0"),
                                    {Section{QStringLiteral("Added"), {QStringLiteral("New thing")}},
                                     Section{QStringLiteral("Fixed"), {QStringLiteral("A crash")}}}}));
    const auto older = ReleaseNotes::parseChangelogBlock(changelog, QStringLiteral("1.3.0"));
    ASSERT_TRUE(older);
    EXPECT_EQ(older->sections, (QList<Section>{Section{QStringLiteral("Added"), {QStringLiteral("Old thing")}}}));
    EXPECT_FALSE(ReleaseNotes::parseChangelogBlock(changelog, QStringLiteral("1.4")));
    EXPECT_FALSE(ReleaseNotes::parseChangelogBlock(changelog, QStringLiteral("v1.4.0")));
    EXPECT_FALSE(ReleaseNotes::parseChangelogBlock(QStringLiteral("## [1.0.0]\n\n"), QStringLiteral("1.0.0")));

    Bundle bundle;
    ASSERT_TRUE(bundle.write(QStringLiteral("CHANGELOG"), changelog.toUtf8()));
    EXPECT_EQ(ReleaseNotes::fromChangelog(QStringLiteral("CHANGELOG"), QStringLiteral("1.4.0"), bundle.path()), block);
}

// The application carries its own notes for the version it is built as.
TEST(ReleaseNotes, theApplicationsOwnNotesDescribeThisVersion)
{
    const auto text = ReleaseNotes::loadMarkdown(QStringLiteral("ReleaseNotes"), ReleaseNotes::mainBundle());
    ASSERT_TRUE(text);
    const auto notes = ReleaseNotes::current(QStringLiteral(TRIAGON_TEST_VERSION));
    ASSERT_TRUE(notes);
    EXPECT_EQ(notes->version, QStringLiteral(TRIAGON_TEST_VERSION));
    ASSERT_FALSE(notes->sections.isEmpty());
    for (const Section &section : notes->sections) {
        EXPECT_FALSE(ReleaseNotes::skippedSectionTitles().contains(section.title));
        EXPECT_FALSE(section.items.isEmpty());
    }
}

} // namespace
