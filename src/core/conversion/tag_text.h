#pragma once

// What the tag writers of every format share.

#include <QString>

#include <taglib/tag.h>
#include <taglib/tstring.h>

namespace lectorix {

struct Mp3Tags;

TagLib::String toTagText(const QString& text);

// Title, artist, comment and album into a tag of any format; empty ones are left out.
void setNamedTags(TagLib::Tag& tag, const Mp3Tags& tags);

} // namespace lectorix
