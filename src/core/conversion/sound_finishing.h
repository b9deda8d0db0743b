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

// The tools that finish the audio files beside the voices: pdfinfo for their tags and pdftoppm
// for their cover, run while the voices speak, and for M4B and Opus ffmpeg putting each file's
// encoded sound into it, with the M4B's chapter atoms, one file after another. A side tool that
// cannot be started or fails leaves its part out (no title from the PDF, no cover); what the tools
// say stays in logs in the working folder. Nothing is waited for inside the event loop.
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
    };

    explicit SoundFinishing(Setup setup, QObject* parent = nullptr);
    // Stops whatever still runs.
    ~SoundFinishing() override;

    // Starts reading the document information and rendering the cover; false when none of
    // them runs, otherwise sideToolsEnded() follows.
    bool startSideTools();
    // Puts the sound of output's lane files (parts, in order; for M4B the first holds all of
    // it) into outputPath, with the chapters for M4B, once the containers asked for before are
    // done; then soundReady(output) or containerFailed(). MP3 needs no container.
    void putIntoContainer(int output, const QStringList& parts, const QList<ChapterMark>& chapters,
                          const QString& outputPath);
    // Stops the tools at once; no signal follows, and nothing more is started.
    void stop();

    // What pdfinfo printed, and the cover picture; empty when there is none.
    QString documentInfo() const;
    QByteArray cover() const;

signals:
    // The side tools have all ended.
    void sideToolsEnded();
    // The output holds the whole sound; its tags are still to be written.
    void soundReady(int output);
    // ffmpeg could not be started (started false), or failed.
    void containerFailed(bool started);

private:
    void startSideTool(const QByteArrayList& argv, const QString& name, const QString& output);
    void sideToolEnded();
    void startNextContainer();
    QString workPath(const QString& name) const;

    Setup m_setup;
    QList<ChildProcess*> m_sideTools;
    int m_sideToolsRunning = 0;
    bool m_stopped = false;
    struct Container
    {
        int output = 0;
        QStringList parts;
        QList<ChapterMark> chapters;
        QString outputPath;
    };
    QList<Container> m_containersWaiting;
    ChildProcess* m_container = nullptr;
};

} // namespace lectorix
