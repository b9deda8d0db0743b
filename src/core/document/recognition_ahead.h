#pragma once

#include "core/ocr/recognition_job.h"
#include "core/pdf/page_layout.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

namespace lectorix {

struct RecognitionAheadRequest
{
    QString pdfPath; // the reading's working copy
    QString password;
    QStringList languages; // tesseract's codes
    // How many pages past the one being heard are recognised at most.
    int pagesAhead = 4;
};

// The pages of a reading in document order, those without usable text recognised on the way:
// a text page passes as the converter gave it, and a page to recognise holds back every page
// after it until its text has come. Recognition keeps only a few pages ahead of the page being
// heard, so a long scan starts speaking once its first page is recognised and is not
// recognised far beyond what is listened to. A page whose recognition failed passes without
// words. Destroying it stops the recognition at once and leaves no process or file.
class RecognitionAhead final : public QObject
{
    Q_OBJECT

public:
    explicit RecognitionAhead(RecognitionAheadRequest request, QObject* parent = nullptr);
    ~RecognitionAhead() override;

    // The next pages from the converter, in order.
    void add(const QList<LayoutPage>& pages);
    // The voice has reached page: recognition may go on up to pagesAhead pages past it.
    void setPageHeard(int page);
    // The pages ready to be read, in order, each handed out once.
    QList<LayoutPage> takeReady();
    // Whether every page added has been taken.
    bool isEmpty() const { return m_held.isEmpty() && m_ready.isEmpty(); }
    // Whether the next page to give waits for its recognition.
    bool isWaiting() const { return !m_held.isEmpty(); }

signals:
    // takeReady() has pages to give.
    void pagesReady();
    // The recognition could not run at all (a tool or a language's data missing): what to
    // install. Pages still to recognise then pass without words.
    void failed(const QString& message);

private:
    void recogniseMore();
    void pageRecognised(const LayoutPage& page);
    void jobFinished(const RecognitionResult& result);
    void letReadyOut();

    RecognitionAheadRequest m_request;
    struct HeldPage
    {
        LayoutPage page;
        bool waiting = false; // for its recognition
        bool asked = false;   // of the running recognition
    };
    QList<HeldPage> m_held;
    QList<LayoutPage> m_ready;
    RecognitionJob* m_job = nullptr;
    int m_pageHeard = 0;
    bool m_broken = false; // recognition cannot run: no more is tried
};

} // namespace lectorix
