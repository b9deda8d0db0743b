// lectorix-convert --print-text --languages on French PDFs drawn here: the language each
// utterance is spoken in, whether the document declares it, its words tell it, or its scanned
// page is recognised without a language asked for.
#include "converter_run.h"

#include "support/drawn_pdf.h"

#include <QRegularExpression>
#include <QtTest>

using namespace lectorix;
using namespace lectorix::test;

namespace {

// The drawn PDF at path with /Lang added to its catalog, its cross-references made right again
// by qpdf; false when it could not be.
bool declareLanguage(const QString& path, const QByteArray& language)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray pdf = file.readAll();
    file.close();
    const qsizetype catalog = pdf.indexOf("/Catalog");
    if (catalog < 0)
        return false;
    pdf.insert(catalog + 8, " /Lang (" + language + ")");
    const QString edited = path + QStringLiteral(".edited");
    writeFile(edited, pdf);
    const int status = QProcess::execute(QStringLiteral("qpdf"), {edited, path});
    QFile::remove(edited);
    return status == 0 || status == 3; // 3: repaired, with warnings
}

} // namespace

class TestPrintLanguages : public ConverterTestCase
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(makeFolders()); }

    void frenchDocuments_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QByteArray>("declared"); // the catalog's /Lang; empty: none
        QTest::addColumn<bool>("scanned");
        // What recognition in French gives and in English cannot, whatever the font: the
        // letters of "çà", "capharnaüm".
        QTest::addColumn<QString>("frenchLetters");
        const QStringList report{"Synthèse du résultat",
                                 "",
                                 "Le rapport présente les résultats de",
                                 "l'étude menée dans la région. Les",
                                 "données sont rangées çà et là, dans",
                                 "un capharnaüm que nous avons trié."};
        QTest::newRow("declared, too short to tell by its words")
            << QStringList{"Synthèse du résultat", "", "Annexe 3"} << QByteArray("FR-CA") << false
            << "";
        QTest::newRow("not declared, told by its words") << report << QByteArray() << false << "";
        QTest::newRow("scanned, recognised in French though not asked")
            << report << QByteArray() << true << "[çü]";
    }
    void frenchDocuments()
    {
        if (converterProgram().isEmpty())
            QSKIP("LECTORIX_CONVERT does not name the built converter");
        QFETCH(QStringList, lines);
        QFETCH(QByteArray, declared);
        QFETCH(bool, scanned);
        QFETCH(QString, frenchLetters);
        const QString pdf = writePdf(m_folder + QStringLiteral("/report.pdf"), {lines},
                                     scanned ? QList<int>{0} : QList<int>{});
        if (!declared.isEmpty())
            QVERIFY(declareLanguage(pdf, declared));
        const ConverterRun run =
            runConverter({"--print-text", "--languages", "report.pdf"}, m_folder);
        QCOMPARE(run.exitCode, 0);
        const QStringList printed =
            QString::fromUtf8(run.standardOutput).split('\n', Qt::SkipEmptyParts);
        QVERIFY(!printed.isEmpty());
        for (const QString& line : printed)
            QVERIFY2(line.startsWith("[fr] ") || line.startsWith("# [fr] "), qPrintable(line));
        if (!frenchLetters.isEmpty())
            QVERIFY2(printed.join('\n').contains(QRegularExpression(frenchLetters)),
                     qPrintable(printed.join('\n')));
    }
};

int main(int argc, char** argv)
{
    TestPrintLanguages test;
    return runWithDrawing(&test, argc, argv);
}
#include "test_print_languages.moc"
