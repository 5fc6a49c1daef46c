// The update feed fetched from the network.
#include "FuzzSupport.h"

#include "AppUpdates/UpdateFeed.h"

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzz::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QString error;
    if (const std::optional<UpdateFeed> feed = UpdateFeed::parse(fuzz::bytes(data, size), &error)) {
        const QString scheme = feed->downloadPage.scheme();
        if (!feed->downloadPage.isEmpty() && scheme != QLatin1String("https") && scheme != QLatin1String("http"))
            fuzz::fail("the feed's download page is not a web address");
        (void)feed->version.toString();
    } else if (error.isEmpty()) {
        fuzz::fail("a refused feed gives no reason");
    }
    return 0;
}
