#pragma once

// The conversion job's own state, shared by its two source files (conversion_job.cpp: the
// job's course from start to finish; conversion_output.cpp: the text spoken into its MP3s).

#include "core/conversion/audio_outputs.h"
#include "core/conversion/chapter_audio.h"
#include "core/conversion/conversion_job.h"
#include "core/conversion/encoder_lanes.h"
#include "core/conversion/mp3_tags.h"
#include "core/conversion/sound_finishing.h"
#include "core/document/document_feed.h"
#include "core/pdf/document_outline.h"
#include "core/pdf/outline_job.h"
#include "core/process/child_process.h"
#include "core/speech/utterance.h"
#include "core/text/spoken_text.h"

#include <QTemporaryDir>

#include <memory>

namespace lectorix {

// How much of the whole job each part stands for, for the progress bar.
inline constexpr double ExtractionShare = 0.05;
inline constexpr double FinishingShare = 0.02;
// Recognising a page takes about as long as speaking and encoding it.
inline constexpr double RecognitionShare = 0.45;

QString notMadeMessage(AudioFormat format, const QString& outputPath, const QString& why);

struct ConversionJob::State
{
    ConversionJob* q = nullptr;
    ConversionRequest request;
    bool running = false;
    std::unique_ptr<QTemporaryDir> work;
    ExtractionJob* extraction = nullptr;
    OutlineJob* outline = nullptr;
    RecognitionJob* recognition = nullptr;
    DocumentFeed* feed = nullptr; // preparing the text for speech
    EncoderLanes* lanes = nullptr;
    // pdfinfo and the cover while the voice speaks, and M4B's and Opus's containers after.
    SoundFinishing* finishing = nullptr;
    bool documentInfoDone = true; // the side tools have ended
    // Containers asked for and not done yet, and whether the lanes have ended.
    int containersRunning = 0;
    bool lanesDone = false;
    bool waitingForDocumentInfo = false;
    // The text is prepared once both the text and the outline are there.
    bool textExtracted = false;
    bool outlineDone = true;
    bool mp3Started = false;
    QList<OutlineEntry> outlineEntries;
    // The document's text: the extraction's text file, or the text given.
    QString textPath;
    // The PDF's pages, when the converter gave their layout.
    bool layout = false;
    QList<LayoutPage> pages;
    QList<int> unreadablePages;
    // After recognition: the pages' text, for a verbatim reading, and the pages that could
    // not be recognised.
    bool recognised = false;
    QString recognisedText;
    QList<int> unrecognisedPages;
    double speakingFrom = ExtractionShare;
    // The MP3s made, the parts they are spoken in, and for each MP3 of the lanes the index of
    // the output it is (outputs already complete are not made again).
    std::unique_ptr<AudioOutputs> outputs;
    AudioPlan plan;
    QList<int> making;
    // The one file's chapter marks, once its parts' lengths are known.
    QList<ChapterMark> wholeChapters;
    // Chapter files complete while the document's title was still awaited.
    QList<int> waitingForTags;
    int pieces = 0;
    qint64 totalCharacters = 0;
    qint64 spokenCharacters = 0;

    QString workPath(const QString& name) const { return work->path() + QLatin1Char('/') + name; }

    void report(ConversionStage stage, int piece, double fraction)
    {
        emit q->progress(
            {stage, piece, pieces, qBound(0.0, fraction, 1.0), spokenCharacters, totalCharacters});
    }
    template <typename Body> bool step(ConversionStep which, Body&& body)
    {
        return runStep(which, std::forward<Body>(body),
                       [this](const ConversionFailure& failure) { emit q->stepFailed(failure); });
    }

    // conversion_job.cpp
    void start();
    void extract();
    void readOutline();
    void takeAnsweredPassword();
    void extracted(const ExtractionResult& result);
    void recogniseScan();
    bool recognise(bool wholeDocument);
    void recognitionEnded(const RecognitionResult& result);
    void makeMp3WhenReady();
    void startFinishing();
    void sideToolsEnded();
    void finish(ConversionOutcome outcome, const QString& message,
                const QString& detail = QString());
    void removeWorkingFiles();
    QString writingFailure(const QString& usual, qint64 needed = 0) const;

    // conversion_output.cpp
    void makeMp3();
    bool reserveOutput(int output);
    bool planOutputs(const QList<Utterance>& utterances, const QList<SpokenPiece>& spokenPieces,
                     const QList<Chapter>& chapters);
    void prepareText();
    void textPrepared(PreparedDocument prepared);
    QString documentName() const;
    void speakAndEncode();
    void spoken(qint64 characters, int partsSpoken);
    void soundMade(int lanesOutput);
    void soundReady(int output);
    void lanesEnded(LanesEnd end, const QString& speechFailure);
    void encoderFailed();
    void complete();
    void done();
    const QString& laneEncoder() const;
    bool placeOutput(int output, Mp3Tags tags);
    Mp3Tags documentTags() const;
};

} // namespace lectorix
