#pragma once
#include <QString>

// The one place that runs a shell script with administrator rights: the script goes to
// AppleScript's "do shell script … with administrator privileges", so the system asks for the
// password itself. The AppleScript runs in `osascript`, started with an argument list (no shell
// in between). Blocks until the prompt is answered and the script has ended; never on the main
// thread.
namespace AdminShell {

struct Result {
    bool ok = false; // the script ran and AppleScript reported no error
    bool cancelled = false; // the user dismissed the password prompt (error -128)
    QString message; // the script's output on success, otherwise an error text
    friend bool operator==(const Result&, const Result&) = default;
};

// `text` escaped for the inside of an AppleScript string literal: every backslash doubled
// first, then every double quote preceded by a backslash.
QString escapeForLiteral(const QString& text);

// The AppleScript source that runs `script` as administrator.
QString source(const QString& script);

// What one osascript run reported, from its exit status and its two streams (-1: it could not
// be started).
Result interpret(int exitStatus, const QString& standardOutput, const QString& standardError);

// Runs `script` with administrator rights.
Result run(const QString& script);

} // namespace AdminShell
