#pragma once
#include <QObject>
#include <QString>
#include <functional>

#include <optional>

class QLabel;
class QWidget;


// A result message that clears itself a while after it was shown, unless a newer message took
// its place. Every show() starts a new generation; only the timer of the current generation may
// clear, so an older timer never clears a newer message, even an equal one shown again.
class TransientMessage : public QObject {
    Q_OBJECT
public:
    explicit TransientMessage(int delayMs, QObject* parent = nullptr);

    std::optional<QString> text() const { return m_text; }
    int delayMs() const { return m_delayMs; }
    // Tests shorten the delay.
    void setDelayMs(int ms) { m_delayMs = ms; }
    // Starts each clearing delay: `start(ms, clearIfCurrent)` in place of a timer, so that a test
    // decides when each delay ends. Empty: a real timer.
    using DelayStarter = std::function<void(int ms, std::function<void()> clearIfCurrent)>;
    void setDelayStarterForTesting(DelayStarter start) { m_startDelay = std::move(start); }

    // Shows `text` and starts its clearing delay.
    void show(const QString& text);
    // Shows `text` until the next show(), hold() or clear(), without a clearing delay.
    void hold(const QString& text);
    // Clears at once (no value), ending the current generation.
    void clear();

Q_SIGNALS:
    void changed(const std::optional<QString>& text);

private:
    std::optional<QString> m_text;
    int m_delayMs;
    DelayStarter m_startDelay;
    quint64 m_generation = 0;
};

// The line of a tool window that shows `message` while it has a text and is hidden otherwise:
// plain text in the caption font and the secondary colour, wrapped, padded 12 and 6 (named
// "toolMessage").
QLabel* makeMessageLine(TransientMessage& message, QWidget* parent);
