#pragma once
#include <QString>
#include <QStringList>

#include <functional>

class UserDefaults;

// The interface language. The program is localised into the languages of its embedded
// translations, with English as the source language. The user's choice lives in the program's
// own defaults under "AppleLanguages": absent (follow the system) or an array holding exactly
// one language code. A choice applies from the next start: `install` picks the translation once,
// before any window is made, and `relaunch` starts that next instance.
//
// Each function that reads the choice has a form over the standard defaults and the system's
// languages, and a form over given ones (tests).
namespace AppLanguage {

// "AppleLanguages"
QString key();

// The program's localisations: the codes of its embedded translations ("de", "zh-Hans").
QStringList localizations();
// The user's preferred interface languages from the system, most wanted first ("de-DE", "fr").
// The POSIX locale names no language and is left out.
QStringList systemLanguages();

// The codes the language picker offers besides "System default": "en" first (offered even
// without an English localisation), then the others in code-point order; "Base" never.
QStringList available();
QStringList available(const QStringList& localizations);

// The code in force from the next start: the first string of the stored array, or, while the
// program's defaults hold no choice, the first of the system's languages; empty when the stored
// value is not an array of strings or is empty.
QString current();
QString current(const UserDefaults& defaults, const QStringList& systemLanguages);

// The language's name in that language itself, capitalised by its own rules ("Deutsch",
// "Français"); the code itself when there is no name for it.
QString displayName(const QString& code);

// Stores `code` as the choice ("" removes it). False, and nothing written, when `code` equals
// `current()`.
bool set(const QString& code);
bool set(UserDefaults& defaults, const QStringList& systemLanguages, const QString& code);

// Starts a new instance of the program and then, on a later turn of the main thread's event
// loop, quits this one, whether or not the start succeeded. The running instance gives up its
// single-instance name first, so that the new one does not hand over to it.
void relaunch();
// For tests: the start of the new instance (true when it started) and the quit.
void setRelaunchActionsForTesting(std::function<bool()> launch, std::function<void()> quit);

// The language the interface is shown in for the given preferences: the first preferred
// language that is one of `available(localizations)`, exactly or by its language (de-AT → de,
// zh-Hans-CN → zh-Hans); "en" when none is.
QString resolve(const QStringList& preferred, const QStringList& localizations);
// The preferences a start goes by: the stored choice, or the system's languages.
QStringList preferred(const UserDefaults& defaults, const QStringList& systemLanguages);

// Loads and installs the translation of the language in force (replacing one installed
// earlier) and returns its code; nothing is loaded for English. Numbers, sizes and dates follow
// the same language (the default locale), also where the desktop's formats are in another.
// Called once at start-up, before any window or model is made.
QString install();
QString install(const UserDefaults& defaults, const QStringList& systemLanguages);

} // namespace AppLanguage
