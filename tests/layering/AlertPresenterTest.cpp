// One presenter for every alert: only the sheet presenter makes message
// boxes (and main(), for what it says before there is a window).
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

TEST(AlertPresenter, NoSourceButTheSheetPresenterMakesAMessageBox)
{
    const QString root = QStringLiteral(TRIAGON_SOURCE_DIR);
    const QStringList allowed{QStringLiteral("Triagon/app/widgets/SheetPresenter.h"),
                              QStringLiteral("Triagon/app/widgets/SheetPresenter.cpp"), QStringLiteral("Triagon/app/ui/main.cpp")};
    const QRegularExpression messageBox(QStringLiteral("\\bQMessageBox\\b"));
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
            if (allowed.contains(relative))
                continue;
            const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
            for (qsizetype i = 0; i < lines.size(); ++i) {
                if (messageBox.match(lines[i]).hasMatch())
                    ADD_FAILURE() << relative.toStdString() << ":" << i + 1 << " names QMessageBox; alerts go through SheetPresenter";
            }
        }
    }
    EXPECT_GT(read, 300);
}
