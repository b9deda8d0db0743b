#include "core/ocr/recognition_job.h"

#include "core/files/temp_folder.h"
#include "core/ocr/recognised_words.h"
#include "core/ocr/recognition_languages.h"
#include "core/ocr/recognition_tools.h"
#include "core/pdf/document_info.h"
#include "core/process/child_process.h"
#include "core/process/missing_parts.h"
#include "core/process/process_runner.h"
#include "core/text/language_identification.h"

#include <QFile>
#include <QMap>
#include <QSaveFile>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstring>

namespace lectorix {

namespace {

constexpr int MaxLanes = 4;
// Where pdfinfo stops when asked for every page (it stops at the document's last page).
constexpr int MaxPages = 1000000;
constexpr qint64 MaxToolMessage = 4096;

QByteArray readAll(const QString& path, qint64 limit = -1)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return limit < 0 ? file.readAll() : file.read(limit);
}

// What a tool wrote on standard error, its last lines first when it wrote much.
QString toolMessage(const QString& logPath)
{
    return QString::fromLocal8Bit(readAll(logPath, MaxToolMessage)).trimmed();
}

QString startFailure(const QString& tool, int startError)
{
    return QStringLiteral("%1 could not be started: %2")
        .arg(tool, QString::fromLocal8Bit(strerror(startError - StartFailureBase)));
}

} // namespace

// One tesseract process and the pages it renders and then recognises in one run.
struct RecognitionJob::Lane
{
    int index = 0;
    ChildProcess* process = nullptr;
    QList<int> pages;    // this run's pages
    int rendering = 0;   // the index into pages being rendered
    QList<int> rendered; // the pages whose image is ready
    bool tookFirst = false;
    bool busy = false;
    int runs = 0;
};

struct RecognitionJob::State
{
    RecognitionRequest request;
    bool running = false;
    QList<int> pages; // sorted, each once
    QList<int> queue; // not yet taken by a lane
    std::unique_ptr<QTemporaryDir> folder;
    ChildProcess* tool = nullptr; // the one-off tools before the lanes start
    QList<std::shared_ptr<Lane>> lanes;
    QMap<int, PageGeometry> geometry;
    QMap<int, LayoutPage> done;
    QList<int> failed;
    qsizetype given = 0; // pages handed out by pageRecognised()
    QStringList languages;
    QStringList installed; // tesseract's languages
    bool probing = false;  // the first page is recognised alone, to tell its language
    int lanesWanted = 0;

    // The languages to recognise language (a code such as "fr") in, when tesseract has them
    // all; empty otherwise.
    QStringList installedFor(const QString& language) const
    {
        const QStringList wanted = recognitionLanguages(language);
        const bool all = std::all_of(wanted.cbegin(), wanted.cend(),
                                     [&](const QString& l) { return installed.contains(l); });
        return all ? wanted : QStringList();
    }

    QString file(const QString& name) const { return folder->filePath(name); }
};

RecognitionJob::RecognitionJob(RecognitionRequest request, QObject* parent)
    : Job(parent), d(std::make_unique<State>())
{
    qRegisterMetaType<LayoutPage>();
    qRegisterMetaType<RecognitionResult>();
    d->request = std::move(request);
}

RecognitionJob::~RecognitionJob()
{
    stopAll();
}

bool RecognitionJob::isRunning() const
{
    return d->running;
}

const RecognitionRequest& RecognitionJob::request() const
{
    return d->request;
}

void RecognitionJob::start()
{
    d->running = true;
    d->pages = d->request.pages;
    std::sort(d->pages.begin(), d->pages.end());
    d->pages.erase(std::unique(d->pages.begin(), d->pages.end()), d->pages.end());
    d->pages.removeIf([](int page) { return page < 1; });
    d->queue = d->pages;
    d->languages =
        d->request.languages.isEmpty() ? QStringList{QStringLiteral("eng")} : d->request.languages;
    for (const QString& tool :
         {QStringLiteral("pdfinfo"), QStringLiteral("pdftoppm"), QStringLiteral("tesseract")}) {
        if (!isInstalled(tool))
            return finishSoon(RecognitionOutcome::MachineFault, notInstalledMessage(tool));
    }
    if (!QFile::exists(d->request.pdfPath))
        return finishSoon(RecognitionOutcome::Failed,
                          QStringLiteral("%1 does not exist.").arg(d->request.pdfPath));
    const bool made = step(RecognitionStep::MakeWorkingFolder,
                           [&] { d->folder = makeWorkingFolder(QStringLiteral("ocr")); });
    if (!made)
        return finishSoon(RecognitionOutcome::Failed,
                          QStringLiteral("The folder for text recognition could not be made."));
    d->tool = new ChildProcess(this);
    listLanguages();
}

void RecognitionJob::listLanguages()
{
    disconnect(d->tool, nullptr, this, nullptr);
    connect(d->tool, &ChildProcess::finished, this, &RecognitionJob::languagesListed);
    const int error = d->tool->start(languageListArguments(), d->file(QStringLiteral("langs.log")),
                                     -1, d->file(QStringLiteral("langs.txt")));
    if (error != 0)
        finishSoon(RecognitionOutcome::Failed, startFailure(QStringLiteral("tesseract"), error));
}

void RecognitionJob::languagesListed(int exitCode)
{
    const QString listed = QString::fromUtf8(readAll(d->file(QStringLiteral("langs.txt"))));
    if (exitCode != 0) {
        emit stepFailed(RecognitionFailure{RecognitionStep::ListLanguages,
                                           QStringLiteral("tesseract could not list its languages"),
                                           toolMessage(d->file(QStringLiteral("langs.log")))});
    }
    d->installed = installedRecognitionLanguages(listed);
    if (d->request.identifyLanguage) {
        const QString declared = declaredLanguage(d->request.pdfPath);
        const QStringList declaredLanguages =
            declared.isEmpty() ? QStringList() : d->installedFor(primaryLanguage(declared));
        if (!declaredLanguages.isEmpty())
            d->languages = declaredLanguages;
        d->probing = declaredLanguages.isEmpty();
    }
    const QString missing = missingRecognitionLanguagesMessage(d->languages, d->installed);
    if (!missing.isEmpty())
        return finish(RecognitionOutcome::MachineFault, missing);
    if (d->pages.isEmpty() && !d->request.allPages)
        return finish(RecognitionOutcome::Done);
    readPageSizes();
}

void RecognitionJob::readPageSizes()
{
    disconnect(d->tool, nullptr, this, nullptr);
    connect(d->tool, &ChildProcess::finished, this, &RecognitionJob::pageSizesRead);
    const int error = d->tool->start(
        pageInfoArguments(d->request.password, d->request.pdfPath,
                          d->request.allPages ? 1 : d->pages.first(),
                          d->request.allPages ? MaxPages : d->pages.last()),
        d->file(QStringLiteral("info.log")), -1, d->file(QStringLiteral("info.txt")));
    if (error != 0)
        finishSoon(RecognitionOutcome::Failed, startFailure(QStringLiteral("pdfinfo"), error));
}

void RecognitionJob::pageSizesRead(int exitCode)
{
    d->geometry = readPageGeometry(QString::fromUtf8(readAll(d->file(QStringLiteral("info.txt")))));
    if (exitCode != 0 || d->geometry.isEmpty()) {
        const QString reason = toolMessage(d->file(QStringLiteral("info.log")));
        return finish(RecognitionOutcome::Failed,
                      QStringLiteral("The pages of %1 could not be read.").arg(d->request.pdfPath),
                      reason);
    }
    if (d->request.allPages) {
        d->pages = d->geometry.keys();
        d->queue = d->pages;
    }
    startLanes();
}

void RecognitionJob::startLanes()
{
    if (d->pages.isEmpty())
        return finish(RecognitionOutcome::Done);
    int lanes = d->request.lanes > 0 ? d->request.lanes
                                     : std::clamp(QThread::idealThreadCount(), 1, MaxLanes);
    lanes = std::min<qsizetype>(lanes, d->pages.size());
    d->lanesWanted = lanes;
    // While the first page tells the language, it is the only one recognised.
    addLanes(d->probing ? 1 : lanes);
}

void RecognitionJob::addLanes(int count)
{
    const qsizetype first = d->lanes.size();
    for (qsizetype i = first; i < count; ++i) {
        auto lane = std::make_shared<Lane>();
        lane->index = int(i);
        lane->process = new ChildProcess(this);
        d->lanes.append(lane);
    }
    for (qsizetype i = first; i < d->lanes.size() && d->running; ++i)
        takeRun(*d->lanes.at(i));
}

// The first page, recognised in the languages guessed, says which the document is in: the
// other pages are recognised in those, and the first again when they differ.
void RecognitionJob::firstPageRecognised(Lane& lane)
{
    d->probing = false;
    const int page = d->pages.first();
    QString text;
    for (const LayoutBlock& block : d->done.value(page).blocks) {
        for (const LayoutLine& line : block.lines) {
            for (const LayoutWord& word : line.words)
                text += word.text + QLatin1Char(' ');
        }
    }
    const QString language = identifiedLanguage(text);
    const QStringList languages = language.isEmpty() ? QStringList() : d->installedFor(language);
    if (!languages.isEmpty() && languages != d->languages && !d->failed.contains(page)) {
        d->languages = languages;
        d->done.remove(page);
        d->queue.prepend(page);
        lane.tookFirst = false;
    }
    givePagesInOrder();
    takeRun(lane);
    addLanes(d->lanesWanted);
}

void RecognitionJob::takeRun(Lane& lane)
{
    lane.busy = false;
    if (!d->running)
        return;
    const qsizetype take = lane.tookFirst ? std::max(1, d->request.pagesPerRun) : 1;
    lane.tookFirst = true;
    lane.pages = d->queue.mid(0, take);
    d->queue.remove(0, lane.pages.size());
    lane.rendering = 0;
    lane.rendered.clear();
    if (lane.pages.isEmpty()) {
        const bool allIdle = std::none_of(d->lanes.cbegin(), d->lanes.cend(),
                                          [](const auto& other) { return other->busy; });
        if (allIdle)
            finish(RecognitionOutcome::Done);
        return;
    }
    lane.busy = true;
    ++lane.runs;
    renderNext(lane);
}

void RecognitionJob::renderNext(Lane& lane)
{
    while (lane.rendering < lane.pages.size()) {
        const int page = lane.pages[lane.rendering];
        const RenderSize size = renderSize(d->geometry.value(page));
        if (size.dpi <= 0) {
            const QString why = d->geometry.contains(page)
                                    ? QStringLiteral("Page %1 has no area to render")
                                    : QStringLiteral("There is no page %1");
            failPage(page, RecognitionStep::RenderPage, why.arg(page), QString());
            ++lane.rendering;
            continue;
        }
        disconnect(lane.process, nullptr, this, nullptr);
        connect(lane.process, &ChildProcess::finished, this,
                [this, &lane](int exitCode) { pageRendered(lane, exitCode); });
        const QString base = d->file(QStringLiteral("page-%1").arg(page));
        const int error = lane.process->start(
            renderArguments(d->request.password, d->request.pdfPath, page, size, base),
            base + QStringLiteral(".log"));
        if (error == 0)
            return;
        failPage(page, RecognitionStep::RenderPage,
                 QStringLiteral("Page %1 could not be rendered").arg(page),
                 startFailure(QStringLiteral("pdftoppm"), error));
        ++lane.rendering;
    }
    recognise(lane);
}

void RecognitionJob::pageRendered(Lane& lane, int exitCode)
{
    const int page = lane.pages[lane.rendering];
    const QString base = d->file(QStringLiteral("page-%1").arg(page));
    const QString image = base + QStringLiteral(".tif");
    if (exitCode == 0 && QFile(image).size() > 0) {
        lane.rendered.append(page);
        // A damaged image or content stream is drawn as far as it goes: the page is
        // recognised, and what may be missing from it is said.
        if (const QString complaints = toolMessage(base + QStringLiteral(".log"));
            complaints.contains(QLatin1String("Error"))) {
            emit stepFailed(RecognitionFailure{
                RecognitionStep::RenderPage,
                QStringLiteral("Page %1 is damaged, part of it may be missing").arg(page),
                complaints});
        }
    } else {
        failPage(page, RecognitionStep::RenderPage,
                 QStringLiteral("Page %1 could not be rendered").arg(page),
                 toolMessage(base + QStringLiteral(".log")));
        QFile::remove(image);
    }
    QFile::remove(base + QStringLiteral(".log"));
    ++lane.rendering;
    renderNext(lane);
}

void RecognitionJob::recognise(Lane& lane)
{
    if (lane.rendered.isEmpty()) {
        givePagesInOrder();
        return takeRun(lane);
    }
    const QString run = QStringLiteral("run-%1").arg(lane.index);
    QByteArray list;
    for (int page : std::as_const(lane.rendered))
        list += QFile::encodeName(d->file(QStringLiteral("page-%1.tif").arg(page))) + '\n';
    QSaveFile listFile(d->file(run + QStringLiteral(".txt")));
    const bool listed = listFile.open(QIODevice::WriteOnly) &&
                        listFile.write(list) == list.size() && listFile.commit();
    disconnect(lane.process, nullptr, this, nullptr);
    connect(lane.process, &ChildProcess::finished, this,
            [this, &lane](int exitCode) { recognised(lane, exitCode); });
    const int error =
        listed ? lane.process->start(recognitionArguments(d->file(run + QStringLiteral(".txt")),
                                                          d->file(run), d->languages),
                                     d->file(run + QStringLiteral(".log")))
               : 0;
    if (listed && error == 0)
        return;
    const QString reason = listed ? startFailure(QStringLiteral("tesseract"), error)
                                  : QStringLiteral("The list of images could not be written.");
    for (int page : std::as_const(lane.rendered)) {
        failPage(page, RecognitionStep::RecognisePages,
                 QStringLiteral("Page %1 could not be recognised").arg(page), reason);
    }
    lane.rendered.clear();
    recognise(lane);
}

void RecognitionJob::recognised(Lane& lane, int exitCode)
{
    const QString run = d->file(QStringLiteral("run-%1").arg(lane.index));
    const QList<LayoutPage> read = readRecognisedWords(readAll(run + QStringLiteral(".tsv")));
    const QString reason = toolMessage(run + QStringLiteral(".log"));
    for (qsizetype i = 0; i < lane.rendered.size(); ++i) {
        const int page = lane.rendered[i];
        const auto found = std::find_if(read.cbegin(), read.cend(),
                                        [&](const LayoutPage& p) { return p.number == i + 1; });
        if (exitCode != 0 || found == read.cend()) {
            failPage(page, RecognitionStep::RecognisePages,
                     QStringLiteral("Page %1 could not be recognised").arg(page), reason);
        } else {
            LayoutPage layout = *found;
            const PageGeometry shown = d->geometry.value(page);
            placeOnPage(layout, page, shown.width, shown.height);
            d->done.insert(page, layout);
        }
        QFile::remove(d->file(QStringLiteral("page-%1.tif").arg(page)));
    }
    for (const char* suffix : {".tsv", ".txt", ".log"})
        QFile::remove(run + QLatin1String(suffix));
    lane.rendered.clear();
    if (d->probing)
        return firstPageRecognised(lane);
    givePagesInOrder();
    takeRun(lane);
}

void RecognitionJob::failPage(int page, RecognitionStep step, const QString& description,
                              const QString& reason)
{
    d->failed.append(page);
    LayoutPage empty;
    empty.number = page;
    const PageGeometry shown = d->geometry.value(page);
    empty.width = shown.width;
    empty.height = shown.height;
    d->done.insert(page, empty);
    emit stepFailed(RecognitionFailure{step, description, reason});
}

void RecognitionJob::givePagesInOrder()
{
    while (d->running && d->given < d->pages.size() && d->done.contains(d->pages[d->given])) {
        const LayoutPage page = d->done.value(d->pages[d->given]);
        ++d->given;
        emit pageRecognised(page);
        if (d->running)
            emit progress(int(d->given), int(d->pages.size()));
    }
}

void RecognitionJob::cancel()
{
    if (!d->running)
        return;
    finish(RecognitionOutcome::Cancelled);
}

void RecognitionJob::stopAll()
{
    if (d->tool)
        d->tool->stop();
    for (const auto& lane : std::as_const(d->lanes))
        lane->process->stop();
    d->folder.reset();
}

void RecognitionJob::finishSoon(RecognitionOutcome outcome, const QString& message,
                                const QString& detail)
{
    QTimer::singleShot(0, this, [this, outcome, message, detail] {
        if (d->running)
            finish(outcome, message, detail);
    });
}

void RecognitionJob::finish(RecognitionOutcome outcome, const QString& message,
                            const QString& detail)
{
    if (!d->running)
        return;
    d->running = false;
    stopAll();
    RecognitionResult result;
    result.outcome = outcome;
    result.message = message;
    result.detail = detail;
    if (outcome == RecognitionOutcome::Done) {
        result.pages = d->done.values();
        result.failedPages = d->failed;
        std::sort(result.failedPages.begin(), result.failedPages.end());
    }
    emit finished(result);
    emit ended();
}

} // namespace lectorix
