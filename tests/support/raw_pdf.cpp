#include "support/raw_pdf.h"

#include "core/files/text_decoding.h"

#include <QFile>
#include <QList>

#include <algorithm>

namespace lectorix::test {

namespace {

// The font the pages' text is drawn in, embedded, so that what a reader renders does not
// depend on the fonts installed (unembedded, Helvetica becomes whatever fontconfig likes best).
constexpr const char* FontFile = "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf";
constexpr int FirstChar = 32;
constexpr int LastChar = 255;

// Big-endian numbers of a TrueType file; 0 past its end.
quint32 numberAt(const QByteArray& font, qsizetype at, int bytes)
{
    quint32 value = 0;
    for (int i = 0; i < bytes; ++i)
        value = value << 8 | (at + i < font.size() ? quint8(font.at(at + i)) : 0U);
    return value;
}

// Where the table named tag starts in font; 0 when it has none.
qsizetype tableAt(const QByteArray& font, const QByteArray& tag)
{
    const int tables = int(numberAt(font, 4, 2));
    for (int i = 0; i < tables; ++i) {
        const qsizetype record = 12 + 16 * qsizetype(i);
        if (font.mid(record, 4) == tag)
            return numberAt(font, record + 8, 4);
    }
    return 0;
}

// The glyph of a character by the Windows Unicode map (format 4); 0, the missing glyph, when
// the font has none.
quint32 glyphOf(const QByteArray& font, char16_t character)
{
    const qsizetype cmap = tableAt(font, "cmap");
    for (quint32 i = 0; i < numberAt(font, cmap + 2, 2); ++i) {
        const qsizetype record = cmap + 4 + 8 * qsizetype(i);
        const qsizetype map = cmap + numberAt(font, record + 4, 4);
        if (numberAt(font, record, 4) != 0x00030001 || numberAt(font, map, 2) != 4)
            continue;
        const qsizetype segments = numberAt(font, map + 6, 2);
        for (qsizetype s = 0; s < segments / 2; ++s) {
            const qsizetype end = map + 14 + 2 * s;
            const qsizetype start = end + segments + 2;
            const qsizetype delta = start + segments;
            const qsizetype offset = delta + segments;
            if (character > numberAt(font, end, 2) || character < numberAt(font, start, 2))
                continue;
            const quint32 step = character - numberAt(font, start, 2);
            const quint32 ranged = numberAt(font, offset, 2);
            const quint32 glyph =
                ranged == 0 ? character : numberAt(font, offset + ranged + 2 * step, 2);
            return glyph == 0 ? 0 : (glyph + numberAt(font, delta, 2)) & 0xffff;
        }
    }
    return 0;
}

// Font units of the TrueType file in thousandths of the font's size, as a PDF names them.
QByteArray thousandths(const QByteArray& font, int units)
{
    const int unitsPerEm = std::max(int(numberAt(font, tableAt(font, "head") + 18, 2)), 1);
    return QByteArray::number(qRound(units * 1000.0 / unitsPerEm));
}

// A signed number of font units at the place at, in thousandths.
QByteArray scaled(const QByteArray& font, qsizetype at)
{
    return thousandths(font, qint16(numberAt(font, at, 2)));
}

// The widths of characters FirstChar..LastChar, the bytes of WinAnsiEncoding.
QByteArray widthsOf(const QByteArray& font)
{
    const qsizetype metrics = tableAt(font, "hmtx");
    const quint32 advances = numberAt(font, tableAt(font, "hhea") + 34, 2);
    QList<QByteArray> widths;
    for (int character = FirstChar; character <= LastChar; ++character) {
        const char16_t unicode = decodeWindows1252(QByteArray(1, char(character))).at(0).unicode();
        const quint32 glyph = std::min(glyphOf(font, unicode), advances - 1);
        widths << thousandths(font, int(numberAt(font, metrics + 4 * qsizetype(glyph), 2)));
    }
    return widths.join(' ');
}

// The objects of the embedded font, numbered from first: the font, its descriptor, its file.
QList<QByteArray> fontObjects(int first)
{
    QFile file(QString::fromLatin1(FontFile));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("Raw PDFs embed %s, which is missing: install fonts-liberation (make test does)",
               FontFile);
    const QByteArray font = file.readAll();
    const qsizetype head = tableAt(font, "head");
    const qsizetype hhea = tableAt(font, "hhea");
    const QByteArray ascent = scaled(font, hhea + 4);
    const auto reference = [first](int n) { return QByteArray::number(first + n) + " 0 R"; };
    return {"<< /Type /Font /Subtype /TrueType /BaseFont /LiberationSans /FirstChar " +
                QByteArray::number(FirstChar) + " /LastChar " + QByteArray::number(LastChar) +
                " /Widths [" + widthsOf(font) + "] /Encoding /WinAnsiEncoding /FontDescriptor " +
                reference(1) + " >>",
            "<< /Type /FontDescriptor /FontName /LiberationSans /Flags 32 /FontBBox [" +
                scaled(font, head + 36) + ' ' + scaled(font, head + 38) + ' ' +
                scaled(font, head + 40) + ' ' + scaled(font, head + 42) +
                "] /ItalicAngle 0 /Ascent " + ascent + " /Descent " + scaled(font, hhea + 6) +
                " /CapHeight " + ascent + " /StemV 80 /FontFile2 " + reference(2) + " >>",
            pdfStream("/Length1 " + QByteArray::number(font.size()), font)};
}

} // namespace

QByteArray pdfStream(const QByteArray& entries, const QByteArray& data)
{
    return "<< /Length " + QByteArray::number(data.size()) + ' ' + entries + " >>\nstream\n" +
           data + "\nendstream";
}

QByteArray onePagePdf(const QByteArray& mediaBox, const QByteArray& content,
                      const QByteArray& image)
{
    QList<QByteArray> objects{
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [" + mediaBox +
            "] /Resources << /Font << /F1 6 0 R >> /XObject << /Im1 5 0 R >> >> /Contents 4 0 R "
            ">>",
        pdfStream(QByteArray(), content),
        image,
    };
    objects += fontObjects(6);
    QByteArray pdf = "%PDF-1.4\n";
    QList<qsizetype> offsets;
    for (qsizetype i = 0; i < objects.size(); ++i) {
        offsets << pdf.size();
        pdf += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const qsizetype table = pdf.size();
    pdf += "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (qsizetype offset : offsets)
        pdf += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) +
           " /Root 1 0 R >>\nstartxref\n" + QByteArray::number(table) + "\n%%EOF\n";
    return pdf;
}

} // namespace lectorix::test
