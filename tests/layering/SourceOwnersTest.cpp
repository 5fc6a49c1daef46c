// One maker of alerts and one writer of settings: only the sheet presenter
// (and main(), before there is a window) names a message box, and only
// AppSettings and its file sync name QSettings.
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

TEST(SourceOwners, OnlyTheirOwnersNameQMessageBoxAndQSettings)
{
    const struct
    {
        QRegularExpression name;
        QRegularExpression owners; // the sources allowed to name it, relative to the root
        const char *why;
    } rules[] = {
        {QRegularExpression("\\bQMessageBox\\b"), QRegularExpression("^Triagon/app/(widgets/SheetPresenter\\.(h|cpp)|ui/main\\.cpp)$"),
         "names QMessageBox; alerts go through SheetPresenter"},
        {QRegularExpression("\\bQSettings\\b"), QRegularExpression("^Triagon/app/(AppSettings[^/]*|SettingsFileSync\\.(h|cpp))$"),
         "names QSettings; settings are read and written through AppSettings"},
    };
    const QString root = QStringLiteral(TRIAGON_SOURCE_DIR);
    int read = 0;
    for (const QString &folder : {QStringLiteral("Triagon"), QStringLiteral("AppUpdates")}) {
        QDirIterator it(root + QLatin1Char('/') + folder, {QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const QString relative = path.mid(root.size() + 1);
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << relative.toStdString();
            ++read;
            const QString text = QString::fromUtf8(file.readAll());
            for (const auto &rule : rules) {
                const QRegularExpressionMatch found = rule.name.match(text);
                if (found.hasMatch() && !rule.owners.match(relative).hasMatch())
                    ADD_FAILURE() << relative.toStdString() << ":" << text.left(found.capturedStart()).count(QLatin1Char('\n')) + 1 << " "
                                  << rule.why;
            }
        }
    }
    EXPECT_GT(read, 300);
}
