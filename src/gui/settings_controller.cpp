#include "gui/settings_controller.h"

#include "core/base/program_folder.h"
#include "core/files/file_utils.h"
#include "core/files/temp_folder.h"
#include "core/pdf/pdf_converter.h"
#include "core/process/launcher_sharing.h"
#include "core/settings/settings.h"
#include "core/settings/settings_keys.h"
#include "core/text/speech_pauses.h"
#include "gui/dialogs.h"
#include "gui/document_controller.h"
#include "gui/error_report.h"
#include "gui/main_window.h"
#include "gui/startup.h"
#include "gui/voice_list.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

namespace lectorix {

namespace {

void store(const QString& key, const QString& value)
{
    try {
        writeSetting(key, value);
    } catch (const Failure&) {
        // These handlers have no report of their own; the value is simply not remembered.
    }
}

} // namespace

SettingsController::SettingsController(MainWindow& window) : m_window(window) {}

void SettingsController::wire()
{
    MainWindow& form = m_window;
    connect(form.chooseOutputFolderButton(), &QPushButton::clicked, this,
            &SettingsController::chooseOutputFolder);
    connect(form.pausesButton(), &QPushButton::clicked, this, &SettingsController::choosePauses);
    connect(form.pdfPathEdit(), &QLineEdit::textChanged, this, &SettingsController::pdfPathChanged);
    connect(form.outputFolderEdit(), &QLineEdit::textChanged, this,
            &SettingsController::outputFolderChanged);
    connect(form.passwordPromptCheck(), &QCheckBox::stateChanged, this,
            &SettingsController::passwordPromptToggled);
    form.chapterFilesCheck()->setChecked(
        convert::truthValue(readSetting(keys::SaveChapterFiles, convert::fromBool(false))));
    connect(form.chapterFilesCheck(), &QCheckBox::toggled, this,
            [](bool on) { store(keys::SaveChapterFiles, convert::fromBool(on)); });
    for (QRadioButton* option : {form.saveToFolderOption(), form.saveBesidePdfOption()})
        connect(option, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                saveOptionChosen();
        });
}

bool SettingsController::startUp()
{
    Guard g("Form1", "Form_Load");
    MainWindow& form = m_window;
    setUpWindow();
    bool voicesListed = false;
    g.assign(130, voicesListed, [&] { return fillVoiceList(form.voiceCombo()); });
    if (!voicesListed)
        return false;
    restoreSliders();
    writeConverterLauncher();
    g(152, [&] {
        form.outputFolderEdit()->setText(readSetting(keys::OutputFolder, desktopFolderPath()));
    });
    restoreDocument();
    restoreOptions();
    return true;
}

void SettingsController::setUpWindow()
{
    Guard g("Form1", "Form_Load");
    MainWindow& form = m_window;
    g(102, [&] { applySkin(form); });
    const QString cursorFile = programFolder() + QStringLiteral("/HAND-M.CUR");
    if (g.test(104, [&] { return fileExists(cursorFile); }))
        g(106, [&] { form.setCustomPointer(loadCursorFile(cursorFile)); });
    g(108, [] { visitHomePage(); });
    g(
        128, [&] { form.setWindowTitle(ProductName); },
        [&] { form.setWindowIcon(QIcon(QStringLiteral(":/icons/lectorix.png"))); },
        [] { setAppTitle(); });
}

void SettingsController::restoreSliders()
{
    Guard g("Form1", "Form_Load");
    MainWindow& form = m_window;
    g(132, [&] {
        MainWindow::setSliderValue(form.volumeSlider(),
                                   convert::leadingNumber(readSetting(keys::Volume, 50)));
    });
    g(134, [&] {
        MainWindow::setSliderValue(form.rateSlider(),
                                   convert::leadingNumber(readSetting(keys::Rate, -3)));
    });
    g(136, [&] {
        form.volumeValueLabel()->setText(QStringLiteral("Volume Level = ") +
                                         QString::number(form.volumeSlider()->value()));
    });
    g(138, [&] {
        form.speedValueLabel()->setText(QStringLiteral("Speech Rate = ") +
                                        QString::number(form.rateSlider()->value()));
    });
}

void SettingsController::writeConverterLauncher()
{
    Guard g("Form1", "Form_Load");
    QString width;
    g.assign(140, width, [] { return addressWidth(); });
    QByteArray launcher;
    shareLaunchers();
    const auto writeConverter = [&](int line) {
        if (g.test(line, [] { return !fileExists(converterPath()); }))
            g(line, [&] { writeFileIfMissing(launcher, converterPath(), true); });
    };
    if (g.test(142, [&] { return width == QLatin1String("64"); })) {
        g.assign(144, launcher, [] { return customResource(102); });
        writeConverter(146);
    } else {
        g.assign(148, launcher, [] { return customResource(101); });
        writeConverter(150);
    }
}

void SettingsController::restoreDocument()
{
    Guard g("Form1", "Form_Load");
    MainWindow& form = m_window;
    g(154, [&] { form.pdfPathEdit()->setText(readSetting(keys::PdfPath, QString())); });
    if (g.test(156, [&] { return fileExists(form.pdfPathEdit()->text()); })) {
        g(158, [&] { form.setMousePointer(MainWindow::PointerBusy); });
        g(160, [&] {
            form.documents().loadPdfText(form.pdfPathEdit()->text(), [&form] {
                Guard then("Form1", "Form_Load");
                then(162, [&] { form.setMousePointer(MainWindow::PointerDefault); });
            });
        });
    } else {
        g(164, [&] { form.textToReadEdit()->clear(); });
    }
}

void SettingsController::restoreOptions()
{
    Guard g("Form1", "Form_Load");
    MainWindow& form = m_window;
    g(166, [&] {
        const int value = convert::strictWholeNumber(readSetting(keys::PasswordPrompt, 0));
        if (value < 0 || value > 2)
            throw Failure(failures::InvalidPropertyValue);
        QCheckBox* check = form.passwordPromptCheck();
        check->setTristate(value == 2);
        check->setCheckState(value == 0   ? Qt::Unchecked
                             : value == 1 ? Qt::Checked
                                          : Qt::PartiallyChecked);
    });
    g(168, [&] { form.documents().setUseTextBox(false); });
    g(170, [&] {
        MainWindow::setOptionValue(form.saveToFolderOption(),
                                   convert::truthValue(readSetting(keys::SaveToFolder, 1)));
    });
    g(172, [&] {
        MainWindow::setOptionValue(form.saveBesidePdfOption(),
                                   convert::truthValue(readSetting(keys::SaveBesidePdf, 0)));
    });
    if (g.test(174, [&] { return form.saveToFolderOption()->isChecked(); }))
        g(176, [&] { form.outputFolderFrame()->setEnabled(true); });
    else
        g(178, [&] { form.outputFolderFrame()->setEnabled(false); });
}

void SettingsController::chooseOutputFolder()
{
    Guard g("Form1", "PushButton9_Click");
    QString start;
    QString chosen;
    g.assign(100, start, [] { return readSetting(keys::LastFolder, QString()); });
    g.assign(100, chosen, [&] {
        return dialogs().browseFolder(QStringLiteral("Please select folder:"), start);
    });
    if (g.test(102, [&] { return chosen.isEmpty(); }))
        return;
    // "LastFolder" is stored too, so the next dialog opens where the user chose last.
    g(
        104, [&] { writeSetting(keys::LastFolderDot, chosen); },
        [&] { writeSetting(keys::LastFolder, chosen); });
    QLineEdit* folder = m_window.outputFolderEdit();
    if (g.test(104, [&] { return !chosen.endsWith(QLatin1Char('/')); }))
        g(106, [&] { folder->setText(chosen + QLatin1Char('/')); });
    else
        g(108, [&] { folder->setText(chosen); });
}

void SettingsController::pdfPathChanged()
{
    store(keys::PdfPath, m_window.pdfPathEdit()->text());
}

void SettingsController::outputFolderChanged()
{
    store(keys::OutputFolder, m_window.outputFolderEdit()->text());
}

void SettingsController::passwordPromptToggled()
{
    // Stored so that a bad value written by hand is mended by the next click.
    const Qt::CheckState state = m_window.passwordPromptCheck()->checkState();
    store(keys::PasswordPrompt, convert::fromInt(state == Qt::Checked            ? 1
                                                 : state == Qt::PartiallyChecked ? 2
                                                                                 : 0));
}

void SettingsController::saveOptionChosen()
{
    const bool toFolder = m_window.saveToFolderOption()->isChecked();
    store(keys::SaveToFolder, convert::fromBool(toFolder));
    store(keys::SaveBesidePdf, convert::fromBool(m_window.saveBesidePdfOption()->isChecked()));
    m_window.outputFolderFrame()->setEnabled(toFolder);
}

void SettingsController::choosePauses()
{
    const std::optional<Dialogs::SpeechChoices> chosen =
        dialogs().speechChoices({savedSpeechPauses(), usesOneVoice()});
    if (!chosen)
        return;
    try {
        writeSetting(keys::SentencePause,
                     convert::fromInt(boundedPauseMs(chosen->pauses.sentenceMs)));
        writeSetting(keys::ParagraphPause,
                     convert::fromInt(boundedPauseMs(chosen->pauses.paragraphMs)));
        writeSetting(keys::HeadingPause,
                     convert::fromInt(boundedPauseMs(chosen->pauses.headingMs)));
        writeSetting(keys::OneVoice, convert::fromBool(chosen->oneVoice));
    } catch (const Failure&) {
        // A settings file that cannot be written keeps the choices for nothing: as for the
        // other stored choices, there is no report of its own.
    }
}

} // namespace lectorix
