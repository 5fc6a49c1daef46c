#pragma once

#include "library/ClipStore.h"
#include "support/TestMedia.h"

#include <QFileInfo>
#include <QStringList>
#include <QTest>

// Copies of one small generated clip, named take1 ... takeN.
inline QStringList makeTakes(const QString &folder, int count, const QString &media = QStringLiteral("clip.mkv"))
{
    QStringList paths;
    for (int i = 1; i <= count; ++i)
        paths.append(TestMedia::copyTo(media, folder, QStringLiteral("take%1.%2").arg(i).arg(QFileInfo(media).suffix())));
    return paths;
}

// Waits until the store has finished importing.
inline bool waitUntilIdle(ClipStore &store, int timeoutMs = 60000)
{
    return QTest::qWaitFor([&] { return !store.isLoading(); }, timeoutMs);
}
