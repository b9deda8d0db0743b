#pragma once

#include <QString>
#include <QStringList>

namespace lectorix {

// Tesseract names its languages by their three-letter codes ("fra", "chi_sim"); each comes
// in a Debian package of its own ("tesseract-ocr-fra").

// The languages to recognise a voice's language in (a language tag such as "fr", "fr-fr" or
// "en-gb-x-rp"): the language's tesseract code and English, English alone for English or a
// language tesseract does not know.
QStringList recognitionLanguages(const QString& voiceLanguage);

// The languages a user asked for ("fra", "fr", "fra+deu"; either code form); English is not
// added. Empty for an empty or unusable request.
QStringList requestedRecognitionLanguages(const QString& request);

// The languages `tesseract --list-langs` named on its standard output.
QStringList installedRecognitionLanguages(const QString& listOutput);

// The Debian package that brings a tesseract language: "tesseract-ocr-chi-sim" for "chi_sim".
QString recognitionLanguagePackage(const QString& language);

// What to say when languages the recognition needs are not installed:
// "Text recognition lacks the language data fra (install tesseract-ocr-fra)."; empty when all
// of wanted is installed.
QString missingRecognitionLanguagesMessage(const QStringList& wanted, const QStringList& installed);

} // namespace lectorix
