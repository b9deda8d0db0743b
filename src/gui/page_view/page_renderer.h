#pragma once

#include <QImage>
#include <QList>
#include <QObject>
#include <QSize>
#include <QString>

#include <memory>
#include <optional>

class QTemporaryDir;
class QTimer;

namespace lectorix {

class ChildProcess;

// A page asked for, at the size in device pixels it is to be shown.
struct PageAsk
{
    int page = 0; // counted from 1
    QSize pixels;
    bool operator==(const PageAsk&) const = default;
};

// Renders a PDF's pages to pictures outside the window's process: one pdftoppm per page, one
// at a time, into a private working folder. A page that does not render (a damaged stream, a
// renderer that hangs or is missing) is reported with the reason, and the next one is taken.
class PageRenderer final : public QObject
{
    Q_OBJECT

public:
    // The largest picture made of one page; a larger page is rendered smaller and drawn
    // enlarged, so that a poster-sized page cannot take the memory.
    static constexpr qint64 MaxPixels = 12'000'000;
    static constexpr int MaxSide = 12'000;
    // How long one page may take before its renderer is stopped.
    static constexpr int RenderTimeoutMs = 30'000;

    explicit PageRenderer(QObject* parent = nullptr);
    ~PageRenderer() override;

    // The document rendered from now on; what was asked for before is dropped.
    void setDocument(const QString& pdfPath, const QString& password);
    // The pages wanted now, the most wanted first, in place of those wanted before. The page
    // being rendered goes on when it is still wanted at the same size.
    void want(const QList<PageAsk>& asks);
    bool isRendering() const { return m_running.has_value(); }

    // pixels made no larger than the caps, its sides' proportion kept.
    static QSize cappedPixels(QSize pixels);

signals:
    void rendered(int page, const QImage& picture);
    void failed(int page, const QString& reason);

private:
    void startNext();
    void ended(int exitCode);
    void finish(const std::optional<QString>& failure);
    QString rendererMessages() const;

    QString m_pdfPath;
    QString m_password;
    QList<PageAsk> m_queue;
    std::optional<PageAsk> m_running;
    ChildProcess* m_process = nullptr;
    QTimer* m_timeout = nullptr;
    std::unique_ptr<QTemporaryDir> m_folder;
};

} // namespace lectorix
