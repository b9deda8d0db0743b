#include "core/pdf/document_info.h"

#include "core/pdf/pdf_converter.h"

#include <QByteArrayView>
#include <QFile>
#include <QRegularExpression>

#include <zlib.h>

#include <limits>

namespace lectorix {

QByteArrayList documentInfoArguments(const QString& pdfPath, const QString& password)
{
    QByteArrayList argv{QByteArrayLiteral("pdfinfo"), QByteArrayLiteral("-enc"),
                        QByteArrayLiteral("UTF-8")};
    if (!password.isEmpty())
        argv << QByteArrayLiteral("-opw") << password.toUtf8() << QByteArrayLiteral("-upw")
             << password.toUtf8();
    argv << QFile::encodeName(fileOperand(pdfPath));
    return argv;
}

DocumentInfo parseDocumentInfo(const QString& pdfinfoOutput)
{
    DocumentInfo info;
    for (const QString& line : pdfinfoOutput.split(QLatin1Char('\n'))) {
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (colon < 0)
            continue;
        const QString key = line.left(colon);
        const QString value = line.mid(colon + 1).trimmed();
        if (key == QLatin1String("Title") && info.title.isEmpty())
            info.title = value;
        else if (key == QLatin1String("Author") && info.author.isEmpty())
            info.author = value;
    }
    return info;
}

} // namespace lectorix

namespace lectorix {

namespace {

// How far a catalog's dictionary may reach, how many object streams are inflated, and how
// much of each: a hostile file costs no more than that.
constexpr qsizetype LongestDictionary = qsizetype(64) * 1024;
constexpr int MostObjectStreams = 256;
// An update appends a new catalog; only the last few are looked at.
constexpr int MostCatalogs = 16;
constexpr qsizetype LargestObjectStream = qsizetype(8) * 1024 * 1024;
constexpr qsizetype MostInflated = qsizetype(64) * 1024 * 1024;

bool isPdfSpace(char c)
{
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0';
}

bool isDelimiter(char c)
{
    return isPdfSpace(c) || c == '/' || c == '<' || c == '>' || c == '[' || c == ']' || c == '(' ||
           c == ')' || c == '%' || c == '{' || c == '}';
}

// Where the dictionary holding position starts: the "<<" left open before it, no further back
// than LongestDictionary; -1 when there is none.
qsizetype dictionaryStart(QByteArrayView pdf, qsizetype position)
{
    int depth = 0;
    const qsizetype limit = qMax<qsizetype>(0, position - LongestDictionary);
    for (qsizetype i = position - 1; i > limit; --i) {
        if (pdf[i] == '>' && pdf[i - 1] == '>') {
            ++depth;
            --i;
        } else if (pdf[i] == '<' && pdf[i - 1] == '<') {
            if (depth == 0)
                return i - 1;
            --depth;
            --i;
        }
    }
    return -1;
}

// The bytes of a literal string whose "(" is at start, its escapes read; at is left after it.
QByteArray literalString(QByteArrayView pdf, qsizetype& at)
{
    QByteArray bytes;
    int depth = 0;
    for (qsizetype i = at; i < pdf.size(); ++i) {
        const char c = pdf[i];
        if (c == '\\' && i + 1 < pdf.size()) {
            const char e = pdf[++i];
            switch (e) {
            case 'n':
                bytes += '\n';
                break;
            case 'r':
                bytes += '\r';
                break;
            case 't':
                bytes += '\t';
                break;
            case 'b':
                bytes += '\b';
                break;
            case 'f':
                bytes += '\f';
                break;
            case '\r':
                if (i + 1 < pdf.size() && pdf[i + 1] == '\n')
                    ++i;
                break;
            case '\n':
                break;
            default:
                if (e >= '0' && e <= '7') {
                    int value = e - '0';
                    for (int n = 0;
                         n < 2 && i + 1 < pdf.size() && pdf[i + 1] >= '0' && pdf[i + 1] <= '7'; ++n)
                        value = value * 8 + (pdf[++i] - '0');
                    bytes += char(value & 0xff);
                } else {
                    bytes += e;
                }
            }
            continue;
        }
        if (c == '(' && depth++ == 0)
            continue;
        if (c == ')' && --depth == 0) {
            at = i + 1;
            return bytes;
        }
        bytes += c;
    }
    at = pdf.size();
    return {};
}

QByteArray hexString(QByteArrayView pdf, qsizetype& at)
{
    QByteArray digits;
    qsizetype i = at + 1;
    for (; i < pdf.size() && pdf[i] != '>'; ++i) {
        if (!isPdfSpace(pdf[i]))
            digits += pdf[i];
    }
    at = i + 1;
    if (digits.size() % 2)
        digits += '0';
    return QByteArray::fromHex(digits);
}

// A string's bytes as text: UTF-16 after its byte order mark, UTF-8 after its own, else
// PDFDocEncoding, which is Latin-1 for what a language tag may hold.
QString stringText(const QByteArray& bytes)
{
    if (bytes.startsWith("\xfe\xff")) {
        QString text;
        for (qsizetype i = 2; i + 1 < bytes.size(); i += 2)
            text += QChar(char16_t((uchar(bytes[i]) << 8) | uchar(bytes[i + 1])));
        return text;
    }
    if (bytes.startsWith("\xef\xbb\xbf"))
        return QString::fromUtf8(bytes.mid(3));
    return QString::fromLatin1(bytes);
}

bool isLanguageTag(const QString& tag)
{
    static const QRegularExpression Tag(QStringLiteral("^[A-Za-z]{1,8}(-[A-Za-z0-9]{1,8})*$"));
    return Tag.match(tag).hasMatch();
}

// The /Lang of the dictionary that starts at start, when it is a language tag given as a
// string; only the dictionary's own keys count, not those of dictionaries inside it.
QString languageEntry(QByteArrayView pdf, qsizetype start)
{
    const qsizetype end = qMin(pdf.size(), start + LongestDictionary);
    int depth = 0;
    bool langNext = false;
    for (qsizetype i = start; i < end;) {
        const char c = pdf[i];
        if (c == '<' && i + 1 < end && pdf[i + 1] == '<') {
            ++depth;
            i += 2;
            langNext = false;
        } else if (c == '>' && i + 1 < end && pdf[i + 1] == '>') {
            if (--depth == 0)
                return QString();
            i += 2;
        } else if (c == '(' || c == '<') {
            const QByteArray bytes = c == '(' ? literalString(pdf, i) : hexString(pdf, i);
            if (langNext && depth == 1) {
                const QString tag = stringText(bytes).trimmed();
                return isLanguageTag(tag) ? tag : QString();
            }
            langNext = false;
        } else if (c == '%') {
            while (i < end && pdf[i] != '\n' && pdf[i] != '\r')
                ++i;
        } else if (c == '/') {
            qsizetype nameEnd = i + 1;
            while (nameEnd < end && !isDelimiter(pdf[nameEnd]))
                ++nameEnd;
            const bool isLang = pdf.sliced(i, nameEnd - i) == QByteArrayView("/Lang");
            // A key is followed by its value; a name may be a value too ("/Type /Catalog").
            langNext = isLang && depth == 1;
            i = nameEnd;
        } else if (isPdfSpace(c)) {
            ++i;
        } else {
            // A number, a reference or a keyword: an indirect /Lang is not followed.
            langNext = false;
            ++i;
        }
    }
    return QString();
}

// Whether "/Type" and blanks stand just before position.
bool typeBefore(QByteArrayView pdf, qsizetype position)
{
    qsizetype i = position;
    while (i > 0 && isPdfSpace(pdf[i - 1]))
        --i;
    return i >= 5 && pdf.sliced(i - 5, 5) == QByteArrayView("/Type");
}

// The /Lang of the last catalog among bytes that declares one, of the last MostCatalogs.
QString catalogLanguage(QByteArrayView pdf)
{
    static const QByteArrayView Catalog("/Catalog");
    int tried = 0;
    for (qsizetype at = pdf.lastIndexOf(Catalog);
         at >= 0 && tried<MostCatalogs; at = at> 0 ? pdf.lastIndexOf(Catalog, at - 1) : -1) {
        const qsizetype after = at + Catalog.size();
        if ((after < pdf.size() && !isDelimiter(pdf[after])) || !typeBefore(pdf, at))
            continue;
        ++tried;
        const qsizetype start = dictionaryStart(pdf, at);
        if (start < 0)
            continue;
        const QString found = languageEntry(pdf, start);
        if (!found.isEmpty())
            return found;
    }
    return QString();
}

// The stream's data inflated, at most LargestObjectStream bytes of it; empty when it does not
// inflate.
QByteArray inflated(QByteArrayView data)
{
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        return {};
    QByteArray out(LargestObjectStream, Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = uInt(qMin<qsizetype>(data.size(), std::numeric_limits<uInt>::max()));
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    const int result = inflate(&stream, Z_FINISH);
    const qsizetype made = out.size() - stream.avail_out;
    inflateEnd(&stream);
    if (result != Z_STREAM_END && result != Z_BUF_ERROR && result != Z_OK)
        return {};
    out.truncate(made);
    return out;
}

// The /Lang of a catalog inside the document's compressed object streams.
QString objectStreamLanguage(QByteArrayView pdf)
{
    static const QByteArrayView ObjStm("/ObjStm");
    static const QByteArrayView Stream("stream");
    static const QByteArrayView EndStream("endstream");
    QString language;
    int streams = 0;
    qsizetype inflatedBytes = 0;
    for (qsizetype at = pdf.indexOf(ObjStm);
         at >= 0 && streams < MostObjectStreams && inflatedBytes < MostInflated;
         at = pdf.indexOf(ObjStm, at + 1)) {
        ++streams;
        const qsizetype start = dictionaryStart(pdf, at);
        if (start < 0)
            continue;
        const QByteArrayView head = pdf.sliced(start, qMin(LongestDictionary, pdf.size() - start));
        const qsizetype keyword = head.indexOf(Stream);
        if (keyword < 0 || !head.sliced(0, keyword).contains(QByteArrayView("/FlateDecode")) ||
            head.sliced(0, keyword).contains(QByteArrayView("/DecodeParms")))
            continue;
        qsizetype dataStart = start + keyword + Stream.size();
        if (dataStart < pdf.size() && pdf[dataStart] == '\r')
            ++dataStart;
        if (dataStart < pdf.size() && pdf[dataStart] == '\n')
            ++dataStart;
        qsizetype dataEnd = pdf.indexOf(EndStream, dataStart);
        if (dataEnd < 0)
            dataEnd = pdf.size();
        const QByteArray objects = inflated(pdf.sliced(dataStart, dataEnd - dataStart));
        inflatedBytes += objects.size();
        const QString found = catalogLanguage(objects);
        if (!found.isEmpty())
            language = found;
        at = dataEnd;
    }
    return language;
}

} // namespace

QString declaredLanguageOf(QByteArrayView pdf)
{
    const QString language = catalogLanguage(pdf);
    return language.isEmpty() ? objectStreamLanguage(pdf) : language;
}

QString declaredLanguage(const QString& pdfPath)
{
    QFile file(pdfPath);
    if (!file.open(QIODevice::ReadOnly) || file.size() <= 0)
        return QString();
    // Mapped, not read: only the pages searched are brought in.
    const uchar* mapped = file.map(0, file.size());
    if (mapped == nullptr)
        return QString();
    const QString language =
        declaredLanguageOf(QByteArrayView(reinterpret_cast<const char*>(mapped), file.size()));
    file.unmap(const_cast<uchar*>(mapped));
    return language;
}

} // namespace lectorix
