// Pages whose text is another encoding's bytes shown as Latin-1 are read again in that
// encoding, their words' boxes kept; real accented and non-Latin text stays as it is, and noise
// stays noise.
#include "core/files/text_decoding.h"
#include "core/pdf/page_layout.h"
#include "core/text/text_language.h"

#include <QStringEncoder>
#include <QtTest>

using namespace lectorix;

// A page of one line whose words are the text's runs without spaces, each with a box of its
// own, as pdftotext lays them out.
static QList<LayoutPage> pageOf(const QString& text)
{
    LayoutLine line;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        line.words.append({word, {10.0 * double(line.words.size()), 100, 0, 112}});
    return {LayoutPage{1, 612, 792, {{{}, 1, {line}}}}};
}

class TestMisreadEncoding : public QObject
{
    Q_OBJECT

private slots:
    void pagesReadAgain_data()
    {
        QTest::addColumn<QString>("text");      // as written
        QTest::addColumn<QByteArray>("writer"); // the encoding its font held; empty: Unicode
        QTest::addColumn<QString>("outcome");   // "kept", "read again" or "noise"
        const auto row = [](const char* name, const char* text, const char* writer,
                            const char* outcome) {
            QTest::newRow(name) << QString::fromUtf8(text) << QByteArray(writer) << outcome;
        };
        row("French", "Où est la gare ? J'irai à Noël avec ma sœur, ça me plaît.", "", "kept");
        row("French accents listed", "àÀâÂäÄçÇéÉèÈêÊëËîÎïÏôÔùÙûÛüÜ 1", "", "kept");
        row("German", "Die Größe der Straße ärgert Jürgen übermäßig.", "", "kept");
        row("Polish", "Zażółć gęślą jaźń, źródło łąki.", "", "kept");
        row("Czech", "Příliš žluťoučký kůň úpěl ďábelské ódy.", "", "kept");
        row("Vietnamese", "Tiếng Việt có dấu rất đẹp và dễ hiểu.", "", "kept");
        row("Icelandic", "Þú ert á Íslandi og það er gott að vera þar í sumar.", "", "kept");
        row("Spanish", "¿Dónde está el niño? Mañana iré al médico.", "", "kept");
        row("Russian", "Федеральное агентство по техническому регулированию", "", "kept");
        row("Russian in Windows-1251", "Федеральное агентство по техническому регулированию",
            "windows-1251", "read again");
        row("Russian title in Windows-1251", "ФЕДЕРАЛЬНОЕ АГЕНТСТВО", "windows-1251", "read again");
        row("Ukrainian in Windows-1251", "Це речення написане українською мовою.", "windows-1251",
            "read again");
        row("Russian in KOI8-R", "Государственный стандарт Российской Федерации", "KOI8-R",
            "read again");
        row("Chinese in GBK, a word a box", "关于 红军 长征 的 历史 研究 中国 人民", "GBK",
            "read again");
        row("Chinese in GBK", "关于红军长征的历史研究，中国人民解放军的发展。", "GBK",
            "read again");
        row("Chinese in Big5", "關於紅軍長征的歷史研究，中國人民解放軍的發展。", "Big5",
            "read again");
        row("Japanese in Shift_JIS", "日本語のテキストを正しく読むことができます。", "Shift_JIS",
            "read again");
        row("capitals of Latin-1", "ÞÇÆ ËÏÛ ÒÝÔ ÑÖØ ÐÃÄ ÅÊÍ", "", "noise");
        row("small letters of Latin-1", "þæð ùìá ýçò éúà", "", "noise");
        row("signs of Latin-1", "¤¥ ¦§¨ ©ª« ±²³ ¶·¸", "", "noise");
    }
    void pagesReadAgain()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, writer);
        QFETCH(QString, outcome);
        const QString shown =
            writer.isEmpty() ? text : decodeWindows1252(QStringEncoder(writer).encode(text));
        QList<LayoutPage> pages = pageOf(shown);
        redecodeMisreadPages(pages);
        QStringList read;
        for (const LayoutWord& word : pages.first().blocks.first().lines.first().words) {
            QCOMPARE(word.box.xMin, 10.0 * double(read.size()));
            read << word.text;
        }
        QCOMPARE(read.join(QLatin1Char(' ')), outcome == "read again" ? text : shown);
        QCOMPARE(isLanguage(read.join(QLatin1Char(' '))), outcome != "noise");
    }
};

QTEST_GUILESS_MAIN(TestMisreadEncoding)
#include "test_misread_encoding.moc"
