#include "support/layout_speech.h"

#include "core/pdf/page_layout.h"
#include "core/text/layout/reading.h"
#include "core/text/spoken_text.h"

#include <QProcess>

namespace lectorix::test {

namespace {

QList<LayoutPage> pdfPages(const QString& pdf)
{
    QProcess converter;
    converter.start(QStringLiteral("pdftotext"),
                    {QStringLiteral("-bbox-layout"), pdf, QStringLiteral("-")});
    converter.waitForFinished(120000);
    return readBoundingBoxLayout(converter.readAllStandardOutput(), 1).pages;
}

} // namespace

QList<LayoutPage> pdfLayoutPages(const QString& pdf)
{
    QList<LayoutPage> pages = pdfPages(pdf);
    layoutText(pages);
    return pages;
}

QString pdfLayoutText(const QString& pdf)
{
    QList<LayoutPage> pages = pdfPages(pdf);
    return layoutText(pages);
}

QList<SpokenPiece> pdfSpokenPieces(const QString& pdf, bool verbatim)
{
    QList<LayoutPage> pages = pdfPages(pdf);
    const QString text = layoutText(pages);
    if (verbatim)
        return verbatimPieces(text);
    LayoutPreparation preparation;
    preparation.add(pages);
    preparation.finish();
    return preparation.takePieces();
}

QStringList pdfVoiceTexts(const QString& pdf, bool verbatim)
{
    QStringList texts;
    for (const SpokenPiece& piece : pdfSpokenPieces(pdf, verbatim))
        texts << cleanTextForSpeech(piece.text);
    return texts;
}

} // namespace lectorix::test
