#pragma once

#include "core/pdf/document_outline.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace lectorix {

class ChildProcess;

struct OutlineRequest
{
    QString pdfPath;
    // Given as owner and as user password; empty for none.
    QString password;
    // A program name looked up in PATH, or a path.
    QString program = QStringLiteral("pdftohtml");
};

struct OutlineResult
{
    // The outline's entries in the document's order; empty when the document has none or it
    // could not be read.
    QList<OutlineEntry> entries;
    bool cancelled = false;
};

// Reads a PDF's outline (its bookmarks) by running pdftohtml as a child process, without
// waiting: finished() arrives through the event loop. An outline is an extra: a pdftohtml
// that is missing, cannot be started, fails or writes nothing gives no entries, never a
// failure. A password that opens the document only as Latin-1 bytes is tried so as well.
// finished() arrives once, also after cancel(); destroying a running job stops pdftohtml.
class OutlineJob final : public QObject
{
    Q_OBJECT

public:
    explicit OutlineJob(OutlineRequest request, QObject* parent = nullptr);
    ~OutlineJob() override;

    void start();
    // Stops pdftohtml; finished() follows at once with cancelled set.
    void cancel();
    bool isRunning() const { return m_running; }
    const OutlineRequest& request() const { return m_request; }

signals:
    void finished(const lectorix::OutlineResult& result);

private:
    void run(bool latin1Password);
    void ended(int exitCode);
    void finish(QList<OutlineEntry> entries, bool cancelled = false);

    OutlineRequest m_request;
    std::unique_ptr<QTemporaryDir> m_work;
    ChildProcess* m_process = nullptr;
    bool m_running = false;
    bool m_triedLatin1 = false;
};

} // namespace lectorix

Q_DECLARE_METATYPE(lectorix::OutlineResult)
