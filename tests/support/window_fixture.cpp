#include "support/window_fixture.h"

#include "core/base/program_folder.h"
#include "core/files/file_utils.h"
#include "core/pdf/pdf_converter.h"
#include "support/test_env.h"

#include <QPlainTextEdit>
#include <QSlider>
#include <QTest>

namespace lectorix::test {

void readTextBoxAtFullVolume(MainWindow& form, const QString& text)
{
    form.volumeSlider()->setValue(100);
    form.rateSlider()->setValue(0);
    form.documents().setUseTextBox(true);
    form.textToReadEdit()->setPlainText(text);
}

bool waitUntilReadingEnds(MainWindow& form, int timeoutMs)
{
    return QTest::qWaitFor([&] { return form.reading().session()->state() == ReadingState::Idle; },
                           timeoutMs);
}

bool waitUntilIdle(MainWindow& form, int timeoutMs)
{
    return QTest::qWaitFor(
        [&] {
            return !form.exporting().savingFile() && !form.documents().textExtraction() &&
                   !form.documents().isRecognisingText();
        },
        timeoutMs);
}

WindowFixture::WindowFixture() : temp(freshScratch())
{
    writeFileIfMissing(customResource(101), converterPath(), true);
}

} // namespace lectorix::test
