#pragma once

#include "core/conversion/audio_format.h"
#include "core/conversion/chapter_marks.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

namespace lectorix {

class ChildProcess;

// The tools that finish an audio file beside the voices: pdfinfo for its tags and pdftoppm for
// its cover, run while the voices speak, and for M4B and Opus ffmpeg putting the encoded sound
// into the output with the M4B's chapter atoms. A side tool that cannot be started or fails
// leaves its part out (no title from the PDF, no cover); what the tools say stays in logs in
// the working folder. Nothing is waited for inside the event loop.
class SoundFinishing final : public QObject
{
    Q_OBJECT

public:
    struct Setup
    {
        AudioFormat format = AudioFormat::Mp3;
        QString formatTool;    // ffmpeg, for M4B and Opus
        QString coverRenderer; // pdftoppm; empty: no cover
        QString sourcePdf;     // empty: text, which has neither document information nor cover
        QString password;
        QString workFolder;
        QString outputPath; // the hidden file the finished sound goes into
    };

    explicit SoundFinishing(Setup setup, QObject* parent = nullptr);
    // Stops whatever still runs.
    ~SoundFinishing() override;

    // Starts reading the document information and rendering the cover.
    void startSideTools();
    // Once the side tools have ended, puts the sound of the lanes' files (parts, in order)
    // into the output where the format needs it; then soundReady() or containerFailed().
    void finishSound(const QStringList& parts, const QList<ChapterMark>& chapters);
    // Stops the tools at once; no signal follows, and nothing more is started.
    void stop();

    // What pdfinfo printed, and the cover picture; empty when there is none.
    QString documentInfo() const;
    QByteArray cover() const;

signals:
    // The output holds the whole sound; its tags are still to be written.
    void soundReady();
    // ffmpeg could not be started (started false), or failed.
    void containerFailed(bool started);

private:
    void startSideTool(const QByteArrayList& argv, const QString& name, const QString& output);
    void sideToolEnded();
    void putIntoContainer();
    QString workPath(const QString& name) const;

    Setup m_setup;
    QList<ChildProcess*> m_sideTools;
    int m_sideToolsRunning = 0;
    bool m_waiting = false;
    bool m_stopped = false;
    ChildProcess* m_container = nullptr;
    QStringList m_parts;
    QList<ChapterMark> m_chapters;
};

} // namespace lectorix
