// The session file as the launch restore reads it: bytes decoded into the
// session record, marker flags migrated, the clips given to a store whose
// derived views (sorting, filtering, grouping, statistics, numbering resets,
// organize preview) all run over them; and what the store would write back
// must read again.
#include "FuzzSupport.h"

#include "library/ClipStore.h"
#include "library/SessionJsonWriter.h"
#include "library/SessionRestorer.h"
#include "library/model/GroupMode.h"
#include "library/model/SortOrder.h"

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzz::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::optional<ClipStore::SessionData> session = ClipStore::decodeSessionFile(fuzz::bytes(data, size));
    if (!session)
        return 0;
    QList<Clip> clips = session->clips;
    SessionRestorer::migrateSpecialMarkerFlags(clips, [](qint64 hands) { return QStringLiteral("bangerx") + QString::number(hands); });

    // One store for the whole run: its media engines start threads.
    static ClipStore store;
    store.setSavingEnabled(false);
    store.setClips(clips);
    store.setAvailableTags(session->availableTags);
    store.setGridColumns(session->gridColumns);
    for (SortOrder order : {SortOrder::name, SortOrder::duration, SortOrder::rating}) {
        store.setSortOrder(order);
        for (GroupMode mode : {GroupMode::none, GroupMode::rating, GroupMode::category}) {
            store.setGroupMode(mode);
            (void)store.sortedAndFilteredClips();
        }
    }
    (void)store.clipStats();
    (void)store.usedTags();
    (void)store.numberingResets();
    for (FolderOrganization organization : {FolderOrganization::byTag, FolderOrganization::byRating}) {
        store.setFolderOrganization(organization);
        (void)store.exportPreviewTree();
    }

    const QByteArray written = SessionJsonWriter::encode(store.makeSessionData());
    QString error;
    const std::optional<ClipStore::SessionData> again = ClipStore::decodeSessionFile(written, &error);
    if (!again)
        fuzz::fail(qPrintable(QStringLiteral("a session the store wrote cannot be read back: ") + error));
    if (again->clips.size() != store.clips().size())
        fuzz::fail("a session the store wrote reads back with another number of clips");
    return 0;
}
