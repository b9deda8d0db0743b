#include "core/reading_session.h"

#include "core/document_text.h"
#include "core/error_report.h"
#include "core/failure.h"
#include "core/speech_engine.h"
#include "core/temp_folder.h"
#include "core/text_files.h"
#include "core/text_splitting.h"

#include <QTimer>

namespace lectorix {

namespace {

constexpr int TextBoxPieceSize = 100000;
constexpr int WatchIntervalMs = 50;

} // namespace

ReadingSession::ReadingSession(QObject* parent) : QObject(parent)
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
    m_voice.reset(); // stops at once: drops what is queued and silences the output
    m_workFolder.reset();
    m_utterances.clear();
    m_announced = 0;
}

void ReadingSession::stop()
{
    release();
    setState(ReadingState::Idle);
}

void ReadingSession::pause()
{
    Guard g("Speak", "SpeakLoud");
    if (m_state != ReadingState::Reading)
        return;
    g(242, [&] { voiceOrFail().pause(); });
    setState(ReadingState::Paused);
}

void ReadingSession::resume()
{
    Guard g("Speak", "SpeakLoud");
    if (m_state != ReadingState::Paused)
        return;
    g(106, [&] { voiceOrFail().resume(); });
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

// A new voice with the chosen voice, volume and rate; the five steps keep the line numbers of
// their place in the reading procedure.
void ReadingSession::makeVoice(int firstLine)
{
    Guard g("Speak", "SpeakLoud");
    g(firstLine, [&] { m_voice = speech::engine().createVoice(); });
    applyVoiceSettings(g, firstLine + 2, m_request.voice,
                       [this]() -> speech::Voice& { return voiceOrFail(); });
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
    Guard g("Speak", "SpeakLoud");

    if (!request.fromPdf) {
        if (g.test(122, [&] { return request.text.isEmpty(); })) {
            setState(ReadingState::Idle);
            return;
        }
        makeVoice(124);
        QStringList pieces;
        g.assign(134, pieces, [&] { return splitTextBySize(request.text, TextBoxPieceSize); });
        qsizetype offset = 0;
        for (const QString& piece : std::as_const(pieces)) {
            queue(piece, offset, 140);
            offset += piece.size();
            if (!m_voice)
                break;
        }
        m_watch->start();
        return;
    }

    g(158, [&] { m_workFolder = makeWorkingFolder(QStringLiteral("reading")); });
    if (!m_workFolder) {
        // No usable temporary folder (already reported): nothing may be written there.
        setState(ReadingState::Idle);
        return;
    }
    ExtractionRequest extract;
    extract.pdfPath = request.pdfPath;
    extract.password = request.password;
    extract.converter = request.converter;
    extract.workingCopyPath = m_workFolder->path() + QStringLiteral("/output.pdf");
    extract.report = {"Speak", "SpeakLoud", 160, request.password.isEmpty() ? 172 : 168, 198, 200};
    m_extraction = new ExtractionJob(extract, this);
    connect(m_extraction, &ExtractionJob::finished, this,
            [this](const ExtractionResult& result) { pdfExtracted(result); });
    m_extraction->start();
}

void ReadingSession::pdfExtracted(const ExtractionResult& result)
{
    const int convertLine = m_extraction ? m_extraction->request().report.convert : 0;
    if (m_extraction) {
        m_extraction->deleteLater();
        m_extraction = nullptr;
    }
    if (result.outcome == ExtractionOutcome::MachineFault) {
        // Said at the line that runs the converter, naming the package that brings it.
        Guard g("Speak", "SpeakLoud");
        g(convertLine, [&] { throw Failure(result.detail); });
    }
    if (result.outcome != ExtractionOutcome::Text) {
        // Nothing to read: the reading ends quietly, as when the text box is empty.
        stop();
        return;
    }
    Guard g("Speak", "SpeakLoud");
    makeVoice(202);
    QStringList lines;
    g.assign(212, lines, [&] { return readTextFileLines(result.textPath); });
    qsizetype offset = 0;
    for (const QString& line : std::as_const(lines)) {
        if (!line.isEmpty())
            queue(line, offset, 218);
        offset += line.size() + 1;
        if (!m_voice)
            break;
    }
    m_watch->start();
}

void ReadingSession::queue(const QString& text, qsizetype offset, int line)
{
    Guard g("Speak", "SpeakLoud");
    // A failed queuing step ends the queuing: the rest would fail the same way, each with a
    // report of its own.
    const bool queued = g(line, [&] { voiceOrFail().speakAsync(text); });
    if (queued)
        m_utterances.append({offset, text.size()});
    else
        m_voice.reset();
}

void ReadingSession::watch()
{
    if (m_voice) {
        const int begun = qMin<int>(m_voice->textsBegun(), int(m_utterances.size()));
        while (m_announced < begun) {
            const Utterance& u = m_utterances.at(m_announced++);
            emit spokenRange(u.offset, u.length);
        }
    }
    if (m_voice && !m_voice->isDone())
        return;
    stop();
}

} // namespace lectorix
