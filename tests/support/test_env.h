#pragma once

#include <QString>
#include <QTemporaryDir>
#include <QTest>

namespace lectorix::test {

// Writing into the pipe of an encoder that has ended must fail the write, not end the test,
// as the programs' main() arranges. Qt Test installs its own handler for SIGPIPE when it
// starts, so a test that converts calls this from its initTestCase().
void ignoreBrokenPipes();

// The scratch folder of this test run (made by run_isolated.sh); a fresh one per call of
// freshScratch(), so test functions do not see each other's files.
QString scratchFolder();

// Points TEMP, XDG_CONFIG_HOME and HOME at new empty folders below the scratch folder and
// returns the TEMP folder. Every test function that touches files or settings calls it first.
QString freshScratch();

// The real-PDF corpus at the build's configured path (the CMake cache variable
// LECTORIX_CORPUS_DIR); empty when that folder holds no corpus.
QString corpusFolder();
QString corpusFile(const QString& name);
// Why the corpus cannot be used here, or an empty text when it can.
QString corpusMissing();
// True only for a build configured without a corpus on purpose (-DLECTORIX_CORPUS_DIR= empty):
// its tests of real PDFs skip. A build with a corpus path fails them when the corpus is not
// there, so a green run always means they ran.
bool corpusOptional();
// A copy of a corpus file at target (folders made, an earlier file replaced); empty on failure.
QString copyCorpusFile(const QString& name, const QString& target);

// The build tree's program folder (holds Samples/ and the about page).
QString programDataFolder();

// Writes bytes to path, creating folders; returns path.
QString writeFile(const QString& path, const QByteArray& bytes);
QByteArray readFile(const QString& path);

} // namespace lectorix::test

// Ends the test function unless the corpus is there: a failure, or a skip for a build
// configured without a corpus (see corpusOptional()).
#define REQUIRE_CORPUS()                                                                           \
    do {                                                                                           \
        if (const QString missing = lectorix::test::corpusMissing(); !missing.isEmpty()) {         \
            if (lectorix::test::corpusOptional())                                                  \
                QSKIP(qPrintable(missing));                                                        \
            QFAIL(qPrintable(missing));                                                            \
        }                                                                                          \
    } while (false)
