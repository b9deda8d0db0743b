// The password prompt of the text box and the export: masked, with the document named.
#include "gui/password_prompt.h"
#include "support/scripted_dialogs.h"

#include <QtTest>

#include <optional>

using namespace lectorix;

class TestConverter : public QObject
{
    Q_OBJECT

private slots:
    void passwordPromptIsMasked_data()
    {
        QTest::addColumn<std::optional<QString>>("typed");
        QTest::addColumn<QString>("password");
        QTest::newRow("typed") << std::optional<QString>("s3cr\"t") << "s3cr\"t";
        QTest::newRow("blank") << std::optional<QString>("") << "";
        QTest::newRow("cancel") << std::optional<QString>() << "";
    }

    void passwordPromptIsMasked()
    {
        QFETCH(std::optional<QString>, typed);
        QFETCH(QString, password);
        test::ScriptedDialogs dialogs;
        dialogs.setNextInput(typed);
        QCOMPARE(askPassword("/d/my file.pdf"), password);
        QCOMPARE(dialogs.shown().size(), 1);
        const auto shown = dialogs.shown().first();
        QCOMPARE(shown.kind, test::ScriptedDialogs::Shown::Input);
        QCOMPARE(shown.title, QStringLiteral("Input Password"));
        QCOMPARE(shown.text, QStringLiteral("Enter password for file (/d/my file.pdf): \r\n"
                                            "Note: Leave this box blank if file is not password "
                                            "protected"));
        QVERIFY(shown.masked);
    }
};

QTEST_MAIN(TestConverter)
#include "test_converter.moc"
