#pragma once

#include <QString>

namespace lectorix {

// Messages of the conversion.
inline const QString FolderMissingMessage =
    QStringLiteral("Folder does not exist. Please select another folder.");
inline const QString DoneMessage = QStringLiteral("Done.");

} // namespace lectorix
