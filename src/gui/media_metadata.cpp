#include "gui/media_metadata.h"

#include "core/base/failure.h"
#include "core/conversion/mp3_output.h"
#include "core/files/temp_folder.h"
#include "core/files/text_decoding.h"
#include "core/pdf/document_info.h"
#include "core/process/child_process.h"
#include "core/reading/reading_session.h"

#include <QDBusObjectPath>
#include <QFileInfo>
#include <QTemporaryDir>

namespace lectorix {

QString readingTitle(const ReadingRequest& request)
{
    if (request.fromPdf)
        return QFileInfo(request.pdfPath).completeBaseName();
    return firstWordsName(request.text);
}

QVariantMap mprisMetadata(const NowReading& reading, const QString& trackId)
{
    QVariantMap metadata{
        {QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(trackId))}};
    if (!reading.title.isEmpty()) {
        metadata.insert(QStringLiteral("xesam:album"), reading.title);
        metadata.insert(QStringLiteral("xesam:title"),
                        reading.chapter.isEmpty() ? reading.title : reading.chapter);
    }
    if (!reading.author.isEmpty())
        metadata.insert(QStringLiteral("xesam:artist"), QStringList{reading.author});
    if (reading.lengthMicroseconds >= 0)
        metadata.insert(QStringLiteral("mpris:length"), reading.lengthMicroseconds);
    return metadata;
}

DocumentInfoLookup::DocumentInfoLookup(QObject* parent) : QObject(parent) {}

DocumentInfoLookup::~DocumentInfoLookup()
{
    end();
}

void DocumentInfoLookup::end()
{
    delete m_pdfinfo; // stops it
    m_pdfinfo = nullptr;
    m_folder.reset();
}

void DocumentInfoLookup::lookUp(const QString& pdfPath, const QString& password)
{
    end();
    try {
        m_folder = makeWorkingFolder(QStringLiteral("info"));
    } catch (const Failure&) {
        return; // no temporary folder: the reading goes by its file name
    }
    const QString output = m_folder->filePath(QStringLiteral("info.txt"));
    m_pdfinfo = new ChildProcess(this);
    connect(m_pdfinfo, &ChildProcess::finished, this, [this, output] {
        DocumentInfo info;
        try {
            info = parseDocumentInfo(readTextFile(output));
        } catch (const Failure&) {
        }
        m_pdfinfo->deleteLater();
        m_pdfinfo = nullptr;
        m_folder.reset();
        if (!info.title.isEmpty() || !info.author.isEmpty())
            emit found(info.title, info.author);
    });
    if (m_pdfinfo->start(documentInfoArguments(pdfPath, password), QString(), -1, output) != 0)
        end(); // no pdfinfo: the reading goes by its file name
}

} // namespace lectorix
