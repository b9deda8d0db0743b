#pragma once

// Running the built lectorix-convert and judging what it leaves on disk, for the end-to-end
// tests of tests/cli (and of tests/hostile and tests/packaging, which run it too).

#include "support/audio_files.h"
#include "support/program_run.h"
#include "support/test_env.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

namespace lectorix::test {

using ConverterRun = ProgramRun;

inline QString converterProgram()
{
    return qEnvironmentVariable("LECTORIX_CONVERT");
}

// Runs the converter in folder with input on its standard input (a pipe, never a terminal)
// and waits for it to end; environment adds to or replaces variables of this process's.
inline ConverterRun runConverter(const QStringList& arguments, const QString& folder,
                                 const QByteArray& input = QByteArray(),
                                 const QProcessEnvironment& environment = QProcessEnvironment())
{
    return runProgram(converterProgram(), arguments,
                      {.folder = folder, .input = input, .environment = environment});
}

// Every entry of a folder, hidden ones included, sorted.
inline QStringList folderEntries(const QString& folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// The folder beside a scratch TEMP where a test puts its inputs and runs the converter, made;
// empty when it could not be.
inline QString workFolderBeside(const QString& temp)
{
    const QString folder = QFileInfo(temp).path() + QStringLiteral("/work");
    return QDir().mkpath(folder) ? folder : QString();
}

// The fixture of the converter's end-to-end tests: before each test a fresh TEMP for the
// converter and the folder beside it where the inputs lie and it runs; after each, whatever
// happened, nothing of the converter's may be left in TEMP.
class ConverterTestCase : public QObject
{
protected:
    QString m_temp;   // TEMP of the converter, where its working folders go
    QString m_folder; // where inputs lie and the converter runs

    // For init(): false when the folder could not be made.
    bool makeFolders()
    {
        m_temp = freshScratch();
        m_folder = workFolderBeside(m_temp);
        return !m_folder.isEmpty();
    }
    // For cleanup(): what the converter left in TEMP.
    QStringList leftInTemp() const { return folderEntries(m_temp); }
};

} // namespace lectorix::test

#define REQUIRE_CONVERTER_AND_CORPUS()                                                             \
    do {                                                                                           \
        if (lectorix::test::converterProgram().isEmpty())                                          \
            QSKIP("LECTORIX_CONVERT does not name the built converter");                           \
        REQUIRE_CORPUS();                                                                          \
    } while (false)
