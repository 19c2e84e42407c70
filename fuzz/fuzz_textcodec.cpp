// Any bytes as file text: valid UTF-8 reads as UTF-8, anything else still reads
// as some text (never replacement characters, never nothing), line breaks stay
// where they were, and what was read is written and read again unchanged. The
// line-break conversions at the clipboard undo each other.

#include "fuzzcheck.h"
#include "platform/textcodec.h"

#include <QByteArrayView>

namespace {

void checkFileText(const QByteArray &bytes)
{
    const QString text = decodeFileText(bytes);
    if (QByteArrayView(bytes).isValidUtf8()) {
        // Byte-order marks at the start are the one thing dropped.
        QByteArray content = bytes;
        while (content.startsWith("\xEF\xBB\xBF"))
            content.remove(0, 3);
        FUZZ_CHECK(text == QString::fromUtf8(content));
        FUZZ_CHECK(encodeFileText(text) == content);
        FUZZ_CHECK(text.isEmpty() == content.isEmpty());
    } else {
        FUZZ_CHECK(!text.isEmpty());
    }
    // Nothing is replaced by U+FFFD: a text holds one only where the file held its UTF-8 form.
    FUZZ_CHECK(text.count(QChar::ReplacementCharacter) <= bytes.count("\xEF\xBF\xBD"));
    FUZZ_CHECK(text.count(QLatin1Char('\r')) == bytes.count('\r'));
    FUZZ_CHECK(text.count(QLatin1Char('\n')) == bytes.count('\n'));
    // Written back, it reads the same: a save does not change the texts again.
    const QByteArray written = encodeFileText(text);
    FUZZ_CHECK(QByteArrayView(written).isValidUtf8());
    FUZZ_CHECK(decodeFileText(written) == text);

    const QString cp1252 = decodeWindows1252(bytes);
    FUZZ_CHECK(cp1252.size() == bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = uchar(bytes.at(i));
        FUZZ_CHECK((cp1252.at(i).unicode() < 0x80) == (b < 0x80));
        FUZZ_CHECK(b >= 0x80 || cp1252.at(i).unicode() == b);
    }
    FUZZ_CHECK(decodeFileText(encodeFileText(cp1252)) == cp1252);
}

// The clipboard's LF and the program's CR LF.
void checkLineBreaks(const QString &any)
{
    const QString internal = toInternalLineBreaks(any);
    for (qsizetype lf = internal.indexOf(QLatin1Char('\n')); lf >= 0;
         lf = internal.indexOf(QLatin1Char('\n'), lf + 1))
        FUZZ_CHECK(lf > 0 && internal.at(lf - 1) == QLatin1Char('\r'));
    FUZZ_CHECK(toInternalLineBreaks(internal) == internal);
    FUZZ_CHECK(toPlatformLineBreaks(internal) == toPlatformLineBreaks(any));
    // A desktop text (LF only) comes back out as it went in.
    if (!any.contains(QLatin1Char('\r')))
        FUZZ_CHECK(toPlatformLineBreaks(internal) == any);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzz::bytesOf(data, size);
    checkFileText(bytes);
    checkLineBreaks(QString::fromUtf8(bytes));
    return 0;
}
