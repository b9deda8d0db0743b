#include "gui/pronunciation_editor.h"

#include "core/base/failure.h"
#include "core/speech/speech_engine.h"
#include "gui/dialogs.h"
#include "gui/main_window.h"
#include "gui/voice_setup.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace lectorix {

namespace {

QTableWidgetItem* checkItem(bool checked)
{
    auto* item = new QTableWidgetItem;
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    return item;
}

QString problemsText(const QString& path, const QList<PronunciationFileProblem>& problems)
{
    QStringList lines{QStringLiteral("These lines of %1 are damaged and left out; saving the "
                                     "list removes them:")
                          .arg(path)};
    for (const PronunciationFileProblem& problem : problems)
        lines << (problem.line > 0 ? QStringLiteral("Line %1: %2")
                                         .arg(QString::number(problem.line), problem.reason)
                                   : problem.reason);
    return lines.join(QLatin1Char('\n'));
}

} // namespace

PronunciationEditor::PronunciationEditor(QString path, VoiceSettings voice, QWidget* parent)
    : QDialog(parent), m_path(std::move(path)), m_voiceSettings(voice)
{
    setObjectName(QStringLiteral("pronunciationEditor"));
    setWindowTitle(QStringLiteral("Pronunciations"));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(
        QStringLiteral("What the voice says in place of a written word. A spoken form in "
                       "[[double brackets]] is read as espeak-ng phonemes; with \"Pattern\" the "
                       "written form is a regular expression, and \\1 in the spoken form is "
                       "what its first group matched. Without a language an entry applies to "
                       "every voice."),
        this);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    m_problems = new QLabel(this);
    m_problems->setObjectName(QStringLiteral("pronunciationProblemsLabel"));
    m_problems->setWordWrap(true);
    layout->addWidget(m_problems);

    m_table = new QTableWidget(0, Columns, this);
    m_table->setObjectName(QStringLiteral("pronunciationTable"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("Written"), QStringLiteral("Spoken"),
                                        QStringLiteral("Language"), QStringLiteral("Whole word"),
                                        QStringLiteral("Match case"), QStringLiteral("Pattern"),
                                        QString()});
    m_table->horizontalHeader()->setSectionResizeMode(Written, QHeaderView::Stretch);
    m_table->horizontalHeader()->setSectionResizeMode(Spoken, QHeaderView::Stretch);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    layout->addWidget(m_table);

    auto* rowButtons = new QHBoxLayout;
    auto* add = new QPushButton(QStringLiteral("Add"), this);
    add->setObjectName(QStringLiteral("addPronunciationButton"));
    auto* remove = new QPushButton(QStringLiteral("Remove"), this);
    remove->setObjectName(QStringLiteral("removePronunciationButton"));
    rowButtons->addWidget(add);
    rowButtons->addWidget(remove);
    rowButtons->addStretch();
    layout->addLayout(rowButtons);
    auto* box = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, this);
    box->button(QDialogButtonBox::Save)->setObjectName(QStringLiteral("savePronunciationsButton"));
    layout->addWidget(box);

    connect(add, &QPushButton::clicked, this, [this] {
        addRow({});
        m_table->setCurrentCell(m_table->rowCount() - 1, Written);
    });
    connect(remove, &QPushButton::clicked, this, [this] { removeRows(); });
    connect(box, &QDialogButtonBox::accepted, this, [this] {
        if (save())
            accept();
    });
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);

    const LoadedPronunciations loaded = loadPronunciations(m_path);
    for (const PronunciationEntry& entry : loaded.entries)
        addRow(entry);
    m_problems->setText(problemsText(m_path, loaded.problems));
    m_problems->setVisible(!loaded.problems.isEmpty());
    resize(760, 420);
}

PronunciationEditor::~PronunciationEditor() = default;

void PronunciationEditor::addRow(const PronunciationEntry& entry)
{
    const int row = m_table->rowCount();
    m_table->insertRow(row);
    m_table->setItem(row, Written, new QTableWidgetItem(entry.written));
    m_table->setItem(row, Spoken, new QTableWidgetItem(entry.spoken));
    m_table->setItem(row, Language, new QTableWidgetItem(entry.language));
    m_table->setItem(row, WholeWord, checkItem(entry.wholeWord));
    m_table->setItem(row, MatchCase, checkItem(entry.matchCase));
    m_table->setItem(row, Pattern, checkItem(entry.pattern));
    auto* listenButton = new QPushButton(QStringLiteral("Listen"), m_table);
    listenButton->setObjectName(QStringLiteral("listenButton"));
    connect(listenButton, &QPushButton::clicked, this, [this, listenButton] {
        for (int r = 0; r < m_table->rowCount(); ++r) {
            if (m_table->cellWidget(r, Listen) == listenButton)
                listen(r);
        }
    });
    m_table->setCellWidget(row, Listen, listenButton);
}

QList<PronunciationEntry> PronunciationEditor::entries() const
{
    const auto text = [this](int row, int column) {
        const QTableWidgetItem* item = m_table->item(row, column);
        return item ? item->text().trimmed() : QString();
    };
    const auto checked = [this](int row, int column) {
        const QTableWidgetItem* item = m_table->item(row, column);
        return item && item->checkState() == Qt::Checked;
    };
    QList<PronunciationEntry> entries;
    for (int row = 0; row < m_table->rowCount(); ++row) {
        entries.append({text(row, Written), text(row, Spoken), text(row, Language),
                        checked(row, WholeWord), checked(row, MatchCase), checked(row, Pattern)});
    }
    return entries;
}

bool PronunciationEditor::save()
{
    QList<PronunciationEntry> kept;
    const QList<PronunciationEntry> all = entries();
    for (qsizetype row = 0; row < all.size(); ++row) {
        const PronunciationEntry& entry = all.at(row);
        // A row left wholly empty (Add pressed once too often) is no entry.
        if (entry.written.isEmpty() && entry.spoken.isEmpty() && entry.language.isEmpty())
            continue;
        if (const QString problem = pronunciationProblem(entry); !problem.isEmpty()) {
            showMessage(QStringLiteral("Row %1: %2.").arg(QString::number(row + 1), problem),
                        Dialogs::Buttons::Ok, Dialogs::Icon::Warning);
            return false;
        }
        kept.append(entry);
    }
    try {
        savePronunciations(kept, m_path);
    } catch (const Failure& failure) {
        showMessage(QStringLiteral("The pronunciation list could not be saved to %1: %2")
                        .arg(m_path, failure.description()),
                    Dialogs::Buttons::Ok, Dialogs::Icon::Critical);
        return false;
    }
    return true;
}

void PronunciationEditor::listen(int row)
{
    const QTableWidgetItem* item = m_table->item(row, Spoken);
    const QString spoken = item ? item->text().trimmed() : QString();
    if (spoken.isEmpty())
        return;
    QStringList failures;
    try {
        if (!m_voice) {
            m_voice = speech::engine().createVoice();
            applyVoiceSettings(
                m_voiceSettings, [this]() -> speech::Voice& { return *m_voice; },
                [&](const VoiceSettingFailure& failure) { failures << failure.description; });
        }
        m_voice->stop();
        m_voice->speakAsync(spoken);
    } catch (...) {
        failures << describeCurrentException();
    }
    if (!failures.isEmpty())
        showMessage(failures.join(QLatin1Char('\n')), Dialogs::Buttons::Ok, Dialogs::Icon::Warning);
}

void PronunciationEditor::removeRows()
{
    QList<int> rows;
    for (const QModelIndex& index : m_table->selectionModel()->selectedRows())
        rows << index.row();
    if (rows.isEmpty() && m_table->currentRow() >= 0)
        rows << m_table->currentRow();
    std::sort(rows.begin(), rows.end(), std::greater<>());
    for (int row : rows)
        m_table->removeRow(row);
}

void editPronunciations(MainWindow& form)
{
    auto* editor = new PronunciationEditor(pronunciationsFilePath(), chosenVoice(form), &form);
    editor->setAttribute(Qt::WA_DeleteOnClose);
    editor->setWindowModality(Qt::WindowModal);
    editor->show();
}

} // namespace lectorix
