#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace lectorix {

// The folder a document's chapter files go in: the single file's path without its extension
// ("/books/Emma.mp3" gives "/books/Emma").
QString chapterFolder(const QString& outputPath);

// A chapter file's name: its number, zero-padded to the width of the count (at least two
// digits), and its title made safe for a file name on any disk a player reads: characters
// that some file systems refuse, and control characters, become spaces; runs of white space
// one; leading dots and white space go; at most 120 characters. "03 The Drawing-Room.mp3".
QString chapterFileName(int number, int count, const QString& title, const QString& extension);

// The files a conversion makes: one at outputPath, or one per chapter in chapterFolder(). Each
// is written to a new hidden file beside it and renamed into place only when complete, so a
// file that is there is whole. Hidden files not renamed into place are removed with the object.
class AudioOutputs
{
public:
    // chapterTitles empty: the one file at outputPath.
    AudioOutputs(const QString& outputPath, const QStringList& chapterTitles,
                 const QString& extension = QStringLiteral(".mp3"));
    ~AudioOutputs();
    AudioOutputs(const AudioOutputs&) = delete;
    AudioOutputs& operator=(const AudioOutputs&) = delete;

    int count() const { return int(m_paths.size()); }
    bool perChapter() const { return m_perChapter; }
    QString path(int output) const { return m_paths.value(output); }
    QString partialPath(int output) const { return m_partials.value(output); }
    // Whether the file is there already, complete.
    bool isComplete(int output) const;
    // Makes the chapters' folder when needed and the hidden file output is written to.
    // Throws Failure.
    QString reserve(int output);
    // Renames output's hidden file into place. Throws Failure naming the file.
    void place(int output);
    void removePartials();

private:
    QStringList m_paths;
    QStringList m_partials;
    bool m_perChapter = false;
};

} // namespace lectorix
