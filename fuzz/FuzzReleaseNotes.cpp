// The release notes as the what's-new sheet reads them: a Markdown file in a
// bundle, read as strict UTF-8, in both the notes-document and the changelog
// form. Whatever is read has a version and sections with items.
#include "FuzzSupport.h"

#include "AppUpdates/ReleaseNotes.h"

#include <QFile>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzz::initialize(argc, argv);
    return 0;
}

namespace {

void check(const std::optional<ReleaseNotes> &notes)
{
    if (!notes)
        return;
    if (notes->version.isEmpty())
        fuzz::fail("notes without a version");
    for (const ReleaseNotes::Section &section : notes->sections) {
        if (section.items.isEmpty())
            fuzz::fail("a section without items");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir bundle;
    {
        QFile file(bundle.filePath(QStringLiteral("ReleaseNotes.md")));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(fuzz::bytes(data, size));
    }
    const std::optional<QString> text = ReleaseNotes::loadMarkdown(QStringLiteral("ReleaseNotes"), bundle.path());
    QString version = QStringLiteral("1.0.0");
    if (text) {
        const std::optional<ReleaseNotes> document = ReleaseNotes::parseDocument(*text);
        check(document);
        if (document)
            version = document->version;
    }
    check(ReleaseNotes::current(version, bundle.path()));
    check(ReleaseNotes::fromChangelog(QStringLiteral("ReleaseNotes"), version, bundle.path()));
    return 0;
}
