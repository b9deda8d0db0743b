#include "core/conversion/mp3_tags.h"

#include "core/base/failure.h"
#include "core/pdf/pdf_converter.h"

#include <QFile>

#include <taglib/attachedpictureframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tstring.h>

namespace lectorix {

namespace {

TagLib::String toTagText(const QString& text)
{
    return TagLib::String(text.toStdString(), TagLib::String::UTF8);
}

} // namespace

QByteArrayList documentInfoArguments(const QString& pdfPath, const QString& password)
{
    QByteArrayList argv{QByteArrayLiteral("pdfinfo"), QByteArrayLiteral("-enc"),
                        QByteArrayLiteral("UTF-8")};
    if (!password.isEmpty())
        argv << QByteArrayLiteral("-opw") << password.toUtf8() << QByteArrayLiteral("-upw")
             << password.toUtf8();
    argv << QFile::encodeName(fileOperand(pdfPath));
    return argv;
}

Mp3Tags tagsFromDocumentInfo(const QString& pdfinfoOutput)
{
    Mp3Tags tags;
    for (const QString& line : pdfinfoOutput.split(QLatin1Char('\n'))) {
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (colon < 0)
            continue;
        const QString key = line.left(colon);
        const QString value = line.mid(colon + 1).trimmed();
        if (key == QLatin1String("Title") && tags.title.isEmpty())
            tags.title = value;
        else if (key == QLatin1String("Author") && tags.artist.isEmpty())
            tags.artist = value;
    }
    return tags;
}

void writeMp3Tags(const QString& mp3Path, const Mp3Tags& tags)
{
    TagLib::MPEG::File file(QFile::encodeName(mp3Path).constData());
    if (!file.isValid())
        throw Failure(
            QStringLiteral("The MP3 file %1 could not be read for its tags.").arg(mp3Path));
    file.strip(TagLib::MPEG::File::AllTags);
    TagLib::ID3v2::Tag* tag = file.ID3v2Tag(true);
    if (!tags.title.isEmpty())
        tag->setTitle(toTagText(tags.title));
    if (!tags.artist.isEmpty())
        tag->setArtist(toTagText(tags.artist));
    if (!tags.comment.isEmpty())
        tag->setComment(toTagText(tags.comment));
    if (!tags.cover.isEmpty()) {
        auto* picture = new TagLib::ID3v2::AttachedPictureFrame; // the tag owns it
        picture->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
        picture->setMimeType("image/jpeg");
        picture->setPicture(TagLib::ByteVector(tags.cover.constData(),
                                               static_cast<unsigned int>(tags.cover.size())));
        tag->addFrame(picture);
    }
    if (!file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers, TagLib::ID3v2::v4))
        throw Failure(QStringLiteral("The tags of %1 could not be written.").arg(mp3Path));
}

} // namespace lectorix
