#include "core/conversion/chunking.h"

#include "core/base/error_report.h"
#include "core/base/failure.h"
#include "core/files/file_utils.h"
#include "core/files/text_decoding.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <memory>
#include <optional>

namespace lectorix {

namespace {

constexpr qint64 ReadBlockSize = 1 << 16;
// The window stays responsive while a long document is cut, without paying for an event pass
// on every line.

QString readFailure(const QString& path, const QFile& file)
{
    return QStringLiteral("The file %1 could not be read: %2").arg(path, file.errorString());
}

// Reads a text file line by line without holding it whole: UTF-8, or Windows-1252 when the
// file is not valid UTF-8. CR LF, LF and a lone CR end a line; a final break adds no line.
// A reader that is not open, or whose file failed, is at its end, so a loop over it ends.
class LineReader
{
public:
    void open(const QString& path)
    {
        m_path = path;
        m_file.setFileName(path);
        if (!m_file.open(QIODevice::ReadOnly)) {
            if (!QFile::exists(path))
                throw Failure(QStringLiteral("File not found: %1").arg(path));
            throw Failure(readFailure(path, m_file));
        }
        m_utf8 = isValidUtf8();
        m_decoder = QStringDecoder(QStringConverter::Utf8);
    }

    // A read failure is not the end yet: the next readLine() reports it, then the end comes.
    bool atEnd()
    {
        if (!m_file.isOpen())
            return true;
        if (m_pos < m_buffer.size())
            return false;
        if (m_failed)
            return m_failureReported;
        fill();
        return m_pos >= m_buffer.size() && !m_failed;
    }

    QString readLine()
    {
        for (;;) {
            if (m_failed && !m_failureReported) {
                m_failureReported = true;
                throw Failure(readFailure(m_path, m_file));
            }
            if (!m_file.isOpen() || (m_eof && m_pos >= m_buffer.size()))
                throw Failure(QStringLiteral("Input past end of file"));
            const qsizetype size = m_buffer.size();
            qsizetype i = m_pos;
            while (i < size && m_buffer[i] != QLatin1Char('\n') && m_buffer[i] != QLatin1Char('\r'))
                ++i;
            const bool lastCarriageReturn = i + 1 == size && m_buffer[i] == QLatin1Char('\r');
            if ((i < size && !lastCarriageReturn) || ((i == size || lastCarriageReturn) && m_eof)) {
                QString line = m_buffer.mid(m_pos, i - m_pos);
                if (i < size)
                    i += (m_buffer[i] == QLatin1Char('\r') && i + 1 < size &&
                          m_buffer[i + 1] == QLatin1Char('\n'))
                             ? 2
                             : 1;
                m_pos = i;
                return line;
            }
            fill();
        }
    }

    void close() { m_file.close(); }

private:
    bool isValidUtf8()
    {
        QStringDecoder check(QStringConverter::Utf8);
        while (!m_file.atEnd()) {
            const QByteArray block = m_file.read(ReadBlockSize);
            if (block.isEmpty())
                break;
            const QString decoded = check.decode(block);
            if (check.hasError())
                break;
        }
        // A file that ends inside a letter is no UTF-8: a byte that cannot continue one makes
        // the decoder say so (a Windows-1252 file ending in "é" would otherwise lose it).
        // (decode() only decodes when its result is taken as a string.)
        if (!check.hasError())
            (void)QString(check.decode(QByteArrayView("\n")));
        const bool valid = !check.hasError();
        m_file.seek(0);
        return valid;
    }

    // Appends the next block; false when nothing could be read (end of file or failure).
    bool fill()
    {
        if (m_eof)
            return false;
        if (m_pos > 0) {
            m_buffer.remove(0, m_pos);
            m_pos = 0;
        }
        const QByteArray block = m_file.read(ReadBlockSize);
        if (block.isEmpty()) {
            m_eof = true;
            m_failed = m_file.error() != QFileDevice::NoError;
            return false;
        }
        m_buffer += m_utf8 ? QString(m_decoder.decode(block)) : decodeWindows1252(block);
        return true;
    }

    QString m_path;
    QFile m_file;
    bool m_utf8 = true;
    QStringDecoder m_decoder;
    QString m_buffer;
    qsizetype m_pos = 0;
    bool m_eof = false;
    bool m_failed = false;
    bool m_failureReported = false;
};

// One chunk file being written, UTF-8 without byte-order mark. When it could not be created
// (already reported), writing to it does nothing, so a full disk gives one report, not one
// per line; the missing speech is found when the chunk is rendered.
class ChunkWriter
{
public:
    void create(const QString& path)
    {
        m_file.close();
        m_file.setFileName(path);
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw Failure(QStringLiteral("The file %1 could not be created: %2")
                              .arg(path, m_file.errorString()));
    }

    void write(const QString& text)
    {
        if (!m_file.isOpen() || text.isEmpty())
            return;
        const QByteArray bytes = text.toUtf8();
        if (m_file.write(bytes) != bytes.size()) {
            const QString why = m_file.errorString();
            m_file.close();
            throw Failure(
                QStringLiteral("The file %1 could not be written: %2").arg(m_file.fileName(), why));
        }
    }

    void close()
    {
        if (!m_file.isOpen())
            return;
        if (!m_file.flush()) {
            const QString why = m_file.errorString();
            m_file.close();
            throw Failure(
                QStringLiteral("The file %1 could not be written: %2").arg(m_file.fileName(), why));
        }
        m_file.close();
    }

private:
    QFile m_file;
};

bool keptForSpeech(char32_t c)
{
    switch (c) {
    case U' ':
    case U'.':
    case U',':
    case U'?':
    case U'!':
    case U';':
        return true;
    default:
        break;
    }
    if (c < 0x80)
        return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || (c >= U'0' && c <= U'9');
    switch (QChar::category(c)) {
    case QChar::Letter_Uppercase:
    case QChar::Letter_Lowercase:
    case QChar::Letter_Titlecase:
    case QChar::Letter_Modifier:
    case QChar::Letter_Other:
    case QChar::Number_DecimalDigit:
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
        return true;
    default:
        return false;
    }
}

// Characters, not UTF-16 units: a letter outside the basic plane counts once.
qint64 characterCount(const QString& text)
{
    qint64 count = 0;
    for (const QChar c : text)
        count += c.isLowSurrogate() ? 0 : 1;
    return count;
}

} // namespace

ChunkLimits chunkLimits(int rate)
{
    rate = std::clamp(rate, -10, 10);
    if (rate < 0)
        return {1300 + 125 * rate, qint64(500 + 45 * rate) * 1024};
    return {1300, qint64(500) * 1024};
}

QString chunkFileName(const QString& inputPath, int number, const QString& extension)
{
    return stripExtension(inputPath) + QStringLiteral("%1").arg(number, 3, 10, QLatin1Char('0')) +
           extension;
}

namespace {

bool isLetterAt(const QString& text, qsizetype i)
{
    if (i < 0 || i >= text.size())
        return false;
    const QChar c = text[i];
    if (c.isLetter() || c.isMark())
        return true;
    // A letter outside the basic plane: look at the whole pair. A lone surrogate is no letter
    // (cleaning makes it a space).
    if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
        return QChar::isLetter(QChar::surrogateToUcs4(c, text[i + 1]));
    if (c.isLowSurrogate() && i > 0 && text[i - 1].isHighSurrogate())
        return QChar::isLetter(QChar::surrogateToUcs4(text[i - 1], c));
    return false;
}

} // namespace

QString cleanLineForSpeech(const QString& text)
{
    QString out;
    out.reserve(text.size());
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < size && text[i + 1].isLowSurrogate()) {
            const char32_t code = QChar::surrogateToUcs4(c, text[i + 1]);
            if (keptForSpeech(code))
                out.append(text.constData() + i, 2);
            else
                out += QLatin1Char(' ');
            ++i;
            continue;
        }
        // "it's", "don't", "the players' ball" and "first-class" are spoken as written: an
        // apostrophe after a letter, and a hyphen between letters, stay.
        const bool apostrophe = (c == QLatin1Char('\'') || c == QChar(0x2019)) && isLetterAt(text, i - 1);
        const bool hyphen = (c == QLatin1Char('-') || c == QChar(0x2010)) && isLetterAt(text, i - 1) &&
                            isLetterAt(text, i + 1);
        out += (apostrophe || hyphen || keptForSpeech(c.unicode())) ? c : QLatin1Char(' ');
    }
    return out;
}

QString speechLine(QString line)
{
    static const QString Nbsp = QStringLiteral("&#xa0;");
    return cleanLineForSpeech(line.remove(Nbsp));
}

int cutIntoChunkFiles(int rate, const QString& inputPath)
{
    Guard g("Speak", "CutTextFileFSO");
    ChunkLimits limits;
    g(102, [&] { limits = chunkLimits(rate); });

    LineReader input;
    ChunkWriter chunk;
    g(120, [&] { input.open(inputPath); });
    int number = 1;
    int lines = 1;
    qint64 characters = 0;
    g(128, [&] { chunk.create(chunkFileName(inputPath, number, QStringLiteral(".txt"))); });

    while (!input.atEnd()) {
        QString line;
        g(138, [&] { line = speechLine(input.readLine()); });
        // Each line keeps its line break: written back to back, the last word of one line
        // and the first of the next would be spoken as one word. The break is not counted,
        // so chunks end where they always did.
        g(140, [&] { chunk.write(line + QLatin1Char('\n')); });
        characters += characterCount(line);
        ++lines;
        if (lines >= limits.lines || characters >= limits.characters) {
            ++number;
            g(150, [&] { chunk.close(); });
            g(154, [&] { chunk.create(chunkFileName(inputPath, number, QStringLiteral(".txt"))); });
            lines = 1;
            characters = 0;
        }
    }
    g(166, [&] { chunk.close(); });
    g(172, [&] { input.close(); });
    g(176, [&] { QFile::remove(inputPath); });
    return number;
}

} // namespace lectorix
