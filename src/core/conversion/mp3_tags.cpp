#include "core/conversion/mp3_tags.h"

#include "core/base/failure.h"
#include "core/conversion/tag_text.h"

#include <QFile>

#include <taglib/attachedpictureframe.h>
#include <taglib/chapterframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tableofcontentsframe.h>
#include <taglib/textidentificationframe.h>
#include <taglib/tstring.h>

namespace lectorix {

TagLib::String toTagText(const QString& text)
{
    return TagLib::String(text.toStdString(), TagLib::String::UTF8);
}

void setNamedTags(TagLib::Tag& tag, const Mp3Tags& tags)
{
    if (!tags.title.isEmpty())
        tag.setTitle(toTagText(tags.title));
    if (!tags.artist.isEmpty())
        tag.setArtist(toTagText(tags.artist));
    if (!tags.comment.isEmpty())
        tag.setComment(toTagText(tags.comment));
    if (!tags.album.isEmpty())
        tag.setAlbum(toTagText(tags.album));
}

namespace {

// A frame of text, as CHAP frames hold their titles.
TagLib::ID3v2::Frame* textFrame(const char* id, const QString& text)
{
    auto* frame = new TagLib::ID3v2::TextIdentificationFrame(id, TagLib::String::UTF8);
    frame->setText(toTagText(text));
    return frame;
}

// A CHAP frame for each mark, with its title, and the CTOC that lists them in order.
void addChapters(TagLib::ID3v2::Tag& tag, const QList<ChapterMark>& chapters)
{
    if (chapters.isEmpty())
        return;
    constexpr unsigned NoOffset = 0xFFFFFFFF;
    TagLib::ByteVectorList ids;
    for (qsizetype i = 0; i < chapters.size(); ++i) {
        const ChapterMark& mark = chapters.at(i);
        const QByteArray name = "chp" + QByteArray::number(i);
        const TagLib::ByteVector id(name.constData(), unsigned(name.size()));
        auto* chapter = new TagLib::ID3v2::ChapterFrame(
            id, unsigned(qMax<qint64>(0, mark.startMs)),
            unsigned(qMax<qint64>(mark.startMs, mark.endMs)), NoOffset, NoOffset);
        chapter->addEmbeddedFrame(textFrame("TIT2", mark.title));
        tag.addFrame(chapter);
        ids.append(id);
    }
    auto* contents = new TagLib::ID3v2::TableOfContentsFrame("toc", ids);
    contents->setIsTopLevel(true);
    contents->setIsOrdered(true);
    tag.addFrame(contents);
}

} // namespace

void writeMp3Tags(const QString& mp3Path, const Mp3Tags& tags)
{
    TagLib::MPEG::File file(QFile::encodeName(mp3Path).constData());
    if (!file.isValid())
        throw Failure(
            QStringLiteral("The MP3 file %1 could not be read for its tags.").arg(mp3Path));
    file.strip(TagLib::MPEG::File::AllTags);
    TagLib::ID3v2::Tag* tag = file.ID3v2Tag(true);
    setNamedTags(*tag, tags);
    if (tags.track > 0)
        tag->addFrame(
            textFrame("TRCK", tags.trackCount > 0
                                  ? QStringLiteral("%1/%2").arg(tags.track).arg(tags.trackCount)
                                  : QString::number(tags.track)));
    addChapters(*tag, tags.chapters);
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
