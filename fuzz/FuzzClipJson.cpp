// One clip record of the session file and the text of a hand-marker flag.
// A clip that decodes must encode to a record that decodes to the same clip.
#include "FuzzSupport.h"

#include "library/model/Clip.h"
#include "library/model/MarkerFlag.h"

#include <QJsonDocument>
#include <QJsonObject>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzz::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzz::bytes(data, size);

    const QString text = QString::fromUtf8(bytes);
    if (const std::optional<MarkerFlag> flag = MarkerFlag::decode(text)) {
        const std::optional<MarkerFlag> again = MarkerFlag::decode(flag->encoded());
        if (!again || *again != *flag)
            fuzz::fail("a marker flag does not survive its own text");
    }

    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return 0;
    const std::optional<Clip> clip = Clip::fromJson(document.object());
    if (!clip)
        return 0;
    (void)clip->path();
    (void)clip->urlFileName();
    const std::optional<Clip> again = Clip::fromJson(clip->toJson());
    if (!again)
        fuzz::fail("a clip's own record does not decode");
    return 0;
}
