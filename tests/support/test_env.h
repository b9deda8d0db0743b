#pragma once

#include <QString>
#include <QTemporaryDir>

namespace lectorix::test {

// The scratch folder of this test run (made by run_isolated.sh); a fresh one per call of
// freshScratch(), so test functions do not see each other's files.
QString scratchFolder();

// Points TEMP, XDG_CONFIG_HOME and HOME at new empty folders below the scratch folder and
// returns the TEMP folder. Every test function that touches files or settings calls it first.
QString freshScratch();

// The real-PDF corpus; empty when it is not on this machine.
QString corpusFolder();
QString corpusFile(const QString& name);

// The build tree's program folder (holds Samples/ and the about page).
QString programDataFolder();

// Writes bytes to path, creating folders; returns path.
QString writeFile(const QString& path, const QByteArray& bytes);
QByteArray readFile(const QString& path);

} // namespace lectorix::test
