#include "core/conversion/audiobook_tags.h"

#include "core/base/failure.h"
#include "core/conversion/mp3_tags.h"
#include "core/conversion/tag_text.h"

#include <QFile>

#include <taglib/flacpicture.h>
#include <taglib/mp4coverart.h>
#include <taglib/mp4file.h>
#include <taglib/mp4tag.h>
#include <taglib/opusfile.h>
#include <taglib/tstring.h>
#include <taglib/xiphcomment.h>

namespace lectorix {

namespace {

TagLib::ByteVector toBytes(const QByteArray& bytes)
{
    return TagLib::ByteVector(bytes.constData(), static_cast<unsigned int>(bytes.size()));
}

void setOpusComment(TagLib::Ogg::XiphComment& comment, const char* key, const QString& value)
{
    if (!value.isEmpty())
        comment.addField(key, toTagText(value), true);
}

} // namespace

QString opusChapterTime(qint64 ms)
{
    ms = qMax<qint64>(0, ms);
    return QStringLiteral("%1:%2:%3.%4")
        .arg(ms / 3600000, 2, 10, QLatin1Char('0'))
        .arg(ms / 60000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms % 1000, 3, 10, QLatin1Char('0'));
}

void writeM4bTags(const QString& path, const Mp3Tags& tags)
{
    TagLib::MP4::File file(QFile::encodeName(path).constData());
    if (!file.isValid() || !file.tag())
        throw Failure(QStringLiteral("The M4B file %1 could not be read for its tags.").arg(path));
    TagLib::MP4::Tag* tag = file.tag();
    setNamedTags(*tag, tags);
    if (tags.track > 0)
        tag->setItem("trkn", TagLib::MP4::Item(tags.track, qMax(0, tags.trackCount)));
    if (!tags.cover.isEmpty()) {
        TagLib::MP4::CoverArtList covers;
        covers.append(TagLib::MP4::CoverArt(TagLib::MP4::CoverArt::JPEG, toBytes(tags.cover)));
        tag->setItem("covr", TagLib::MP4::Item(covers));
    }
    if (!file.save())
        throw Failure(QStringLiteral("The tags of %1 could not be written.").arg(path));
}

void writeOpusTags(const QString& path, const Mp3Tags& tags)
{
    TagLib::Ogg::Opus::File file(QFile::encodeName(path).constData());
    if (!file.isValid() || !file.tag())
        throw Failure(QStringLiteral("The Opus file %1 could not be read for its tags.").arg(path));
    TagLib::Ogg::XiphComment& comment = *file.tag();
    const TagLib::Ogg::FieldListMap fields = comment.fieldListMap();
    for (const auto& field : fields)
        comment.removeFields(field.first);
    comment.removeAllPictures();
    setOpusComment(comment, "TITLE", tags.title);
    setOpusComment(comment, "ARTIST", tags.artist);
    setOpusComment(comment, "COMMENT", tags.comment);
    setOpusComment(comment, "ALBUM", tags.album);
    if (tags.track > 0)
        setOpusComment(comment, "TRACKNUMBER", QString::number(tags.track));
    if (tags.trackCount > 0)
        setOpusComment(comment, "TRACKTOTAL", QString::number(tags.trackCount));
    const QList<ChapterMark>& chapters = tags.chapters;
    for (qsizetype i = 0; i < chapters.size(); ++i) {
        const QString key = QStringLiteral("CHAPTER%1").arg(i + 1, 3, 10, QLatin1Char('0'));
        comment.addField(toTagText(key), toTagText(opusChapterTime(chapters.at(i).startMs)));
        comment.addField(toTagText(key + QStringLiteral("NAME")), toTagText(chapters.at(i).title));
    }
    if (!tags.cover.isEmpty()) {
        auto* picture = new TagLib::FLAC::Picture; // the comment owns it
        picture->setType(TagLib::FLAC::Picture::FrontCover);
        picture->setMimeType("image/jpeg");
        picture->setData(toBytes(tags.cover));
        comment.addPicture(picture);
    }
    if (!file.save())
        throw Failure(QStringLiteral("The tags of %1 could not be written.").arg(path));
}

} // namespace lectorix
