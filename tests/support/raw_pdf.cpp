#include "support/raw_pdf.h"

#include <QList>

namespace lectorix::test {

QByteArray pdfStream(const QByteArray& entries, const QByteArray& data)
{
    return "<< /Length " + QByteArray::number(data.size()) + ' ' + entries + " >>\nstream\n" +
           data + "\nendstream";
}

QByteArray onePagePdf(const QByteArray& mediaBox, const QByteArray& content,
                      const QByteArray& image)
{
    const QList<QByteArray> objects{
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [" + mediaBox +
            "] /Resources << /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica "
            ">> >> /XObject << /Im1 5 0 R >> >> /Contents 4 0 R >>",
        pdfStream(QByteArray(), content),
        image,
    };
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
