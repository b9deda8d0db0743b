#include "core/conversion/conversion_job.h"

#include "core/conversion/mp3_tags.h"
#include "core/files/file_utils.h"
#include "core/pdf/document_info.h"
#include "core/speech/speech_engine.h"

namespace lectorix {

ConversionOutcome conversionOutcome(ExtractionOutcome extraction, bool passwordGiven)
{
    switch (extraction) {
    case ExtractionOutcome::Text:
        return ConversionOutcome::Done;
    case ExtractionOutcome::NeedsPassword:
        return passwordGiven ? ConversionOutcome::WrongPassword : ConversionOutcome::NeedsPassword;
    case ExtractionOutcome::Protected:
        return ConversionOutcome::Protected;
    case ExtractionOutcome::Unreadable:
        return ConversionOutcome::Unreadable;
    case ExtractionOutcome::Missing:
        return ConversionOutcome::Missing;
    case ExtractionOutcome::Failed:
    case ExtractionOutcome::MachineFault:
        return ConversionOutcome::Failed;
    case ExtractionOutcome::Cancelled:
        return ConversionOutcome::Cancelled;
    }
    return ConversionOutcome::Failed;
}

QString conversionFailureReason(ConversionOutcome outcome)
{
    switch (outcome) {
    case ConversionOutcome::Done:
        return QStringLiteral("done");
    case ConversionOutcome::NeedsPassword:
        return QStringLiteral("needs a password");
    case ConversionOutcome::WrongPassword:
        return QStringLiteral("wrong password");
    case ConversionOutcome::Protected:
        return QStringLiteral("damaged, or its text is protected");
    case ConversionOutcome::Unreadable:
        return QStringLiteral("no text layer (a scanned document?)");
    case ConversionOutcome::Missing:
        return QStringLiteral("missing");
    case ConversionOutcome::OutputFailed:
        return QStringLiteral("cannot write the output");
    case ConversionOutcome::Failed:
        return QStringLiteral("the conversion failed");
    case ConversionOutcome::Cancelled:
        return QStringLiteral("cancelled");
    }
    return QString();
}

Mp3Tags conversionTags(const ConversionRequest& request, const QString& documentInfo)
{
    Mp3Tags tags;
    if (!request.sourcePdf.isEmpty()) {
        const DocumentInfo info = parseDocumentInfo(documentInfo);
        tags.title = info.title;
        tags.artist = info.author;
    }
    if (!request.title.isEmpty())
        tags.title = request.title;
    if (tags.title.isEmpty()) {
        const QString name = request.sourcePdf.isEmpty() ? request.sourceName : request.sourcePdf;
        tags.title = stripExtension(fileNameOf(name));
    }
    if (!request.artist.isEmpty())
        tags.artist = request.artist;
    QString voiceName;
    try {
        const auto voice = speech::engine().createVoice();
        voiceName = request.voice.voiceIndex < 0
                        ? voice->voice().description
                        : voice->installedVoices().value(request.voice.voiceIndex).description;
    } catch (const Failure&) {
    }
    tags.comment = QStringLiteral("Read aloud by Lectorix with the voice %1 at speed %2")
                       .arg(voiceName.isEmpty() ? QStringLiteral("chosen") : voiceName)
                       .arg(request.voice.rate);
    return tags;
}

QString pageRuns(const QList<int>& pages)
{
    QStringList runs;
    for (qsizetype i = 0; i < pages.size();) {
        qsizetype last = i;
        while (last + 1 < pages.size() && pages.at(last + 1) == pages.at(last) + 1)
            ++last;
        runs << (last == i ? QString::number(pages.at(i))
                           : QStringLiteral("%1-%2").arg(pages.at(i)).arg(pages.at(last)));
        i = last + 1;
    }
    return runs.join(QStringLiteral(", "));
}

QString unreadablePagesReason(const QList<int>& pages)
{
    if (pages.isEmpty())
        return QString();
    return QStringLiteral("%1 %2 could not be read (no usable text)")
        .arg(pages.size() == 1 ? QStringLiteral("page") : QStringLiteral("pages"), pageRuns(pages));
}

} // namespace lectorix
