// The settings stored as JSON text: the custom default tags and the scrub
// modifiers. A list that decodes must encode to a text that decodes alike.
#include "FuzzSupport.h"

#include "app/AppSettings.h"
#include "app/ScrubModifier.h"

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzz::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzz::bytes(data, size);
    (void)AppSettings::decodeDefaultTags(QString::fromUtf8(bytes));
    if (const std::optional<QList<ScrubModifier>> modifiers = ScrubModifier::decodeList(bytes)) {
        const std::optional<QByteArray> json = ScrubModifier::encodeList(*modifiers);
        if (!json)
            fuzz::fail("decoded scrub modifiers cannot be encoded");
        const std::optional<QList<ScrubModifier>> again = ScrubModifier::decodeList(*json);
        if (!again || again->size() != modifiers->size())
            fuzz::fail("encoded scrub modifiers do not decode alike");
        for (const ScrubModifier &modifier : *modifiers)
            (void)modifier.label();
    }
    return 0;
}
