#pragma once

#include <QString>

namespace lectorix {

// Messages of the conversion.
inline const QString FolderMissingMessage =
    QStringLiteral("Folder does not exist. Please select another folder.");
inline const QString DoneMessage = QStringLiteral("Done.");
inline const QString OpenFolderButton = QStringLiteral("Open Folder");
inline const QString NothingToSaveMessage =
    QStringLiteral("There is nothing to save: name a PDF file or type the text to save.");
inline const QString Mp3FileFilter = QStringLiteral("MP3 Files (*.mp3)|*.mp3|");
inline const QString M4bFileFilter = QStringLiteral("M4B Audiobooks (*.m4b)|*.m4b|");
inline const QString OpusFileFilter = QStringLiteral("Opus Files (*.opus)|*.opus|");

} // namespace lectorix
