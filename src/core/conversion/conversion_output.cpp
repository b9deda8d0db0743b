#include "core/base/failure.h"
#include "core/conversion/audio_format.h"
#include "core/conversion/conversion_state.h"
#include "core/conversion/mp3_tags.h"
#include "core/document/document_feed.h"
#include "core/files/file_utils.h"
#include "core/files/temp_folder.h"
#include "core/files/text_decoding.h"
#include "core/pdf/document_text.h"
#include "core/process/missing_parts.h"
#include "core/speech/speech_engine.h"
#include "core/text/chapters.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace lectorix {

namespace {

// One encoder for each processor core of the machines this runs on; a text shorter than two
// lanes' worth is not worth joining.
constexpr int EncoderLaneCount = 2;
constexpr qsizetype MinimumLaneLength = 10000;

} // namespace

bool ConversionJob::State::reserveOutput(int output)
{
    QString refusal;
    QString partial;
    step(ConversionStep::ReserveOutput, [&] {
        try {
            partial = outputs->reserve(output);
        } catch (const Failure& failure) {
            refusal = failure.description();
        }
    });
    if (partial.isEmpty())
        finish(ConversionOutcome::OutputFailed,
               notMadeMessage(request.format, outputs->path(output),
                              refusal.isEmpty() ? QStringLiteral("it could not be created.")
                                                : refusal));
    return !partial.isEmpty();
}

void ConversionJob::State::makeMp3()
{
    const QString& encoder = laneEncoder();
    if (encoder.contains(QLatin1Char('/')) &&
        !step(ConversionStep::CheckEncoder, [&] { checkOwnProgram(encoder); })) {
        finish(ConversionOutcome::Failed,
               notMadeMessage(request.format, request.outputPath,
                              QStringLiteral("the %1 encoder was refused.")
                                  .arg(audioFormatTitle(request.format))));
        return;
    }
    // One file: it is reserved before the text is prepared, as it always was.
    outputs = std::make_unique<AudioOutputs>(request.outputPath, QStringList(),
                                             audioFormatExtension(request.format));
    const bool skipWhole = request.resume && outputs->isComplete(0);
    if (!request.splitChapters && !skipWhole && !reserveOutput(0))
        return;
    prepareText();
}

// The PDF read from its layout, or the text, as spokenDocument says, prepared on a worker
// thread (DocumentFeed::prepareWhole), so a long book never holds up the event loop; sentences
// are cut by the voice's language unless the request names one. The pieces stay as written,
// one for each utterance: the chapters' starts are found in them.
void ConversionJob::State::prepareText()
{
    WholeDocument document;
    if (request.sourcePdf.isEmpty())
        document.text = request.sourceText;
    else if (recognised && (!layout || request.verbatim))
        document.text = recognisedText;
    else if (!layout || request.verbatim)
        document.textPath = textPath;
    document.layout = layout;
    // Handed over whole: a long book's pages are let go on the worker's thread too.
    document.pages = std::exchange(pages, {});
    document.outline = outlineEntries;
    SpeechChoices& choices = document.choices;
    choices.reading = {request.readFootnotes, request.language};
    choices.utterance = {request.pauses, QString(), request.oneVoice};
    choices.verbatim = request.verbatim;
    choices.sourcePdf = request.sourcePdf;
    if (!request.verbatim)
        choices.utterance.voiceLanguage = voiceLanguage(request.voice);
    feed = new DocumentFeed(FeedRequest(), q);
    connect(feed, &DocumentFeed::documentPrepared, q,
            [this](const PreparedDocument& prepared) { textPrepared(prepared); });
    feed->prepareWhole(std::move(document));
}

// With the pronunciation list applied to each utterance for the language of the voice that
// speaks it (here, as it may ask the speech engine for its voices).
void ConversionJob::State::textPrepared(PreparedDocument prepared)
{
    feed->deleteLater();
    feed = nullptr;
    if (!running)
        return;
    SpokenDocument& spoken = prepared.spoken;
    bool ready = false;
    if (prepared.failure)
        emit q->stepFailed(
            ConversionFailure{ConversionStep::PrepareText, *prepared.failure, QString()});
    else
        ready = step(ConversionStep::PrepareText, [&] {
            unreadablePages = spoken.unreadablePages;
            if (!request.pronunciations.isEmpty())
                applyPronunciations(request.pronunciations, spoken.utterances,
                                    voiceLanguage(request.voice));
        });
    if (!ready) {
        finish(ConversionOutcome::Failed, notMadeMessage(request.format, request.outputPath,
                                                         QStringLiteral("the text could not be "
                                                                        "prepared for speech.")));
        return;
    }
    if (!textPath.isEmpty())
        QFile::remove(textPath);
    for (int page : std::as_const(unrecognisedPages)) {
        if (!unreadablePages.contains(page))
            unreadablePages.append(page);
    }
    std::sort(unreadablePages.begin(), unreadablePages.end());
    if (spoken.utterances.isEmpty() && (!unreadablePages.isEmpty() || recognised)) {
        // Not a page of it could be read: a scanned document, as far as the listener goes.
        finish(ConversionOutcome::Unreadable, unreadableTextMessage(request.sourcePdf));
        return;
    }
    // Chapters start in what the reading of the document made of it; lines read as they stand
    // are no sentences and headings, and start none.
    if (planOutputs(spoken.utterances, request.verbatim ? QList<SpokenPiece>() : spoken.pieces,
                    prepared.chapters))
        speakAndEncode();
}

// The name of the document for what starts before its first chapter: its title as the tags
// give it.
QString ConversionJob::State::documentName() const
{
    return documentTags().title;
}

// Cuts the text into parts at its chapters and decides the files made: with one file per
// chapter, the chapter files not complete yet; otherwise the one file, unless a resumed
// conversion finds it complete. False when the job has finished.
bool ConversionJob::State::planOutputs(const QList<Utterance>& utterances,
                                       const QList<SpokenPiece>& spokenPieces,
                                       const QList<Chapter>& chapters)
{
    QList<ChapterStart> starts;
    const QList<qsizetype> first = chapterFirstPieces(chapters, spokenPieces);
    for (qsizetype i = 0; i < chapters.size(); ++i)
        if (chapters.at(i).offset >= 0 && first.at(i) < spokenPieces.size())
            starts.append({chapters.at(i).title, first.at(i)});
    // The one file's first chapter is named once the document's title is known, at its end.
    plan = planAudio(utterances, starts, request.splitChapters ? documentName() : QString(),
                     request.splitChapters, EncoderLaneCount, MinimumLaneLength);
    if (plan.outputs > 1 || !plan.outputTitles.isEmpty())
        outputs = std::make_unique<AudioOutputs>(request.outputPath, plan.outputTitles,
                                                 audioFormatExtension(request.format));
    making.clear();
    for (int output = 0; output < outputs->count(); ++output) {
        if (request.resume && outputs->isComplete(output))
            continue;
        if (outputs->partialPath(output).isEmpty() && !reserveOutput(output))
            return false;
        making.append(output);
    }
    if (making.isEmpty()) {
        finish(ConversionOutcome::Done, QString());
        return false;
    }
    return true;
}

// Encoding takes most of the time, so the parts are spoken in two lanes at once, one encoder
// on each processor core.
void ConversionJob::State::speakAndEncode()
{
    // An M4B's parts are joined into its ADTS sound in the working folder, which its container
    // step then puts into the file.
    QStringList paths;
    for (const int output : std::as_const(making))
        paths << (request.format == AudioFormat::M4b
                      ? workPath(QStringLiteral("sound%1.aac").arg(output + 1))
                      : outputs->partialPath(output));
    QList<EncoderLanes::Part> parts;
    totalCharacters = 0;
    for (const EncoderLanes::Part& part : std::as_const(plan.parts)) {
        const int index = int(making.indexOf(part.output));
        if (index < 0)
            continue;
        parts.append({part.utterances, index});
        for (const Utterance& utterance : part.utterances)
            totalCharacters += utterance.text.size() + 1;
    }
    EncoderLanes::Setup setup{request.voice, laneEncoder(), work->path(), EncoderLaneCount,
                              request.format};
    lanes = new EncoderLanes(setup, paths, parts, q);
    pieces = lanes->count();
    connect(lanes, &EncoderLanes::spoken, q,
            [this](qint64 characters, int partsSpoken) { spoken(characters, partsSpoken); });
    connect(lanes, &EncoderLanes::renderingFailed, q,
            [this](const RenderingFailure& failure) { emit q->stepFailed(failure); });
    connect(lanes, &EncoderLanes::joining, q,
            [this] { report(ConversionStage::Joining, pieces, 1.0 - FinishingShare); });
    connect(lanes, &EncoderLanes::soundMade, q, [this](int output) { soundMade(output); });
    connect(lanes, &EncoderLanes::ended, q,
            [this](LanesEnd end, const QString& failure) { lanesEnded(end, failure); });
    report(ConversionStage::Speaking, 1, speakingFrom);
    EncoderLanes::Start started = EncoderLanes::Start::EncoderNotStarted;
    step(pieces == 1 ? ConversionStep::StartEncoder : ConversionStep::StartPartEncoder,
         [&] { started = lanes->start(); });
    if (started == EncoderLanes::Start::NoPipe)
        finish(ConversionOutcome::Failed,
               notMadeMessage(request.format, request.outputPath,
                              QStringLiteral("no pipe to the %1 encoder.")
                                  .arg(audioFormatTitle(request.format))));
    else if (started != EncoderLanes::Start::Started)
        encoderFailed();
}

void ConversionJob::State::spoken(qint64 characters, int partsSpoken)
{
    const double share = 1.0 - speakingFrom - FinishingShare;
    spokenCharacters = characters;
    report(ConversionStage::Speaking, qMin(partsSpoken + 1, pieces),
           speakingFrom + share * double(characters) / double(qMax<qint64>(1, totalCharacters)));
}

// A chapter's file is tagged and put in place as soon as it is complete (in its container,
// for M4B and Opus), so a conversion cut off later keeps it. The one file waits for the end,
// when its chapters' times are known.
void ConversionJob::State::soundMade(int lanesOutput)
{
    if (!outputs->perChapter())
        return;
    const int output = making.value(lanesOutput);
    if (needsContainerStep(request.format)) {
        ++containersRunning;
        finishing->putIntoContainer(output, lanes->outputParts(lanesOutput), {},
                                    outputs->partialPath(output));
        return;
    }
    soundReady(output);
}

// output's hidden file holds its whole sound.
void ConversionJob::State::soundReady(int output)
{
    if (!outputs->perChapter()) {
        Mp3Tags tags = documentTags();
        tags.chapters = wholeChapters;
        if (placeOutput(0, tags))
            done();
        return;
    }
    if (!documentInfoDone) {
        waitingForTags.append(output);
        return;
    }
    if (placeOutput(output, documentTags()) && lanesDone && containersRunning == 0)
        complete();
}

void ConversionJob::State::lanesEnded(LanesEnd end, const QString& speechFailure)
{
    switch (end) {
    case LanesEnd::Encoded:
        lanesDone = true;
        complete();
        return;
    case LanesEnd::EncoderFailed:
        encoderFailed();
        return;
    case LanesEnd::SpeechFailed:
        finish(ConversionOutcome::Failed,
               speechFailure == speech::ClassNotRegistered
                   ? speechFailure + QStringLiteral("\r\r") + speech::TryAnotherVoice
                   : notMadeMessage(request.format, request.outputPath,
                                    QStringLiteral("the text could not be rendered to speech.")));
        return;
    case LanesEnd::JoinFailed:
        finish(ConversionOutcome::Failed,
               writingFailure(QStringLiteral("its %1 parts could not be joined.").arg(pieces)));
        return;
    }
}

void ConversionJob::State::encoderFailed()
{
    finish(ConversionOutcome::Failed,
           writingFailure(QStringLiteral("the %1 encoder failed (is the package %2 installed?).")
                              .arg(audioFormatTitle(request.format),
                                   packageOf(defaultEncoder(request.format)))));
}

// The program that encodes the lanes' parts: lame for MP3, the format tool for the others.
const QString& ConversionJob::State::laneEncoder() const
{
    return request.format == AudioFormat::Mp3 ? request.encoder : request.formatTool;
}

Mp3Tags ConversionJob::State::documentTags() const
{
    const QString info = request.sourcePdf.isEmpty() || !work
                             ? QString()
                             : readTextFile(workPath(QStringLiteral("info.txt")));
    return conversionTags(request, info);
}

// Tags the output's hidden file and renames it into place; false when the job has finished
// with the failure.
bool ConversionJob::State::placeOutput(int output, Mp3Tags tags)
{
    const QString partial = outputs->partialPath(output);
    const QFileInfo made(partial);
    if (!made.exists() || made.size() == 0) {
        finish(ConversionOutcome::Failed,
               notMadeMessage(request.format, outputs->path(output),
                              QStringLiteral("the encoder wrote nothing.")));
        return false;
    }
    if (outputs->perChapter()) {
        tags.album = tags.title;
        tags.title = plan.outputTitles.value(output);
        tags.track = output + 1;
        tags.trackCount = outputs->count();
    }
    tags.cover = finishing->cover();
    try {
        writeAudioTags(request.format, partial, tags);
    } catch (const Failure& failure) {
        // The sound is complete; a player then shows the file name.
        qWarning("%s", qPrintable(failure.description()));
    }
    QString refusal;
    bool placed = false;
    step(ConversionStep::RenameOutput, [&] {
        try {
            outputs->place(output);
            placed = true;
        } catch (const Failure& failure) {
            refusal = failure.description();
        }
    });
    if (!placed)
        finish(ConversionOutcome::OutputFailed,
               refusal.isEmpty() ? notMadeMessage(request.format, outputs->path(output),
                                                  QStringLiteral("it could not be renamed."))
                                 : refusal);
    return placed;
}

void ConversionJob::State::complete()
{
    if (!documentInfoDone) {
        waitingForDocumentInfo = true;
        return;
    }
    waitingForDocumentInfo = false;
    if (outputs->perChapter()) {
        // The last chapter files may still be going into their containers.
        if (containersRunning == 0 && waitingForTags.isEmpty())
            done();
        return;
    }
    QList<qint64> samples;
    for (int part = 0; part < lanes->count(); ++part)
        samples.append(lanes->partSamples(part));
    if (plan.chapters.size() > 0 && plan.chapters.front().title.isEmpty())
        plan.chapters.front().title = documentTags().title;
    wholeChapters = chapterMarks(plan.chapters, samples, lanes->sampleRate());
    if (!needsContainerStep(request.format)) {
        soundReady(0);
        return;
    }
    report(ConversionStage::Joining, pieces, 1.0 - FinishingShare);
    ++containersRunning;
    finishing->putIntoContainer(0, lanes->outputParts(0), wholeChapters, outputs->partialPath(0));
}

void ConversionJob::State::done()
{
    spokenCharacters = totalCharacters;
    report(ConversionStage::Encoding, pieces, 1.0);
    finish(ConversionOutcome::Done, QString());
}

} // namespace lectorix
