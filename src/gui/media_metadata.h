#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>

#include <memory>

class QTemporaryDir;

namespace lectorix {
class ChildProcess;
struct ReadingRequest;

// What a media player shows of the reading: the document, its author, the chapter being read
// and the spoken length, each where known (empty, or a length of -1).
struct NowReading
{
    QString title;
    QString author;
    QString chapter;
    qint64 lengthMicroseconds = -1;
};

// The name a reading goes by until (or unless) its document names itself: a PDF's file name
// without its extension, or the first words of the text read.
QString readingTitle(const ReadingRequest& request);

// The MPRIS metadata of a reading, as trackId: xesam:album is the document, xesam:title the
// chapter when one is known and else the document too, xesam:artist the author; mpris:length
// where the length is known.
QVariantMap mprisMetadata(const NowReading& reading, const QString& trackId);

// Reads a PDF's Title and Author (pdfinfo) without waiting for it; found() follows when it
// named either. A new lookUp() or destroying it ends the one running.
class DocumentInfoLookup final : public QObject
{
    Q_OBJECT

public:
    explicit DocumentInfoLookup(QObject* parent = nullptr);
    ~DocumentInfoLookup() override;

    void lookUp(const QString& pdfPath, const QString& password);

signals:
    void found(const QString& title, const QString& author);

private:
    void end();

    ChildProcess* m_pdfinfo = nullptr;
    std::unique_ptr<QTemporaryDir> m_folder;
};

} // namespace lectorix
