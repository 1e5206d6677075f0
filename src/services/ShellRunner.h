#pragma once
#include <QString>

// The result of one command: exit status (-1 when the shell could not start) and the combined
// output of both streams.
struct ShellResult {
    qint32 status = 0;
    QString output;
    friend bool operator==(const ShellResult&, const ShellResult&) = default;
};

namespace ShellRunner {
// Runs `command` with "/bin/zsh -lc" from the home folder; blocks until it ends. Never call on
// the main thread.
ShellResult runLogin(const QString& command, double timeoutSeconds);

// `word` as one word of a shell command line: unchanged when it holds only the characters
// A-Z a-z 0-9 @ + : , . / _ -, otherwise in single quotes (a quote inside becomes '\''), so the
// shell takes it as one literal argument whatever it holds. An empty word becomes ''.
QString quote(const QString& word);
} // namespace ShellRunner
