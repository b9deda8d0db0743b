// What a press of the reading button reads of the text box, and the sentence highlighted
// around a spoken word.

#include "core/text/reading_range.h"

#include <QtTest>

using namespace lectorix;

namespace {

const QString Three = QStringLiteral("First one here. Second \"quoted.\" Third, with\n"
                                     "a line break. Fourth!\n\nNew paragraph without a mark\n\n"
                                     "Last one");

qsizetype at(const QString& part)
{
    return Three.indexOf(part);
}

} // namespace

class TestReadingRange : public QObject
{
    Q_OBJECT

private slots:
    void sentences_data()
    {
        QTest::addColumn<qsizetype>("position");
        QTest::addColumn<QString>("sentence");
        QTest::newRow("first character") << qsizetype(0) << "First one here.";
        QTest::newRow("inside the first") << at("one") << "First one here.";
        QTest::newRow("blank after it belongs to it") << at(" Second") << "First one here.";
        QTest::newRow("closing quote after the mark") << at("quoted") << "Second \"quoted.\"";
        QTest::newRow("a single line break does not end one")
            << at("line break") << "Third, with\na line break.";
        QTest::newRow("exclamation") << at("Fourth") << "Fourth!";
        QTest::newRow("an empty line ends a paragraph without a mark")
            << at("without") << "New paragraph without a mark";
        QTest::newRow("last, without a mark")
            << Three.lastIndexOf(QStringLiteral("one")) << "Last one";
        QTest::newRow("past the end clamps to the last") << Three.size() + 5 << "Last one";
    }
    void sentences()
    {
        QFETCH(qsizetype, position);
        QFETCH(QString, sentence);
        const TextRange range = sentenceTextAt(Three, position);
        QCOMPARE(Three.mid(range.start, range.length), sentence);
        // The whole sentence reaches up to the next one, its blanks included.
        const TextRange whole = sentenceAt(Three, position);
        QCOMPARE(whole.start, range.start);
        QVERIFY(Three.mid(whole.start, whole.length).startsWith(sentence));
        QVERIFY(Three.mid(range.end(), whole.end() - range.end()).trimmed().isEmpty());
        QVERIFY(whole.end() == Three.size() || !Three[whole.end()].isSpace());
    }

    void emptyText() { QCOMPARE(sentenceAt(QString(), 3), TextRange{}); }

    void rangeToRead_data()
    {
        QTest::addColumn<qsizetype>("selectionStart");
        QTest::addColumn<qsizetype>("selectionEnd");
        QTest::addColumn<qsizetype>("cursor");
        QTest::addColumn<QString>("read");
        const qsizetype second = at("Second");
        const qsizetype third = at("Third");
        QTest::newRow("selection on its own")
            << second << third << third << Three.mid(second, third - second);
        QTest::newRow("selection made backwards")
            << third << second << second << Three.mid(second, third - second);
        const qsizetype end = Three.size();
        QTest::newRow("cursor at the very start reads everything")
            << qsizetype(0) << qsizetype(0) << qsizetype(0) << Three;
        QTest::newRow("cursor at the very end reads everything") << end << end << end << Three;
        QTest::newRow("cursor in the third sentence starts at it")
            << at("with") << at("with") << at("with") << Three.mid(third);
        QTest::newRow("cursor at the start of the third sentence")
            << third << third << third << Three.mid(third);
        QTest::newRow("cursor inside the first sentence reads everything")
            << qsizetype(3) << qsizetype(3) << qsizetype(3) << Three;
    }
    void rangeToRead()
    {
        QFETCH(qsizetype, selectionStart);
        QFETCH(qsizetype, selectionEnd);
        QFETCH(qsizetype, cursor);
        QFETCH(QString, read);
        const TextRange range = lectorix::rangeToRead(Three, selectionStart, selectionEnd, cursor);
        QCOMPARE(Three.mid(range.start, range.length), read);
    }
};

QTEST_GUILESS_MAIN(TestReadingRange)
#include "test_reading_range.moc"
