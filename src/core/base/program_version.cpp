#include "core/base/program_version.h"

namespace lectorix {

QString programVersion()
{
    return QStringLiteral(LECTORIX_VERSION);
}

QString versionText(const QString& program)
{
    return QStringLiteral("%1 (Lectorix) %2\n"
                          "Copyright (C) 2026 the Lectorix developers.\n"
                          "License GPLv3+: GNU GPL version 3 or later "
                          "<https://gnu.org/licenses/gpl.html>.\n"
                          "This is free software: you are free to change and redistribute it.\n"
                          "There is NO WARRANTY, to the extent permitted by law.\n")
        .arg(program, programVersion());
}

} // namespace lectorix
