#include "core/ocr/page_recognition.h"

#include "core/text/layout/reading.h"

#include <algorithm>

namespace lectorix {

QList<int> pagesToRecognise(RecognitionMode mode, const QList<LayoutPage>& pages)
{
    QList<int> numbers;
    if (mode == RecognitionMode::Never)
        return numbers;
    for (const LayoutPage& page : pages) {
        if (mode == RecognitionMode::Always || !hasUsableText(page))
            numbers.append(page.number);
    }
    return numbers;
}

QString mergeRecognisedPages(QList<LayoutPage>& pages, const QList<LayoutPage>& recognised)
{
    for (const LayoutPage& page : recognised) {
        const auto same = std::find_if(pages.begin(), pages.end(), [&](const LayoutPage& p) {
            return p.number == page.number;
        });
        if (same != pages.end())
            *same = page;
        else
            pages.append(page);
    }
    std::stable_sort(pages.begin(), pages.end(),
                     [](const LayoutPage& a, const LayoutPage& b) { return a.number < b.number; });
    return layoutText(pages);
}

} // namespace lectorix
