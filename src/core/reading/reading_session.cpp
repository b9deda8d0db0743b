#include "core/reading/reading_session.h"

#include "core/base/failure.h"
#include "core/document/document_feed.h"
#include "core/files/temp_folder.h"
#include "core/pdf/document_text.h"
#include "core/pdf/outline_job.h"
#include "core/speech/language_voices.h"
#include "core/speech/speech_engine.h"
#include "core/text/speech_pauses.h"
#include "core/text/spoken_text.h"
#include "core/text/text_splitting.h"

#include <QTimer>

namespace lectorix {

namespace {

constexpr int TextBoxPieceSize = 100000;
constexpr int WatchIntervalMs = 50;
// Utterances queued beyond the one being spoken.
constexpr qsizetype UtterancesAhead = 2;

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

ReadingSession::ReadingSession(QObject* parent) : Job(parent)
{
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
    if (state == ReadingState::Idle)
        emit ended();
}

void ReadingSession::release()
{
    m_watch->stop();
    dropFeed();
    if (m_outline) {
        m_outline->disconnect(this);
        m_outline->cancel();
        m_outline->deleteLater();
        m_outline = nullptr;
    }
    m_languages.reset();
    m_voiceLanguage.clear();
    m_voice.reset(); // stops at once: drops what is queued and silences the output
    m_workFolder.reset();
    m_utterances.clear();
    m_pieces.clear();
    m_nextPiece = 0;
    m_nextFrom = 0;
    m_seekTo = -1;
    m_trimToSeek = false;
    m_complete = false;
    m_place = {};
    m_wordsHeard = false;
    m_chapter = -1;
    m_waitChapter = -1;
    m_layoutPages.clear();
    m_announced = 0;
    m_wordAnnounced = {};
}

void ReadingSession::stop()
{
    release();
    setState(ReadingState::Idle);
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
    m_request.voice.volume = volume;
    if (m_voice)
        m_voice->setVolume(volume);
}

void ReadingSession::setRate(int rate)
{
    m_request.voice.rate = rate;
    if (m_voice)
        m_voice->setRate(rate);
}

// A new voice with the chosen voice, volume and rate.
void ReadingSession::makeVoice()
{
    const bool pdf = m_request.fromPdf;
    m_languages.reset();
    step(pdf ? ReadingStep::CreatePdfVoice : ReadingStep::CreateVoice,
         [&] { m_voice = speech::engine().createVoice(); });
    applyVoiceSettings(
        m_request.voice, [this]() -> speech::Voice& { return voiceOrFail(); },
        [this, pdf](const VoiceSettingFailure& failure) {
            emit stepFailed(ReadingFailure{readingStep(failure.step, pdf), failure.description,
                                           failure.reason});
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
    m_pageStarts.clear();
    m_chapters = request.chapters;
    setState(ReadingState::Reading);
    setPosition(request.fromPdf ? request.startAt : request.textOffset);
    if (request.fromPdf && request.startAt > 0)
        m_seekTo = request.startAt; // the piece holding it is read whole
    if (request.startChapter >= 0 && request.startChapter < m_chapters.size() &&
        m_chapters.at(request.startChapter).offset >= 0) {
        m_seekTo = m_chapters.at(request.startChapter).offset;
        m_trimToSeek = true;
        setPosition(m_seekTo);
    } else if (request.fromPdf && request.startChapter >= 0) {
        m_waitChapter = request.startChapter; // found as the pages are converted
    }

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
            step(ReadingStep::PrepareText, [&] {
                spoken =
                    documentPieces(request.text, nullptr, {request.readFootnotes, m_voiceLanguage});
            });
        }
        await(std::move(spoken), request.textOffset);
        m_complete = true;
        m_queueStep = ReadingStep::QueueText;
        queueAhead();
        m_watch->start();
        return;
    }

    if (startPdf())
        m_watch->start();
}

// Pieces to say, their places moved by shift into the coordinates of the text box or of the
// whole extracted text.
void ReadingSession::await(QList<SpokenPiece> pieces, qsizetype shift)
{
    // Each sentence is an utterance of its own, so the pause after it is the one set.
    if (!m_request.verbatim)
        pieces = sentencePieces(pieces, m_voiceLanguage);
    for (SpokenPiece& piece : pieces) {
        piece.sourceOffset += shift;
        for (SpokenPiece::Stretch& stretch : piece.stretches)
            stretch.sourceStart += shift;
        m_pieces.append(std::move(piece));
    }
}

// Passes over the pieces that end before the place sought; false when none is left to say.
bool ReadingSession::passOverToSeek()
{
    while (m_nextPiece < m_pieces.size()) {
        const SpokenPiece& piece = m_pieces.at(m_nextPiece);
        if (piece.sourceOffset + piece.sourceLength > m_seekTo) {
            m_nextFrom = m_trimToSeek ? spokenPositionOf(piece, m_seekTo) : 0;
            m_seekTo = -1;
            return true;
        }
        ++m_nextPiece;
    }
    return false;
}

// The voice is given a few utterances ahead of the one it speaks, not the whole text at once:
// the queue stays short for any book, and a new rate is heard from the next utterance on.
void ReadingSession::queueAhead()
{
    if (m_waitChapter >= 0)
        return;
    // Without a voice (its making failed), the first queuing step fails and says so.
    while (m_nextPiece < m_pieces.size() &&
           m_utterances.size() - qMax(m_voice ? m_voice->textsBegun() : 0, 1) < UtterancesAhead) {
        if (m_seekTo >= 0 && !passOverToSeek())
            return;
        const SpokenPiece piece = pieceFrom(m_pieces.at(m_nextPiece), m_nextFrom);
        const SpokenPiece* next =
            m_nextPiece + 1 < m_pieces.size() ? &m_pieces.at(m_nextPiece + 1) : nullptr;
        // The pause after it and the language of its voice, as an export gives them (the
        // written text's: a spoken form does not change which voice reads). Pieces read
        // verbatim are lines or blocks of the text as it stands: the voice's own pauses, none
        // added, and the chosen voice.
        const lectorix::Utterance utterance =
            m_request.verbatim
                ? lectorix::Utterance()
                : spokenUtterance(piece, next,
                                  {m_request.pauses, m_voiceLanguage, m_request.oneVoice});
        const int silence = utterance.silenceAfterMs;
        const QString& language = utterance.language;
        SpokenPiece said;
        // A failed queuing step ends the queuing: the rest would fail the same way, each with
        // a report of its own.
        if (!step(m_queueStep, [&] {
                if (m_languages)
                    m_languages->choose(language);
                // After the choice: the list applies for the language of the voice that speaks.
                said = spokenForm(m_pieces.at(m_nextPiece), m_nextFrom);
                voiceOrFail().speakAsync(said.text, silence);
            })) {
            // Nothing more can be said: the rest of the document is not converted either.
            m_languages.reset();
            m_voice.reset();
            m_nextPiece = m_pieces.size();
            dropFeed();
            return;
        }
        m_utterances.append({m_nextPiece, m_nextFrom, std::move(said.stretches)});
        ++m_nextPiece;
        m_nextFrom = 0;
    }
}

// The piece's text from position from on as the voice is given it: cleaned, then with the
// pronunciation list applied for the language of the voice now chosen to speak it (the
// chosen voice's, or that of the language the piece's script asks for). Its stretches lead
// each character said back to a position in the piece's own text, a replaced word's to the
// whole written word.
SpokenPiece ReadingSession::spokenForm(const SpokenPiece& piece, qsizetype from) const
{
    const QString text = cleanTextForSpeech(piece.text.mid(from));
    SpokenPiece said{text, from, text.size(), {{0, from}}};
    if (m_request.pronunciations.isEmpty() || !m_voice)
        return said;
    return m_request.pronunciations.applied(said, voiceIdLanguage(m_voice->voice().id));
}

void ReadingSession::watch()
{
    if (m_voice) {
        const int begun = qMin<int>(m_voice->textsBegun(), int(m_utterances.size()));
        while (m_announced < begun) {
            const Utterance& u = m_utterances.at(m_announced++);
            const SpokenPiece& piece = m_pieces.at(u.piece);
            const qsizetype start = piece.sourcePosition(u.from);
            if (!m_wordsHeard)
                setPlace({u.piece, u.from});
            followRecognition(start);
            emit spokenRange(start, piece.sourceOffset + piece.sourceLength - start);
        }
        const speech::WordPosition word = m_voice->currentWord();
        if (word != m_wordAnnounced && word.text >= 0 && word.text < m_utterances.size()) {
            m_wordAnnounced = word;
            const Utterance& u = m_utterances.at(word.text);
            // A word said in place of a written one stands for the whole written word.
            const SpokenPiece said{QString(), 0, 0, u.said};
            const auto [start, length] = said.sourceRange(word.start, word.length);
            m_wordsHeard = true;
            setPlace({u.piece, start});
            emit spokenWord(m_position, length);
        }
        if (m_voice)
            queueAhead();
    }
    // While ranges are still being converted, prepared or recognised, the voice may have caught
    // up with the text.
    const bool more =
        (m_feed && m_feed->isRunning()) || m_nextPiece < m_pieces.size() || m_waitChapter >= 0;
    sayHeldPages();
    if (more || (m_voice && !m_voice->isDone()))
        return;
    stop();
}

} // namespace lectorix
