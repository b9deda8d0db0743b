// The argument lists the outside tools are started with, built without any command line in
// between: every password and path reaches the tool as exactly one argument, as given, and a
// relative name beginning with a dash as a file.
#include "core/conversion/mp3_encoding.h"
#include "core/pdf/document_info.h"
#include "core/pdf/pdf_converter.h"
#include "support/argument_lists.h"

#include <QtTest>

using namespace lectorix;

class TestToolArguments : public QObject
{
    Q_OBJECT

private slots:
    void argumentLists_data()
    {
        QTest::addColumn<QByteArrayList>("built");
        QTest::addColumn<test::ToolCall>("expected");
        const QByteArray c = "/t/pdftotext";
        const QByteArrayList passwords{"-opw", "-upw"};
        QTest::newRow("converter, whole document, layout asked for")
            << converterArguments(c, {}, "/d/a.pdf", {}, 0, 0, false)
            << test::ToolCall{
                   c, {{"-bbox-layout"}}, {"/d/a.pdf"}, passwords + QByteArrayList{"-f", "-l"}};
        QTest::newRow("converter, password as owner and user password")
            << converterArguments(c, "pw", "/d/a.pdf", {}, 0, 0, false)
            << test::ToolCall{c, {{"-opw", "pw"}, {"-upw", "pw"}}, {"/d/a.pdf"}};
        QTest::newRow("converter, range and output file")
            << converterArguments(c, {}, "/d/a.pdf", "/t/x.txt", 1, 100, false)
            << test::ToolCall{c, {{"-f", "1"}, {"-l", "100"}}, {"/d/a.pdf", "/t/x.txt"}};
        QTest::newRow("converter, open end of the range")
            << converterArguments(c, {}, "/d/a.pdf", {}, 0, 7, false)
            << test::ToolCall{c, {{"-l", "7"}}, {"/d/a.pdf"}, {"-f"}};
        QTest::newRow("converter, quotes and blanks stay in one argument")
            << converterArguments(c, "a\"b c", "/d/my \"file\".pdf", {}, 0, 0, false)
            << test::ToolCall{c, {{"-opw", "a\"b c"}, {"-upw", "a\"b c"}}, {"/d/my \"file\".pdf"}};
        QTest::newRow("converter, password beyond ASCII as UTF-8")
            << converterArguments(c, QStringLiteral("Pä ss"), "/d/a.pdf", {}, 0, 0, false)
            << test::ToolCall{
                   c, {{"-opw", "P\xc3\xa4 ss"}, {"-upw", "P\xc3\xa4 ss"}}, {"/d/a.pdf"}};
        QTest::newRow("converter, the same password as Latin-1")
            << converterArguments(c, QStringLiteral("Pä ss"), "/d/a.pdf", {}, 0, 0, true)
            << test::ToolCall{c, {{"-opw", "P\xe4 ss"}, {"-upw", "P\xe4 ss"}}, {"/d/a.pdf"}};
        QTest::newRow("converter, relative names beginning with a dash stay files")
            << converterArguments(c, {}, "-f 1.pdf", "-o.txt", 0, 0, false)
            << test::ToolCall{c, {}, {"./-f 1.pdf", "./-o.txt"}, {"-f 1.pdf", "-o.txt"}};
        QTest::newRow("converter, absolute dash name unchanged")
            << converterArguments(c, {}, "/d/-layout.pdf", {}, 0, 0, false)
            << test::ToolCall{c, {}, {"/d/-layout.pdf"}};
        // The encoder reads the voice's raw sound: 16-bit signed little-endian mono at 22.05 kHz.
        const QList<QByteArrayList> raw{{"-r"},       {"-s", "22.05"},     {"--bitwidth", "16"},
                                        {"--signed"}, {"--little-endian"}, {"-m", "m"}};
        QTest::newRow("encoder writing the MP3")
            << pipedEncoderArguments("/t/lame", "/o/it's $(x) Привет.mp3")
            << test::ToolCall{"/t/lame", raw, {"-", "/o/it's $(x) Привет.mp3"}, {"-t"}};
        QTest::newRow("encoder of a part: no header frame")
            << pipedEncoderArguments("lame", "/w/part2.mp3", true)
            << test::ToolCall{"lame", raw + QList<QByteArrayList>{{"-t"}}, {"-", "/w/part2.mp3"}};
        QTest::newRow("encoder, relative MP3 beginning with a dash")
            << pipedEncoderArguments("lame", "-x.mp3")
            << test::ToolCall{"lame", raw, {"-", "./-x.mp3"}};
        QTest::newRow("document information with a password")
            << documentInfoArguments("-a b.pdf", "p w")
            << test::ToolCall{"pdfinfo",
                              {{"-enc", "UTF-8"}, {"-opw", "p w"}, {"-upw", "p w"}},
                              {"./-a b.pdf"}};
    }

    void argumentLists()
    {
        QFETCH(QByteArrayList, built);
        QFETCH(test::ToolCall, expected);
        QCOMPARE(test::argumentFault(built, expected), QString());
    }

    // A second try with Latin-1 bytes is worth it only where they differ from UTF-8 and every
    // letter has one.
    void latin1Retry_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("worth");
        QTest::newRow("ASCII") << "plain" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("Latin-1 letters") << QStringLiteral("Pä\"ss wörd") << true;
        QTest::newRow("beyond Latin-1") << QStringLiteral("päß Ω") << false;
    }

    void latin1Retry()
    {
        QFETCH(QString, password);
        QFETCH(bool, worth);
        QCOMPARE(worthLatin1Retry(password), worth);
    }
};

QTEST_GUILESS_MAIN(TestToolArguments)
#include "test_tool_arguments.moc"
