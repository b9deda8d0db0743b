#pragma once

#include <QString>

namespace lectorix {

// project(VERSION) of the top-level CMakeLists.txt.
QString programVersion();

// What "--version" prints for program, in the GNU form: name and version, copyright, licence.
QString versionText(const QString& program);

} // namespace lectorix
