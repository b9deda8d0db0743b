// A sentence in another script than the chosen voice's language is read by a voice of its
// language: which language a text's script asks for, which installed voice speaks it, the
// voices a reading switches between, and the sound of an export made by the real espeak-ng
// voices.
#include "core/reading/reading_session.h"
#include "core/speech/language_voices.h"
#include "core/speech/speech_engine.h"
#include "core/speech/speech_rendering.h"
#include "core/text/pronunciations.h"
#include "core/text/script_language.h"
#include "core/text/spoken_text.h"
#include "support/audio_files.h"
#include "support/fake_engine.h"
#include "support/test_env.h"

#include <QFile>
#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

using namespace lectorix;

namespace {

const QString English = QStringLiteral("The letter came from far away.");
const QString Russian = QStringLiteral("Это был очень долгий день.");
const QString Greek = QStringLiteral("Καλημέρα σας, αγαπητοί φίλοι.");

// The sound of utterances as an export renders them with the voice at index voiceIndex (-1:
// the engine's default): bare samples read back from the file the rendering wrote into.
QList<qint16> render(const QList<Utterance>& utterances, int voiceIndex = -1)
{
    const QString path = test::scratchFolder() + QStringLiteral("/sound.raw");
    const int descriptor =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (descriptor < 0)
        return {};
    QObject receiver;
    std::optional<QString> done;
    {
        SpeechRendering rendering(
            &receiver, VoiceSettings{voiceIndex, 100, 0}, utterances, descriptor,
            [](int, qint64) {}, [](const RenderingFailure&) {},
            [&](const QString& failure) { done = failure; });
        if (!QTest::qWaitFor([&] { return done.has_value(); }, 60000))
            return {};
    }
    if (!done->isEmpty())
        return {};
    return test::rawSamples(test::readFile(path));
}

// The parts of sound between runs of at least gap zero samples.
QList<QList<qint16>> partsBetweenSilences(const QList<qint16>& sound, qint64 gap)
{
    QList<QList<qint16>> parts;
    qsizetype start = 0;
    qsizetype zeros = 0;
    for (qsizetype i = 0; i <= sound.size(); ++i) {
        if (i < sound.size() && sound.at(i) == 0) {
            ++zeros;
            continue;
        }
        if (zeros >= gap || i == sound.size()) {
            const QList<qint16> part = sound.mid(start, i - zeros - start);
            if (!part.isEmpty())
                parts << part;
            start = i;
        }
        zeros = 0;
    }
    return parts;
}

int voiceIndexOf(const QString& language)
{
    const QList<speech::VoiceToken> voices = speech::engine().createVoice()->installedVoices();
    const QString id = voiceForLanguage(voices, language).id;
    for (qsizetype i = 0; i < voices.size(); ++i) {
        if (voices.at(i).id == id)
            return int(i);
    }
    return -1;
}

} // namespace

class TestLanguageVoices : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { test::ignoreBrokenPipes(); }
    void init() { test::freshScratch(); }

    void scriptLanguage_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("voiceLanguage");
        QTest::addColumn<QString>("language");
        QTest::newRow("English for an English voice") << English << "en-us"
                                                      << "";
        QTest::newRow("Russian") << Russian << "en-us"
                                 << "ru";
        QTest::newRow("Greek") << Greek << "en"
                               << "el";
        QTest::newRow("Arabic") << "مرحبا بالعالم"
                                << "en"
                                << "ar";
        QTest::newRow("Hebrew") << "שלום עולם"
                                << "en"
                                << "he";
        QTest::newRow("Chinese") << "今天天气很好。"
                                 << "en"
                                 << "cmn";
        QTest::newRow("Japanese: kanji with kana") << "今日はいい天気です。"
                                                   << "en"
                                                   << "ja";
        QTest::newRow("Korean") << "안녕하세요 여러분"
                                << "en"
                                << "ko";
        QTest::newRow("Hindi") << "नमस्ते दुनिया"
                               << "en"
                               << "hi";
        QTest::newRow("Russian for a Russian voice") << Russian << "ru"
                                                     << "";
        QTest::newRow("Cyrillic for a Ukrainian voice") << Russian << "uk"
                                                        << "";
        QTest::newRow("Cyrillic for a regional Russian voice") << Russian << "ru-lv"
                                                               << "";
        QTest::newRow("kanji for a Japanese voice") << "天気"
                                                    << "ja"
                                                    << "";
        QTest::newRow("kana for a Chinese voice") << "ひらがな"
                                                  << "cmn"
                                                  << "ja";
        QTest::newRow("English for a Russian voice: Latin is not told apart") << English << "ru"
                                                                              << "";
        QTest::newRow("one Russian word in English") << "He said да and left the room."
                                                     << "en"
                                                     << "";
        QTest::newRow("mostly Russian with a Latin name") << "Иван купил iPhone вчера вечером."
                                                          << "en"
                                                          << "ru";
        QTest::newRow("digits and signs only") << "12 + 30 = 42"
                                               << "en"
                                               << "";
        QTest::newRow("empty") << ""
                               << "en"
                               << "";
    }

    void scriptLanguage()
    {
        QFETCH(QString, text);
        QFETCH(QString, voiceLanguage);
        QFETCH(QString, language);
        QCOMPARE(lectorix::scriptLanguage(text, voiceLanguage), language);
    }

    // Which installed voice speaks a language, and so the language an utterance of it is
    // spoken in: the found voice's, else the chosen voice's ("fr" here).
    void voiceForLanguage_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("voice");
        QTest::addColumn<QString>("speaking");
        QTest::newRow("exact") << "ru"
                               << "zle/ru"
                               << "ru";
        QTest::newRow("exact before a variant listed earlier") << "cmn"
                                                               << "sit/cmn"
                                                               << "cmn";
        QTest::newRow("a regional variant") << "en"
                                            << "gmw/en-US"
                                            << "en-us";
        QTest::newRow("letter case") << "EL"
                                     << "grk/el"
                                     << "el";
        QTest::newRow("none installed") << "ko"
                                        << ""
                                        << "fr";
        QTest::newRow("no language") << ""
                                     << ""
                                     << "fr";
    }

    void voiceForLanguage()
    {
        QFETCH(QString, language);
        QFETCH(QString, voice);
        QFETCH(QString, speaking);
        const QList<speech::VoiceToken> tokens{{"sit/cmn-Latn-pinyin", "Chinese (Pinyin)"},
                                               {"gmw/en-US", "English (America)"},
                                               {"zle/ru-LV", "Russian (Latvia)"},
                                               {"zle/ru", "Russian"},
                                               {"sit/cmn", "Chinese"},
                                               {"grk/el", "Greek"}};
        QCOMPARE(lectorix::voiceForLanguage(tokens, language).id, voice);
        QCOMPARE(speakingLanguage(tokens, language, QStringLiteral("fr")), speaking);
    }

    // A reading tells the voice of each sentence's language before queuing it, and returns to
    // the chosen voice after; with one voice for everything it never switches.
    void readingSwitchesVoices_data()
    {
        QTest::addColumn<bool>("oneVoice");
        QTest::addColumn<QStringList>("calls");
        const QString en = QStringLiteral("setVoice gmw/en-US");
        QTest::newRow("a voice per language") << false
                                              << QStringList{en,
                                                             "speakAsync " + English,
                                                             "setVoice zle/ru",
                                                             "speakAsync " + Russian,
                                                             "setVoice grk/el",
                                                             "speakAsync " + Greek,
                                                             en,
                                                             "speakAsync He left."};
        QTest::newRow("one voice for everything")
            << true
            << QStringList{en, "speakAsync " + English, "speakAsync " + Russian,
                           "speakAsync " + Greek, "speakAsync He left."};
    }

    void readingSwitchesVoices()
    {
        QFETCH(bool, oneVoice);
        QFETCH(QStringList, calls);
        test::FakeEngine engine;
        engine.setVoiceIds({"gmw/en-US", "zle/ru", "grk/el"});
        ReadingSession session;
        ReadingRequest request;
        request.text = QStringList{English, Russian, Greek, QStringLiteral("He left.")}.join(' ');
        request.voice.voiceIndex = 0;
        request.oneVoice = oneVoice;
        session.start(request);
        QTRY_COMPARE(session.state(), ReadingState::Idle);
        QStringList heard;
        for (const QString& line : std::as_const(engine.log)) {
            if (line.contains(QLatin1String(" setVoice ")) ||
                line.contains(QLatin1String(" speakAsync ")))
                heard << line.section(QLatin1Char(' '), 1);
        }
        QCOMPARE(heard, calls);
    }

    // A pronunciation entry limited to a language applies to the sentences the voice of that
    // language speaks, in a reading and in an export alike: not to a sentence in its script
    // that the chosen voice reads, for want of its voice or by choice.
    void entriesOfTheSpeakingVoice_data()
    {
        QTest::addColumn<QStringList>("voices");
        QTest::addColumn<bool>("oneVoice");
        QTest::addColumn<QStringList>("said");
        const QString english = QStringLiteral("The note came from far away.");
        const QString russian = QStringLiteral("Это был очень долгий дэнь.");
        // Read by the English voice, the English entries apply to it instead.
        const QString byEnglishVoice = QStringLiteral("Это был очень длинный день.");
        QTest::newRow("a voice per language")
            << QStringList{"gmw/en-US", "zle/ru"} << false << QStringList{english, russian};
        QTest::newRow("no voice of the language")
            << QStringList{"gmw/en-US", "grk/el"} << false << QStringList{english, byEnglishVoice};
        QTest::newRow("one voice for everything")
            << QStringList{"gmw/en-US", "zle/ru"} << true << QStringList{english, byEnglishVoice};
    }

    void entriesOfTheSpeakingVoice()
    {
        QFETCH(QStringList, voices);
        QFETCH(bool, oneVoice);
        QFETCH(QStringList, said);
        const PronunciationList list(
            parsePronunciations(QStringLiteral("letter\tnote\ten\nдень\tдэнь\tru\n"
                                               "came\tcome\tru\nдолгий\tдлинный\ten\n"))
                .entries);
        test::FakeEngine engine;
        engine.setVoiceIds(voices);
        ReadingSession session;
        ReadingRequest request;
        request.text = English + ' ' + Russian;
        request.voice.voiceIndex = 0;
        request.oneVoice = oneVoice;
        request.pronunciations = list;
        session.start(request);
        QTRY_COMPARE(session.state(), ReadingState::Idle);
        QStringList read;
        for (const QString& line : std::as_const(engine.log)) {
            if (line.contains(QLatin1String(" speakAsync ")))
                read << line.section(QLatin1Char(' '), 2, -1).trimmed();
        }
        QCOMPARE(read, said);

        SpeechChoices choices;
        choices.utterance = {{}, QStringLiteral("en-us"), oneVoice};
        choices.pronunciations = list;
        choices.pronunciationLanguage = QStringLiteral("en-us");
        QStringList exported;
        for (const Utterance& utterance : spokenDocument(request.text, nullptr, choices).utterances)
            exported << utterance.text.trimmed();
        QCOMPARE(exported, said);
    }

    // The real voices: an English paragraph quoting a Russian and a Greek sentence sounds, part
    // by part, as each sentence does from the voice of its own language, not as the English
    // voice spelling the foreign letters one by one.
    void exportSpeaksEachLanguage()
    {
        const QString chosen = voiceLanguage(VoiceSettings{});
        if (!chosen.startsWith(QLatin1String("en")))
            QSKIP(qPrintable(QStringLiteral("the default voice is %1, not English").arg(chosen)));
        const int russian = voiceIndexOf(QStringLiteral("ru"));
        const int greek = voiceIndexOf(QStringLiteral("el"));
        QVERIFY2(russian >= 0 && greek >= 0, "espeak-ng's Russian and Greek voices are needed");

        constexpr int PauseMs = 700;
        UtteranceOptions options{{PauseMs, PauseMs, PauseMs}, chosen, false};
        const QList<Utterance> utterances =
            spokenDocument(English + ' ' + Russian + ' ' + Greek, nullptr, {{}, options})
                .utterances;
        QCOMPARE(utterances.size(), 3);
        const QList<QList<qint16>> parts = partsBetweenSilences(
            render(utterances), qint64(PauseMs - 100) * speech::WavSampleRate / 1000);
        QCOMPARE(parts.size(), 3);

        const auto alone = [](const QString& text, int voiceIndex) {
            return render({{speechLine(text), 0}}, voiceIndex);
        };
        const QList<QList<qint16>> expected{alone(English, -1), alone(Russian, russian),
                                            alone(Greek, greek)};
        // espeak-ng's noise sources run on across texts, so the samples differ a little; the
        // length of a sentence's sound tells its voice and its reading apart.
        for (int i = 0; i < 3; ++i) {
            const qsizetype heard = parts.at(i).size();
            const qsizetype own = expected.at(i).size();
            QVERIFY2(qAbs(heard - own) * 200 <= own,
                     qPrintable(QStringLiteral("part %1: %2 samples, %3 from its own voice")
                                    .arg(i + 1)
                                    .arg(heard)
                                    .arg(own)));
        }
        // The English voice spells Cyrillic out letter by letter: far longer.
        QVERIFY(alone(Russian, -1).size() > parts.at(1).size() * 3 / 2);
    }
};

QTEST_GUILESS_MAIN(TestLanguageVoices)
#include "test_language_voices.moc"
