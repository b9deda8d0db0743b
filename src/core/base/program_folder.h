#pragma once

#include <QByteArray>
#include <QString>

namespace lectorix {

// The folder holding Samples/, the about page, HAND-M.CUR and x/o.cjs: the executable's own
// folder when it has a Samples folder (the build tree), else ../share/lectorix beside it.
QString programFolder();
// The same for an executable in exeFolder: an installed copy under any prefix (PREFIX/bin
// finds PREFIX/share/lectorix) and the build tree both find their data.
QString programFolderFor(const QString& exeFolder);

// The bytes of the program's "CUSTOM" resources: 101 and 102 the pdftotext launcher, 103 the
// lame launcher. Throws Failure for any other id.
QByteArray customResource(int id);

} // namespace lectorix
