#include "core/reading/reading_session.h"

#include "core/base/failure.h"
#include "core/conversion/spoken_text.h"
#include "core/files/temp_folder.h"
#include "core/files/text_decoding.h"
#include "core/pdf/document_text.h"
#include "core/speech/language_voices.h"
#include "core/speech/speech_engine.h"
#include "core/text/script_language.h"
#include "core/text/speech_pauses.h"
#include "core/text/text_preparation.h"
#include "core/text/text_splitting.h"

#include <QFile>
#include <QTimer>

namespace lectorix {

namespace {

constexpr int TextBoxPieceSize = 100000;
constexpr int WatchIntervalMs = 50;
// Utterances queued beyond the one being spoken.
constexpr qsizetype UtterancesAhead = 2;
// Pages of a PDF converted first, and the most converted at once later; each later range is
// twice as long as the one before.
constexpr int FirstRangePages = 10;
constexpr int LargestRangePages = 80;

// A voice setting's step in a reading of the text box or of a PDF.
ReadingStep readingStep(VoiceSettingStep step, bool pdf)
{
    switch (step) {
    case VoiceSettingStep::ChooseVoice:
        return pdf ? ReadingStep::ChoosePdfVoice : ReadingStep::ChooseVoice;
    case VoiceSettingStep::SetVolume:
        return pdf ? ReadingStep::SetPdfVolume : ReadingStep::SetVolume;
    case VoiceSettingStep::SetRate:
        break;
    }
    return pdf ? ReadingStep::SetPdfRate : ReadingStep::SetRate;
}

} // namespace

ReadingSession::ReadingSession(QObject* parent) : QObject(parent)
{
    qRegisterMetaType<ReadingFailure>();
    m_watch = new QTimer(this);
    m_watch->setInterval(WatchIntervalMs);
    connect(m_watch, &QTimer::timeout, this, &ReadingSession::watch);
}

ReadingSession::~ReadingSession()
{
    release();
}

void ReadingSession::setState(ReadingState state)
{
    if (m_state == state)
        return;
    m_state = state;
    emit stateChanged(state);
}

void ReadingSession::release()
{
    m_watch->stop();
    if (m_extraction) {
        m_extraction->disconnect(this);
        m_extraction->cancel();
        m_extraction->deleteLater();
        m_extraction = nullptr;
    }
    m_preparation.reset();
    m_layoutPreparation.reset();
    m_unreadablePages.clear();
    m_textOffset = 0;
    m_languages.reset();
    m_voiceLanguage.clear();
    m_voice.reset(); // stops at once: drops what is queued and silences the output
    m_workFolder.reset();
    m_utterances.clear();
    m_waiting.clear();
    m_announced = 0;
    m_wordAnnounced = {};
}

void ReadingSession::stop()
{
    release();
    setState(ReadingState::Idle);
}

template <typename Body> bool ReadingSession::step(ReadingStep which, Body&& body)
{
    return runStep(which, std::forward<Body>(body),
                   [this](const ReadingFailure& failure) { emit stepFailed(failure); });
}

void ReadingSession::pause()
{
    if (m_state != ReadingState::Reading)
        return;
    step(ReadingStep::Pause, [&] { voiceOrFail().pause(); });
    setState(ReadingState::Paused);
}

void ReadingSession::resume()
{
    if (m_state != ReadingState::Paused)
        return;
    step(ReadingStep::Resume, [&] { voiceOrFail().resume(); });
    setState(ReadingState::Reading);
}

void ReadingSession::setVolume(int volume)
{
    if (m_voice)
        m_voice->setVolume(volume);
}

void ReadingSession::setRate(int rate)
{
    if (m_voice)
        m_voice->setRate(rate);
}

// A new voice with the chosen voice, volume and rate.
void ReadingSession::makeVoice()
{
    const bool pdf = m_request.fromPdf;
    step(pdf ? ReadingStep::CreatePdfVoice : ReadingStep::CreateVoice,
         [&] { m_voice = speech::engine().createVoice(); });
    applyVoiceSettings(
        m_request.voice, [this]() -> speech::Voice& { return voiceOrFail(); },
        [this, pdf](const VoiceSettingFailure& failure) {
            emit stepFailed({readingStep(failure.step, pdf), failure.description, failure.reason});
        });
    if (m_voice) {
        m_voiceLanguage = voiceIdLanguage(m_voice->voice().id);
        m_languages = std::make_unique<LanguageVoices>(*m_voice);
    }
}

speech::Voice& ReadingSession::voiceOrFail() const
{
    // Without a voice every step that needs one fails on its own line, as each would report it.
    if (!m_voice)
        throw Failure(failures::ObjectRequired);
    return *m_voice;
}

void ReadingSession::start(const ReadingRequest& request)
{
    release();
    m_request = request;
    setState(ReadingState::Reading);

    if (!request.fromPdf) {
        if (request.text.isEmpty()) {
            setState(ReadingState::Idle);
            return;
        }
        makeVoice();
        QList<SpokenPiece> spoken;
        if (request.verbatim) {
            QStringList pieces;
            step(ReadingStep::PrepareText,
                 [&] { pieces = splitTextBySize(request.text, TextBoxPieceSize); });
            qsizetype offset = 0;
            for (const QString& piece : std::as_const(pieces)) {
                spoken.append({piece, offset, piece.size(), {{0, offset}}});
                offset += piece.size();
            }
        } else {
            step(ReadingStep::PrepareText, [&] { spoken = prepareForSpeech(request.text); });
        }
        await(std::move(spoken), request.textOffset);
        m_queueStep = ReadingStep::QueueText;
        queueAhead();
        m_watch->start();
        return;
    }

    step(ReadingStep::MakeWorkingFolder,
         [&] { m_workFolder = makeWorkingFolder(QStringLiteral("reading")); });
    if (!m_workFolder) {
        // No usable temporary folder (already reported): nothing may be written there.
        setState(ReadingState::Idle);
        return;
    }
    if (!request.verbatim)
        m_preparation = std::make_unique<SpeechPreparation>();
    m_nextPage = 1;
    m_rangePages = FirstRangePages;
    m_anyText = false;
    convertNextRange();
    m_watch->start();
}

// A long document is converted a range of pages at a time: the first range is small, so the
// voice starts at once, and the rest follows in larger ranges while it speaks.
void ReadingSession::convertNextRange()
{
    const QString copy = m_workFolder->path() + QStringLiteral("/output.pdf");
    ExtractionRequest extract;
    extract.password = m_request.password;
    extract.converter = m_request.converter;
    extract.firstPage = m_nextPage;
    extract.lastPage = m_nextPage + m_rangePages - 1;
    if (m_nextPage == 1) {
        // The first range copies the document; the rest read that copy, so a document
        // changed or removed meanwhile is still read as it was.
        extract.pdfPath = m_request.pdfPath;
        extract.workingCopyPath = copy;
    } else {
        extract.pdfPath = copy;
        extract.textPath = m_workFolder->path() + QStringLiteral("/range.txt");
    }
    m_extraction = new ExtractionJob(extract, this);
    // The extraction's own steps (copying, testing) are the front end's to report, as
    // steps of the reading.
    connect(m_extraction, &ExtractionJob::stepFailed, this, &ReadingSession::extractionStepFailed);
    connect(m_extraction, &ExtractionJob::finished, this,
            [this](const ExtractionResult& result) { rangeExtracted(result); });
    m_extraction->start();
}

void ReadingSession::rangeExtracted(const ExtractionResult& result)
{
    const int requestedPages = m_rangePages;
    if (m_extraction) {
        m_extraction->deleteLater();
        m_extraction = nullptr;
    }
    if (result.outcome == ExtractionOutcome::MachineFault) {
        // Said as the converter's step, naming the package that brings it.
        emit stepFailed({m_request.password.isEmpty() ? ReadingStep::ConvertPages
                                                      : ReadingStep::ConvertPagesWithPassword,
                         result.detail, QString()});
        stop();
        return;
    }
    if (result.outcome == ExtractionOutcome::Cancelled)
        return;
    if (result.outcome == ExtractionOutcome::NeedsPassword && !m_anyText) {
        stop();
        emit passwordNeeded();
        return;
    }
    m_nextPage += requestedPages;
    m_rangePages = qMin(m_rangePages * 2, LargestRangePages);

    bool last = false;
    if (result.outcome == ExtractionOutcome::Text) {
        last = takeRange(result, requestedPages);
    } else if (result.outcome == ExtractionOutcome::Unreadable) {
        // A range of scanned pages: the text may start further on.
        last = result.layout && result.pages.size() < requestedPages;
    } else {
        // No text file: before any text, the document cannot be read, and the reading ends
        // quietly; after some, the document has ended (a range beyond the last page).
        last = true;
    }
    if (last) {
        finishDocument();
        if (!m_anyText) {
            stop();
            return;
        }
    } else {
        convertNextRange();
    }
    m_queueStep = ReadingStep::QueuePdfText;
    if (m_voice)
        queueAhead();
    else if (m_anyText)
        m_waiting.clear(); // the voice could not be made (reported): nothing can be said
}

// Reads a converted range into the pieces waiting to be said, making the voice with the first
// text. Returns whether the range was the document's last.
bool ReadingSession::takeRange(const ExtractionResult& result, int requestedPages)
{
    QString text;
    step(ReadingStep::ReadPages, [&] { text = readTextFile(result.textPath); });
    QFile::remove(result.textPath);
    emit textConverted(m_textOffset, text);
    if (!m_anyText) {
        m_anyText = true;
        makeVoice();
    }
    if (result.layout && !m_request.verbatim) {
        takeLayout(result.pages);
    } else if (m_preparation) {
        m_preparation->add(text);
        await(m_preparation->takePieces(), 0);
    } else {
        await(linesForSpeech(text), m_textOffset);
    }
    m_textOffset += text.size();
    // The converter gives every page asked for that the document has (pdftotext's plain text
    // ends each with a form feed): fewer than asked for is the end.
    if (result.layout)
        return result.pages.size() < requestedPages;
    return text.count(QLatin1Char('\f')) < requestedPages;
}

// A range's pages, read from their layout; their words' offsets continue the text so far.
void ReadingSession::takeLayout(QList<LayoutPage> pages)
{
    if (!m_layoutPreparation) {
        LayoutReadingOptions options;
        options.readFootnotes = m_request.readFootnotes;
        options.language = m_voiceLanguage;
        m_layoutPreparation = std::make_unique<LayoutPreparation>(options);
    }
    layoutText(pages, m_textOffset);
    m_layoutPreparation->add(pages);
    await(m_layoutPreparation->takePieces(), 0);
}

// The document has been converted: what the preparations still hold is let out, and the pages
// that could not be read are named.
void ReadingSession::finishDocument()
{
    if (m_layoutPreparation) {
        m_layoutPreparation->finish();
        await(m_layoutPreparation->takePieces(), 0);
        m_unreadablePages = m_layoutPreparation->unreadablePages();
    } else if (m_preparation) {
        m_preparation->finish();
        await(m_preparation->takePieces(), 0);
    }
    if (!m_unreadablePages.isEmpty())
        emit unreadablePages(m_unreadablePages);
}

// Pieces to say, their places moved by shift into the coordinates of the text box or of the
// whole extracted text. A PDF read from a remembered place skips what ends before it.
void ReadingSession::await(QList<SpokenPiece> pieces, qsizetype shift)
{
    // Each sentence is an utterance of its own, so the pause after it is the one set.
    if (!m_request.verbatim)
        pieces = sentencePieces(pieces, m_voiceLanguage);
    for (SpokenPiece& piece : pieces) {
        piece.sourceOffset += shift;
        for (SpokenPiece::Stretch& stretch : piece.stretches)
            stretch.sourceStart += shift;
        if (m_request.fromPdf && piece.sourceOffset + piece.sourceLength <= m_request.startAt)
            continue;
        m_waiting.append(std::move(piece));
    }
}

// The voice is given a few utterances ahead of the one it speaks, not the whole text at once:
// the queue stays short for any book, and a new rate is heard from the next utterance on.
void ReadingSession::queueAhead()
{
    // Without a voice (its making failed), the first queuing step fails and says so.
    while (!m_waiting.isEmpty() &&
           m_utterances.size() - qMax(m_voice ? m_voice->textsBegun() : 0, 1) < UtterancesAhead) {
        const SpokenPiece piece = m_waiting.takeFirst();
        // Pieces read verbatim are lines or blocks of the text as it stands: the voice's own
        // pauses, none added.
        const int silence =
            m_request.verbatim
                ? speech::VoicesOwnPause
                : silenceAfterMs(piece, m_waiting.isEmpty() ? nullptr : &m_waiting.first(),
                                 m_request.pauses);
        const QString text = cleanTextForSpeech(piece.text);
        const QString language = m_request.verbatim || m_request.oneVoice
                                     ? QString()
                                     : scriptLanguage(text, m_voiceLanguage);
        // A failed queuing step ends the queuing: the rest would fail the same way, each with
        // a report of its own.
        if (!step(m_queueStep, [&] {
                if (m_languages)
                    m_languages->choose(language);
                voiceOrFail().speakAsync(text, silence);
            })) {
            // Nothing more can be said: the rest of the document is not converted either.
            m_languages.reset();
            m_voice.reset();
            m_waiting.clear();
            if (m_extraction) {
                m_extraction->disconnect(this);
                m_extraction->cancel();
                m_extraction->deleteLater();
                m_extraction = nullptr;
            }
            return;
        }
        SpokenPiece place{QString(), piece.sourceOffset, piece.sourceLength, piece.stretches};
        m_utterances.append({piece.sourceOffset, piece.sourceLength, std::move(place)});
    }
}

void ReadingSession::watch()
{
    if (m_voice) {
        const int begun = qMin<int>(m_voice->textsBegun(), int(m_utterances.size()));
        while (m_announced < begun) {
            const Utterance& u = m_utterances.at(m_announced++);
            emit spokenRange(u.offset, u.length);
        }
        const speech::WordPosition word = m_voice->currentWord();
        if (word != m_wordAnnounced && word.text >= 0 && word.text < m_utterances.size()) {
            m_wordAnnounced = word;
            const Utterance& u = m_utterances.at(word.text);
            emit spokenWord(u.place.sourcePosition(word.start), word.length);
        }
        if (m_voice)
            queueAhead();
    }
    // While ranges are still being converted, the voice may have caught up with the text.
    const bool more = m_extraction != nullptr || !m_waiting.isEmpty();
    if (more || (m_voice && !m_voice->isDone()))
        return;
    stop();
}

} // namespace lectorix
