#include "library/SessionJsonWriter.h"

#include "library/model/ReferenceDate.h"

#include <QLocale>

#include <cmath>

namespace {

class Writer
{
public:
    explicit Writer(qsizetype reserve) { m_out.reserve(reserve); }

    QByteArray take() { return std::move(m_out); }

    void raw(const char *text) { m_out.append(text); }
    void key(const char *name, bool first = false)
    {
        if (!first)
            m_out.append(',');
        m_out.append('"');
        m_out.append(name);
        m_out.append("\":");
    }

    void string(const QString &text)
    {
        m_out.append('"');
        const char16_t *p = reinterpret_cast<const char16_t *>(text.utf16());
        const char16_t *end = p + text.size();
        while (p < end) {
            const char16_t c = *p;
            if (c < 0x80) {
                switch (c) {
                case u'"':
                    m_out.append("\\\"");
                    break;
                case u'\\':
                    m_out.append("\\\\");
                    break;
                case u'\b':
                    m_out.append("\\b");
                    break;
                case u'\f':
                    m_out.append("\\f");
                    break;
                case u'\n':
                    m_out.append("\\n");
                    break;
                case u'\r':
                    m_out.append("\\r");
                    break;
                case u'\t':
                    m_out.append("\\t");
                    break;
                default:
                    if (c < 0x20) {
                        static const char hex[] = "0123456789abcdef";
                        const char escaped[] = {'\\', 'u', '0', '0', hex[c >> 4], hex[c & 15], '\0'};
                        m_out.append(escaped);
                    } else {
                        m_out.append(static_cast<char>(c));
                    }
                }
                ++p;
                continue;
            }
            // A run of non-ASCII text goes through the UTF-8 encoder at once.
            const char16_t *run = p;
            while (p < end && *p >= 0x80)
                ++p;
            m_out.append(QStringView(run, p - run).toUtf8());
        }
        m_out.append('"');
    }

    void number(double value)
    {
        // Non-finite numbers have no JSON form; one bad value must not make
        // the session unwritable.
        if (!std::isfinite(value))
            value = 0;
        m_out.append(QByteArray::number(value, 'g', QLocale::FloatingPointShortest));
    }
    void integer(qint64 value) { m_out.append(QByteArray::number(value)); }
    void boolean(bool value) { m_out.append(value ? "true" : "false"); }

    void strings(const QStringList &list)
    {
        m_out.append('[');
        for (qsizetype i = 0; i < list.size(); ++i) {
            if (i)
                m_out.append(',');
            string(list[i]);
        }
        m_out.append(']');
    }

    void clip(const Clip &c)
    {
        m_out.append('{');
        key("id", true);
        string(uuidText(c.id));
        key("url");
        string(c.url.toString(QUrl::FullyEncoded));
        key("filename");
        string(c.filename);
        key("duration");
        number(c.duration);
        key("width");
        integer(c.width);
        key("height");
        integer(c.height);
        key("fileSize");
        integer(c.fileSize);
        key("codec");
        string(c.codec);
        key("frameRate");
        number(c.frameRate);
        key("rating");
        integer(c.rating);
        key("tags");
        strings(c.tags);
        if (c.markerFlag) {
            key("markerFlag");
            string(c.markerFlag->encoded());
        }
        if (c.recordedAt && c.recordedAt->isValid()) {
            key("recordedAt");
            number(ReferenceDate::secondsSinceReference(*c.recordedAt));
        }
        if (c.recordingDateChecked) {
            key("recordingDateChecked");
            boolean(*c.recordingDateChecked);
        }
        if (c.numberingResetReview) {
            key("numberingResetReview");
            m_out.append('{');
            key("previousClipID", true);
            string(uuidText(c.numberingResetReview->previousClipID));
            key("decision");
            string(NumberingResetReview::rawValue(c.numberingResetReview->decision));
            m_out.append('}');
        }
        m_out.append('}');
    }

private:
    QByteArray m_out;
};

} // namespace

QByteArray SessionJsonWriter::encode(const ClipStore::SessionData &data)
{
    Writer w(256 + data.clips.size() * 320);
    w.raw("{");
    w.key("clips", true);
    w.raw("[");
    for (qsizetype i = 0; i < data.clips.size(); ++i) {
        if (i)
            w.raw(",");
        w.clip(data.clips[i]);
    }
    w.raw("]");
    if (data.sourceFolderURL) {
        w.key("sourceFolderURL");
        w.string(data.sourceFolderURL->toString(QUrl::FullyEncoded));
    }
    w.key("availableTags");
    w.strings(data.availableTags);
    w.key("folderOrganization");
    w.string(data.folderOrganization);
    w.key("gridColumns");
    w.integer(data.gridColumns);
    w.key("savedAt");
    w.number(data.savedAt.isValid() ? ReferenceDate::secondsSinceReference(data.savedAt) : 0.0);
    w.raw("}");
    return w.take();
}
