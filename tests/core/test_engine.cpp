// The espeak-ng engine: voices, WAV files, awkward text, failures, and (on the test sink of
// tools/with-audio.sh) what is actually heard.
#include "core/base/failure.h"
#include "core/speech/espeak/audio_chain.h"
#include "core/speech/espeak/espeak_engine.h"
#include "core/speech/espeak/espeak_library.h"
#include "core/speech/speech_text.h"
#include "support/process_info.h"
#include "support/sink_recorder.h"
#include "support/test_env.h"

#include <QtEndian>
#include <QtTest>

#include <sys/resource.h>

#include <thread>

using namespace lectorix;
using namespace std::chrono_literals;
using Clock = test::SinkRecorder::Clock;

namespace {

const QString Prose = QStringLiteral(
    "In the year 1878 I took my degree of Doctor of Medicine of the University of London, and "
    "proceeded to Netley to go through the course prescribed for surgeons in the army. Having "
    "completed my studies there, I was duly attached to the Fifth Northumberland Fusiliers as "
    "Assistant Surgeon. The regiment was stationed in India at the time, and before I could "
    "join it, the second Afghan war had broken out. ");
constexpr double Loud = 100.0; // speech at full volume is far above this RMS; silence is 0
constexpr double Quiet = 20.0;

// Samples in a WAV file of the engine's format, or -1 with the reason in *problem.
qint64 wavSamples(const QString& path, QString* problem)
{
    const QByteArray b = test::readFile(path);
    const auto u32 = [&b](int at) { return qFromLittleEndian<quint32>(b.constData() + at); };
    const auto u16 = [&b](int at) { return qFromLittleEndian<quint16>(b.constData() + at); };
    const auto fail = [problem](const char* why) {
        *problem = QString::fromLatin1(why);
        return -1;
    };
    if (b.size() < 44 || !b.startsWith("RIFF") || b.mid(8, 8) != "WAVEfmt ")
        return fail("no RIFF/WAVE header");
    if (u32(4) != quint32(b.size() - 8) || u32(40) != quint32(b.size() - 44) ||
        b.mid(36, 4) != "data")
        return fail("chunk sizes do not match the file size");
    if (u32(16) != 16 || u16(20) != 1 || u16(22) != 1 || u32(24) != 22050 || u32(28) != 44100 ||
        u16(32) != 2 || u16(34) != 16)
        return fail("not 22,050 Hz 16-bit mono PCM");
    return (b.size() - 44) / 2;
}

struct Rendering
{
    std::unique_ptr<speech::Voice> voice = speech::engine().createVoice();
    std::unique_ptr<speech::FileStream> stream = speech::engine().createFileStream();
    explicit Rendering(const QString& path)
    {
        stream->open(path);
        voice->setAudioOutputStream(stream.get());
    }
};

// Renders text into a WAV file and returns its sample count.
qint64 render(const QString& path, const QString& text, int rate = 0, const QString& voiceId = {})
{
    Rendering r(path);
    if (!voiceId.isEmpty())
        r.voice->setVoice({voiceId, voiceId});
    r.voice->setRate(rate);
    r.voice->speak(text);
    r.stream->close();
    QString problem;
    const qint64 samples = wavSamples(path, &problem);
    if (samples < 0)
        qWarning("%s: %s", qPrintable(path), qPrintable(problem));
    return samples;
}

bool waitUntil(const std::function<bool()>& done, int ms)
{
    return QTest::qWaitFor(done, ms);
}

} // namespace

class TestEngine : public QObject
{
    Q_OBJECT

    QString m_folder;

private slots:
    void initTestCase() { m_folder = test::freshScratch(); }

    void stretches_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("count");
        QTest::newRow("short") << QStringLiteral("Hello world.") << 1;
        QTest::newRow("sentences") << Prose.repeated(2) << 5; // the last two fit in one
        QString lines = Prose.repeated(2);
        for (qsizetype i = 50; i < lines.size(); i += 50)
            lines[lines.indexOf(u' ', i)] = u'\n'; // converted PDF text: lines end mid-sentence
        QTest::newRow("broken lines") << lines << 5;
        QTest::newRow("paragraphs")
            << QStringLiteral("A line of some length here and\r\n\r\n").repeated(20)
            << 7; // two paragraphs each, then the last 274 characters
        QTest::newRow("no blanks") << QString(1000, u'a') << 4;
        QTest::newRow("words") << QStringLiteral("word ").repeated(200) << 4;
        QTest::newRow("surrogates") << u'a' + QStringLiteral("\U0001F600").repeated(300) << 3;
    }
    void stretches()
    {
        QFETCH(QString, text);
        QStringList pieces;
        speech::StretchCutter cutter(text);
        for (QString piece; cutter.nextPiece(&piece);)
            pieces << piece;
        QFETCH(int, count);
        QCOMPARE(pieces.join(QString()), text);
        QCOMPARE(pieces.size(), count);
        for (qsizetype i = 0; i < pieces.size(); ++i) {
            QVERIFY(pieces[i].size() <= speech::StretchCutter::MaxLength);
            QVERIFY(!pieces[i].front().isLowSurrogate());
            if (text.contains(u'.') && i + 1 < pieces.size())
                QVERIFY2(pieces[i].trimmed().endsWith(u'.'), qPrintable(pieces[i]));
        }
    }

    // Speed and volume act on the samples as they are pulled: speed by 3^(rate/10) over the
    // native speed of the stretch, volume as a linear gain.
    void chain_data()
    {
        QTest::addColumn<int>("nativeWpm");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("volume");
        QTest::newRow("normal") << 175 << 0 << 100;
        QTest::newRow("quiet") << 175 << 0 << 25;
        QTest::newRow("fastest, from espeak's maximum") << 450 << 10 << 100;
        QTest::newRow("slowest, from espeak's minimum") << 80 << -10 << 60;
        QTest::newRow("changed after synthesis") << 175 << 5 << 100;
    }
    void chain()
    {
        QFETCH(int, nativeWpm);
        QFETCH(int, rate);
        QFETCH(int, volume);
        std::vector<short> tone(22050 * 2);
        for (size_t i = 0; i < tone.size(); ++i)
            tone[i] = short(8000 * std::sin(2 * M_PI * 150 * double(i) / 22050));
        speech::AudioChain chain(22050, 22050);
        chain.push(tone, nativeWpm);
        chain.endOfInput();
        const double target = 175 * std::pow(3.0, rate / 10.0);
        std::vector<short> out;
        short block[1000];
        for (size_t n; (n = chain.pull(block, 1000, target, volume)) > 0;)
            out.insert(out.end(), block, block + n);
        QVERIFY(chain.finished());
        const double expected = double(tone.size()) * nativeWpm / target;
        QVERIFY2(
            qAbs(double(out.size()) - expected) < expected * 0.05,
            qPrintable(QStringLiteral("%1 samples, expected %2").arg(out.size()).arg(expected)));
        const auto peak = [](const std::vector<short>& v) {
            return *std::max_element(v.begin(), v.end());
        };
        QVERIFY(qAbs(peak(out) - peak(tone) * volume / 100) < peak(tone) / 10);
    }

    // A clear() that cannot make its new time-stretcher leaves the chain as it was: still
    // usable, and its stretcher released exactly once. The stretcher of a huge rate holds about
    // 250 MB (never touched); for the clear, the address space is capped 64 MB below what the
    // process holds, so not even the room of the old stretcher would do.
    void chainClearWithoutMemory()
    {
#if defined(__SANITIZE_ADDRESS__)
        QSKIP("AddressSanitizer cannot run with a capped address space");
#endif
        constexpr int HugeRate = 1'000'000'000;
        speech::AudioChain chain(HugeRate, HugeRate);
        const qint64 usedKb = test::ownFootprint().virtualBytes / 1024;
        QVERIFY(usedKb > 0);
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_AS, &saved), 0);
        rlimit tight = saved;
        tight.rlim_cur = rlim_t(usedKb - 64 * 1024) * 1024;
        QCOMPARE(setrlimit(RLIMIT_AS, &tight), 0);
        bool refused = false;
        try {
            chain.clear();
        } catch (const std::bad_alloc&) {
            refused = true;
        }
        setrlimit(RLIMIT_AS, &saved);
        QVERIFY(refused);

        chain.push(std::vector<short>(1000, 100), 175);
        QCOMPARE(chain.pending(), size_t(1000));
        chain.clear(); // releases the first stretcher, which must still be there
        QCOMPARE(chain.pending(), size_t(0));
        QVERIFY(chain.finished());
    }

    void decodeTextFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("utf-8") << QByteArray("Caf\xc3\xa9 \xe2\x82\xac")
                               << QStringLiteral("Café €");
        QTest::newRow("bom") << QByteArray("\xef\xbb\xbfOui") << QStringLiteral("Oui");
        QTest::newRow("cp1252") << QByteArray("Caf\xe9 \x80 \x93x\x94")
                                << QStringLiteral("Café € “x”");
        QTest::newRow("cut utf-8") << QByteArray("abc\xc3") << QStringLiteral("abcÃ");
    }
    void decodeTextFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(speech::decodeTextFile(bytes), text);
    }

    void localeVoice_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("voice");
        QTest::newRow("German") << "de_DE.UTF-8"
                                << "gmw/de";
        QTest::newRow("US English") << "en_US.UTF-8"
                                    << "gmw/en-US";
        QTest::newRow("Brazil") << "pt_BR"
                                << "roa/pt-BR";
        QTest::newRow("Canadian French") << "fr_CA.UTF-8@euro"
                                         << "roa/fr";
        QTest::newRow("C") << "C"
                           << "gmw/en";
        QTest::newRow("unknown") << "xx_YY.UTF-8"
                                 << "gmw/en";
    }
    void localeVoice()
    {
        QFETCH(QString, locale);
        QFETCH(QString, voice);
        const auto voices = speech::espeak::Library::instance().voices();
        const int best =
            speech::espeak::bestVoiceFor(voices, speech::espeak::localeLanguageTag(locale));
        QCOMPARE(voices.value(best).identifier, voice);

        qputenv("LC_ALL", locale.toUtf8());
        const auto v = speech::engine().createVoice();
        const QString first = v->installedVoices().value(0).id;
        qunsetenv("LC_ALL");
        QCOMPARE(v->voice().id, voice);
        QCOMPARE(first, voice);
    }

    void voiceList()
    {
        const auto voice = speech::engine().createVoice();
        const QList<speech::VoiceToken> tokens = voice->installedVoices();
        QVERIFY(tokens.size() > 10);
        QSet<QString> ids, names;
        for (int i = 0; i < tokens.size(); ++i) {
            ids << tokens[i].id;
            names << tokens[i].description;
            QVERIFY(!tokens[i].description.isEmpty());
            if (i > 1)
                QVERIFY(tokens[i - 1].description.compare(tokens[i].description,
                                                          Qt::CaseInsensitive) < 0);
        }
        QCOMPARE(ids.size(), tokens.size());
        QCOMPARE(names.size(), tokens.size());
        const auto again = speech::engine().createVoice()->installedVoices();
        QVERIFY(std::equal(
            tokens.begin(), tokens.end(), again.begin(), again.end(),
            [](auto& a, auto& b) { return a.id == b.id && a.description == b.description; }));
    }

    void wavFile()
    {
        const QString path = m_folder + QStringLiteral("/out.wav");
        test::writeFile(path, QByteArray(1 << 20, 'x')); // an older, longer file is replaced
        QMap<int, qint64> samples;
        for (int rate : {10, 0, -10}) {
            samples[rate] = render(path, Prose, rate);
            QVERIFY2(samples[rate] > 22050, qPrintable(QString::number(rate)));
        }
        QVERIFY(samples[-10] > samples[0] && samples[0] > samples[10]);
        QVERIFY2(samples[-10] > 4 * samples[10],
                 "rate -10 should take about 9 times as long as 10");
    }

    void wavOpenFailure_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("folder") << m_folder;
        QTest::newRow("missing folder") << m_folder + QStringLiteral("/no/such/out.wav");
    }
    void wavOpenFailure()
    {
        QFETCH(QString, path);
        const auto stream = speech::engine().createFileStream();
        try {
            stream->open(path);
            QFAIL("open succeeded");
        } catch (const Failure& f) {
            QVERIFY2(f.description().contains(path), qPrintable(f.description()));
        }
        QVERIFY(!stream->isOpen());
    }

    void awkwardText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QString();
        QTest::newRow("blanks") << QStringLiteral(" \n\t ");
        QTest::newRow("symbols") << QStringLiteral("!!! ??? ... --- ### *** ///");
        QTest::newRow("nul, emoji, markup")
            << QStringLiteral("a") + QChar(0) + QStringLiteral("b \U0001F600 <speak>");
    }
    void awkwardText()
    {
        QFETCH(QString, text);
        QVERIFY(render(m_folder + QStringLiteral("/awkward.wav"), text) >= 0);
    }

    // A rendering's text file, in Windows-1252, is spoken as decoded; a missing one fails.
    void textFile()
    {
        const QString txt =
            test::writeFile(m_folder + QStringLiteral("/in.txt"), "Caf\xe9 au lait.\n");
        const QString wav = m_folder + QStringLiteral("/file.wav");
        const QString text = speech::readTextFile(txt);
        QCOMPARE(text, QStringLiteral("Café au lait.\n"));
        QVERIFY2(render(wav, text) > 11025, "too short for the sentence");
        QVERIFY_THROWS_EXCEPTION(Failure,
                                 speech::readTextFile(m_folder + QStringLiteral("/none.txt")));
    }

    void hugeTextIsStreamed()
    {
        const QString wav = m_folder + QStringLiteral("/huge.wav");
        auto r = std::make_unique<Rendering>(wav);
        r->voice->speakAsync(QString(1 << 20, u'x'));
        // Spoken as one stretch, nothing would appear for a minute.
        QVERIFY(waitUntil([&] { return QFileInfo(wav).size() > 200'000; }, 15'000));
        QVERIFY(!r->voice->isDone());
        r.reset(); // stops the voice and closes the file
        QString problem;
        QVERIFY2(wavSamples(wav, &problem) > 0, qPrintable(problem));
    }

    void classNotRegistered()
    {
        Rendering r(m_folder + QStringLiteral("/bad.wav"));
        r.voice->setVoice({QStringLiteral("nonexistent/xx"), QStringLiteral("Missing")});
        for (bool async : {false, true}) {
            try {
                async ? r.voice->speakAsync(Prose) : r.voice->speak(Prose);
                QFAIL("speaking succeeded");
            } catch (const Failure& f) {
                QCOMPARE(f.description(), QStringLiteral("Class not registered"));
            }
        }
        QVERIFY(r.voice->isDone());
    }

    // Two voices at once (a reading while a file renders) each keep their own voice and rate:
    // each file comes out as long as when rendered alone. (Synthesis is not bit-exact from one
    // run to the next, so lengths are compared.)
    void twoVoicesApart()
    {
        const QString a = m_folder + QStringLiteral("/a.wav"),
                      b = m_folder + QStringLiteral("/b.wav");
        const QString english = QStringLiteral("gmw/en"), german = QStringLiteral("gmw/de");
        const QString text = Prose.repeated(2);
        const qint64 aloneA = render(a, text, -3, english), aloneB = render(b, text, 7, german);
        QVERIFY(aloneA > aloneB * 2);
        Rendering ra(a), rb(b);
        ra.voice->setVoice({english, english});
        ra.voice->setRate(-3);
        rb.voice->setVoice({german, german});
        rb.voice->setRate(7);
        ra.voice->speakAsync(text);
        rb.voice->speakAsync(text);
        QVERIFY(waitUntil([&] { return ra.voice->isDone() && rb.voice->isDone(); }, 60'000));
        ra.stream->close();
        rb.stream->close();
        QString problem;
        QVERIFY(qAbs(wavSamples(a, &problem) - aloneA) < aloneA / 50);
        QVERIFY(qAbs(wavSamples(b, &problem) - aloneB) < aloneB / 50);
    }

    // The voice remembers a server it could not reach: later texts fail at once with the same
    // description, even once a server is there (under tools/with-audio.sh), instead of each
    // trying to connect again.
    void noAudioServer()
    {
        const QByteArray saved = qgetenv("PULSE_SERVER");
        qputenv("PULSE_SERVER", "unix:/nonexistent/lectorix-no-server");
        const auto voice = speech::engine().createVoice();
        QStringList descriptions;
        for (int attempt = 0; attempt < 3; ++attempt) {
            if (attempt == 2)
                saved.isNull() ? qunsetenv("PULSE_SERVER") : qputenv("PULSE_SERVER", saved);
            try {
                attempt == 0 ? voice->speak(Prose) : voice->speakAsync(Prose);
                descriptions << QStringLiteral("attempt %1 succeeded").arg(attempt);
            } catch (const Failure& f) {
                descriptions << f.description();
            }
        }
        saved.isNull() ? qunsetenv("PULSE_SERVER") : qputenv("PULSE_SERVER", saved);
        QVERIFY2(descriptions[0].startsWith(QStringLiteral("No audio output: the PulseAudio")),
                 qPrintable(descriptions[0]));
        QCOMPARE(descriptions, QStringList(3, descriptions[0]));
        QVERIFY(voice->isDone());
    }

    void pauseAndResume()
    {
        NEED_SINK(rec);
        auto voice = speech::engine().createVoice();
        voice->speakAsync(Prose.repeated(3));
        QVERIFY2(
            waitUntil([&] { return rec->rms(Clock::now() - 300ms, Clock::now()) > Loud; }, 3000),
            "nothing heard");
        const auto paused = Clock::now();
        voice->pause();
        QTest::qWait(600);
        QVERIFY2(rec->rms(paused + 100ms, paused + 600ms) < Quiet, "still heard after pause()");
        QVERIFY(!voice->isDone());
        const auto resumed = Clock::now();
        voice->resume();
        QTest::qWait(1000);
        QVERIFY2(rec->rms(resumed + 100ms, resumed + 1000ms) > Loud, "silent after resume()");

        // Volume is applied to what is played, during the same reading.
        const double full = rec->rms(resumed + 100ms, Clock::now());
        voice->setVolume(25);
        const auto lowered = Clock::now();
        QTest::qWait(1000);
        const double low = rec->rms(lowered + 150ms, Clock::now());
        QVERIFY2(low > 1 && low < full * 0.5,
                 qPrintable(QStringLiteral("%1 vs %2").arg(low).arg(full)));

        const auto destroyed = Clock::now();
        voice.reset();
        QTest::qWait(500);
        QVERIFY2(rec->rms(destroyed + 150ms, destroyed + 500ms) < Quiet, "heard after destruction");
    }

    void doneOnlyWhenHeard()
    {
        NEED_SINK(rec);
        const QString sentence = QStringLiteral("Hello there, this is a short sentence.");
        const double seconds = render(m_folder + QStringLiteral("/done.wav"), sentence) / 22050.0;
        const auto voice = speech::engine().createVoice();
        QVERIFY(voice->isDone());
        voice->speakAsync(sentence);
        voice->pause();
        QTest::qWait(800);
        QVERIFY(!voice->isDone());
        QVERIFY(rec->rmsSince(Clock::now() - 700ms) < Quiet);
        const auto resumed = Clock::now();
        voice->resume();
        QVERIFY(waitUntil([&] { return voice->isDone(); }, 10'000));
        const auto done = Clock::now();
        QVERIFY2(rec->rms(resumed, done) > Loud / 2, "nothing heard before done");
        // Done no sooner than the whole sound (its trailing pause included) can have played.
        const double took = std::chrono::duration<double>(done - resumed).count();
        QVERIFY2(
            took > seconds - 0.02,
            qPrintable(QStringLiteral("%1 s of sound, done after %2 s").arg(seconds).arg(took)));
        QVERIFY2(rec->lastSound(resumed, done + 300ms, Quiet) <= done + 20ms, "heard after done");
    }

    // Live speech: speak() returns once the sound has been heard, not when it has been
    // synthesized, and nothing of it is heard afterwards.
    void speakReturnsWhenHeard()
    {
        NEED_SINK(rec);
        const auto voice = speech::engine().createVoice();
        const auto start = Clock::now();
        voice->speak(QStringLiteral("Hello world. This is a test."));
        const auto returned = Clock::now();
        QVERIFY(voice->isDone());
        QVERIFY2(rec->rms(start, returned) > Loud / 2, "nothing heard before speak() returned");
        QVERIFY2(rec->lastSound(start, returned + 300ms, Quiet) <= returned + 20ms,
                 "heard after speak() returned");
    }

    // stop() from another thread ends a speak() that waits, and silences the voice.
    void stopEndsSpeak()
    {
        NEED_SINK(rec);
        const auto voice = speech::engine().createVoice();
        std::thread stopper([&voice] {
            std::this_thread::sleep_for(300ms);
            voice->stop();
        });
        voice->speak(Prose.repeated(5)); // about two minutes of speech unless stopped
        stopper.join();
        QVERIFY(voice->isDone());
        const auto ended = Clock::now();
        QTest::qWait(400);
        QVERIFY(rec->rms(ended + 150ms, ended + 400ms) < Quiet);
    }
};

QTEST_GUILESS_MAIN(TestEngine)
#include "test_engine.moc"
