// The folders include each other in one direction only: the sources are read
// and every include that crosses folders is checked against FolderLayers.h.
#include "FolderLayers.h"
#include "LayeringScan.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString kSourceRoot = QStringLiteral(TRIAGON_SOURCE_DIR);

void writeFile(const QString &path, const QByteArray &text)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

TEST(Layering, EveryIncludeAcrossFoldersIsListed)
{
    const QStringList stray = includesAgainst(folderLayers(), crossFolderIncludes(kSourceRoot));
    for (const QString &include : stray)
        ADD_FAILURE() << "include against the folder layers (tests/layering/FolderLayers.h): " << include.toStdString();
}

TEST(Layering, EveryListedEdgeIsUsed)
{
    // A listed edge nothing uses would let a later include slip through unseen.
    const QStringList unused = unusedEdges(folderLayers(), crossFolderIncludes(kSourceRoot));
    for (const QString &edge : unused)
        ADD_FAILURE() << "listed but no include uses it, remove it from tests/layering/FolderLayers.h: " << edge.toStdString();
}

TEST(Layering, TheListedEdgesFormNoCycle)
{
    EXPECT_EQ(cycleIn(folderLayers()).toStdString(), "");
}

TEST(Layering, TheScanReadsTheWholeTree)
{
    // Without this a wrong source root would make the checks above pass on nothing.
    int files = 0;
    const QList<FolderInclude> includes = crossFolderIncludes(kSourceRoot, &files);
    EXPECT_GT(files, 300);
    const auto seen = [&](const QString &from, const QString &to) {
        return std::any_of(includes.cbegin(), includes.cend(), [&](const FolderInclude &i) { return i.from == from && i.to == to; });
    };
    EXPECT_TRUE(seen("grid", "media/ui"));
    EXPECT_TRUE(seen("window", "grid"));
    EXPECT_TRUE(seen("app/ui", "window"));
}

TEST(Layering, AnIncludeAgainstTheLayersIsReportedWhereItIs)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    writeFile(root.filePath("Triagon/media/ui/Player.cpp"), "#include \"media/ui/Player.h\"\n"
                                                            "#include \"Local.h\"\n"
                                                            "#include <QWidget>\n"
                                                            "#include \"app/widgets/Reveal.h\"\n"
                                                            "  #  include \"grid/ClipGridView.h\"\n");
    writeFile(root.filePath("AppUpdates/Notes.cpp"), "#include \"window/MainWindow.h\"\n");
    writeFile(root.filePath("Triagon/newfolder/Thing.h"), "#include \"app/ThemeColor.h\"\n");

    int files = 0;
    const QList<FolderInclude> includes = crossFolderIncludes(root.path(), &files);
    EXPECT_EQ(files, 3);
    EXPECT_EQ(includes.size(), 4);
    QStringList stray = includesAgainst(folderLayers(), includes);
    stray.sort();
    EXPECT_EQ(stray, QStringList({"AppUpdates/Notes.cpp:1  AppUpdates -> window", "Triagon/media/ui/Player.cpp:5  media/ui -> grid",
                                  "Triagon/newfolder/Thing.h:1  newfolder -> app"}));
}

TEST(Layering, ACycleAmongTheRulesIsFoundUnlessItsEdgeIsSetAside)
{
    const QList<FolderRule> rules = {
        {"a", {"b"}},
        {"b", {"c", "d"}},
        {"c", {"a"}},
        {"d", {}},
    };
    EXPECT_EQ(cycleIn(rules), "a -> b -> c -> a");
    EXPECT_EQ(cycleIn({{"a", {"b"}}, {"b", {}}, {"c", {"b", "a"}}}), "");

    const QList<FolderInclude> includes = {{"x.cpp", 1, "a", "b"}, {"y.cpp", 2, "b", "c"}};
    EXPECT_EQ(unusedEdges(rules, includes), QStringList({"b -> d", "c -> a"}));
}

} // namespace
