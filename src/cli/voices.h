#pragma once

#include <QList>
#include <QString>

namespace lectorix::cli {

// One installed voice as --list-voices prints it and --voice accepts it.
struct VoiceListing
{
    QString identifier; // the engine's identifier, e.g. "gmw/en-US"
    QString language;   // the voice's preferred language tag, e.g. "en-us"
    QString name;       // the name the window's voice list shows
};

// Every installed voice, in the order of the window's voice list, so a position in this list
// is a VoiceSettings::voiceIndex. Throws Failure when the speech engine cannot be used.
QList<VoiceListing> installedVoiceListings();

// "identifier<TAB>language<TAB>name"; tabs and line breaks inside a field become blanks, so
// every voice stays one line of three fields.
QString listingLine(const VoiceListing& voice);

// The language a voice identifier names when the engine tells none: the part after the last
// "/" ("gmw/en-US" gives "en-US").
QString identifierLanguage(const QString& identifier);

// The position of the voice that wanted names: its identifier exactly, else its identifier or
// its name in any letter case. -1 when no voice matches.
int findVoice(const QList<VoiceListing>& voices, const QString& wanted);

} // namespace lectorix::cli
