#include "harness.h"

#include <QDir>
#include <QTemporaryDir>

namespace lectorix::fuzz {

QString scratchFolder()
{
    static QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/lectorix-fuzz-XXXXXX"));
    if (!folder.isValid())
        fail("no scratch folder", folder.errorString());
    return folder.path();
}

} // namespace lectorix::fuzz
